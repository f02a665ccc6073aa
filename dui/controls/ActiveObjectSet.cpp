#include "dui/controls/ActiveObjectSet.h"

#include <algorithm>
#include <vector>

namespace nelvo {

namespace {

std::vector<IOleInPlaceActiveObject*>& entries() {
    static std::vector<IOleInPlaceActiveObject*> list;
    return list;
}

} // namespace

void ActiveObjectSet::insert(IOleInPlaceActiveObject* object) {
    if (object) entries().push_back(object);
}

void ActiveObjectSet::remove(IOleInPlaceActiveObject* object) {
    auto& list = entries();
    const auto it = std::find(list.begin(), list.end(), object);
    if (it != list.end()) list.erase(it);
}

bool ActiveObjectSet::contains(IOleInPlaceActiveObject* object) {
    const auto& list = entries();
    return std::find(list.begin(), list.end(), object) != list.end();
}

size_t ActiveObjectSet::count() { return entries().size(); }

bool ActiveObjectSet::translate(MSG& message) {
    // A translation may run a page's script, which may hand its site another
    // active object: walk a copy, and ask only those still listed.
    const std::vector<IOleInPlaceActiveObject*> snapshot = entries();
    for (IOleInPlaceActiveObject* object : snapshot) {
        if (!contains(object)) continue;
        if (object->TranslateAccelerator(&message) == S_OK) return true;
    }
    return false;
}

} // namespace nelvo
