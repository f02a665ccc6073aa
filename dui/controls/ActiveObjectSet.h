#pragma once
// ActiveObjectSet: the process-wide list of in-place active objects that the
// web browser sites have been handed (WebBrowser::SetActiveObject). The
// browsers' subclassed windows offer their messages to every one of them,
// so a page's keyboard accelerators (Tab between fields, Ctrl+C) work
// although the framework's own loop never calls TranslateAccelerator.
//
// The list holds no references: a site keeps one on its current object for
// as long as the object is in the list, and takes it out before releasing
// it. An object handed in twice is listed twice and stays listed until it
// has been taken out twice. UI thread only.

#include <ole2.h>

#include <cstddef>

namespace nelvo {

class ActiveObjectSet {
public:
    ActiveObjectSet() = delete;

    static void insert(IOleInPlaceActiveObject* object);
    // Takes out one entry of `object`; nothing when it is not listed.
    static void remove(IOleInPlaceActiveObject* object);
    static bool contains(IOleInPlaceActiveObject* object);
    static size_t count();

    // Offers `message` to each listed object in the order they were listed,
    // through TranslateAccelerator; true as soon as one answers S_OK (it has
    // consumed the message). An object taken out meanwhile (by a
    // translation that changed the active object) is not asked.
    static bool translate(MSG& message);
};

} // namespace nelvo
