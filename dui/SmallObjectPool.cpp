#include "dui/SmallObjectPool.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NELVO_POOL_POISON 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define NELVO_POOL_POISON 1
#endif
#ifdef NELVO_POOL_POISON
#include <sanitizer/asan_interface.h>
// Free slots are poisoned (all but the header holding the free-list link), so
// that a use of a released control or node is reported as if it were freed.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace nelvo {
namespace {

struct FreeSlot {
    FreeSlot* next;
};

struct PoolState {
    // Slot size (header included) -> first free slot.
    std::map<size_t, FreeSlot*> freeLists;
    // Every refill block, so the slots stay reachable for leak checkers.
    std::vector<void*> blocks;
};

PoolState& state() {
    static PoolState* s = new PoolState;  // lives as long as the process
    return *s;
}

size_t slotSizeFor(size_t request) {
    const size_t rounded = (request + 7) & ~size_t(7);
    return rounded + SmallObjectPool::kHeaderSize;
}

} // namespace

void* SmallObjectPool::allocate(size_t size) {
    uint8_t* slot;
    if (size > kMaxSlotRequest) {
        slot = static_cast<uint8_t*>(std::malloc(size + kHeaderSize));
        if (!slot) throw std::bad_alloc();
    } else {
        const size_t slotSize = slotSizeFor(size);
        FreeSlot*& head = state().freeLists[slotSize];
        if (!head) {
            auto* block = static_cast<uint8_t*>(std::malloc(slotSize * kSlotsPerRefill));
            if (!block) throw std::bad_alloc();
            state().blocks.push_back(block);
            // Link the new slots so that the first one is handed out first.
            for (size_t i = kSlotsPerRefill; i-- > 0;) {
                auto* s = reinterpret_cast<FreeSlot*>(block + i * slotSize);
                s->next = head;
                head = s;
                POOL_POISON(block + i * slotSize + kHeaderSize, slotSize - kHeaderSize);
            }
        }
        slot = reinterpret_cast<uint8_t*>(head);
        head = head->next;
        POOL_UNPOISON(slot + kHeaderSize, slotSize - kHeaderSize);
    }
    *reinterpret_cast<size_t*>(slot) = size;
    return slot + kHeaderSize;
}

void SmallObjectPool::release(void* p) {
    if (!p) return;
    uint8_t* slot = static_cast<uint8_t*>(p) - kHeaderSize;
    const size_t size = *reinterpret_cast<size_t*>(slot);
    if (size > kMaxSlotRequest) {
        std::free(slot);
        return;
    }
    const size_t slotSize = slotSizeFor(size);
    POOL_POISON(slot + kHeaderSize, slotSize - kHeaderSize);
    FreeSlot*& head = state().freeLists[slotSize];
    auto* s = reinterpret_cast<FreeSlot*>(slot);
    s->next = head;
    head = s;
}

size_t SmallObjectPool::freeSlots(size_t size) {
    auto it = state().freeLists.find(slotSizeFor(size));
    size_t n = 0;
    if (it != state().freeLists.end())
        for (FreeSlot* s = it->second; s; s = s->next) ++n;
    return n;
}

} // namespace nelvo
