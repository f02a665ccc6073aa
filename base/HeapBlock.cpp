#include "base/HeapBlock.h"

#include <windows.h>

namespace nelvo::detail {

void* allocatePages(size_t size) { return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

void freePages(void* pages) {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

} // namespace nelvo::detail
