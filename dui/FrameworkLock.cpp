#include "dui/FrameworkLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace nelvo {
namespace {

#ifdef _WIN32
struct Section {
    CRITICAL_SECTION cs;
    Section() { InitializeCriticalSectionAndSpinCount(&cs, 100); }
};
// Initialised on first use, never deleted: posts may arrive from other
// threads until the very end of the process.
CRITICAL_SECTION& section() {
    static Section* s = new Section;
    return s->cs;
}
#else
std::recursive_mutex& section() {
    static std::recursive_mutex* m = new std::recursive_mutex;
    return *m;
}
#endif

} // namespace

#ifdef _WIN32
void FrameworkLock::lock() { EnterCriticalSection(&section()); }
void FrameworkLock::unlock() { LeaveCriticalSection(&section()); }
#else
void FrameworkLock::lock() { section().lock(); }
void FrameworkLock::unlock() { section().unlock(); }
#endif

} // namespace nelvo
