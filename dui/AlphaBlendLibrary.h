#pragma once
// msimg32.dll and its AlphaBlend entry, loaded at run time from the system
// folder (never one beside the program: base/LibrarySearch.h). Framework
// start loads it and makes it the active one; image drawing blends through
// the active entry. Without it (the library or the entry missing) images
// with transparency are not drawn at all; opaque images still are.
// Windows build only; UI thread.

#include "base/UniqueHandle.h"

namespace nelvo {

class AlphaBlendLibrary {
public:
    using Function = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

    AlphaBlendLibrary() = default;
    AlphaBlendLibrary(const AlphaBlendLibrary&) = delete;
    AlphaBlendLibrary& operator=(const AlphaBlendLibrary&) = delete;
    // Deactivates the entry if it is the active one.
    ~AlphaBlendLibrary();

    // Loads "msimg32.dll" from the system folder and looks up "AlphaBlend".
    // False when either is missing; the object is then empty.
    bool load();
    Function function() const { return function_; }

    // The entry image drawing uses; null when none is loaded.
    static Function active();
    // Replaces the active entry (framework start; tests pass null to draw as
    // on a system without the library). Returns the previous one.
    static Function setActive(Function f);

private:
    UniqueLibrary module_;
    Function function_ = nullptr;
};

} // namespace nelvo
