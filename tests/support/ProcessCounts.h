#pragma once
// The process's GDI objects, user objects and kernel handles, for tests
// that check a run gives back everything it took.
//
// The system's own counters (GetGuiResources, GetProcessHandleCount) are
// used where they work. Wine leaves them unimplemented (0), so there the
// tables are walked instead: every handle value asked with
// GetHandleInformation, every GDI table slot with GetObjectType (a handle
// without its generation word names whatever lives in the slot), and the
// user handle slots asked as a window of this process, a menu or an icon.
// A walk takes about a second.

#include <cstdint>

namespace nelvo::test {

struct ProcessCounts {
    uint32_t gdiObjects = 0;
    uint32_t userObjects = 0;
    uint32_t handles = 0;

    bool operator==(const ProcessCounts&) const = default;
};

ProcessCounts readProcessCounts();

} // namespace nelvo::test
