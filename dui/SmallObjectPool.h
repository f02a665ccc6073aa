#pragma once
// The pool that controls, styles and property nodes come from.
//
// A request of at most 1024 bytes takes a slot from a free list kept per slot
// size; an empty list is refilled with one allocation of 100 slots. A header
// in front of every object records the requested size, so release returns
// the slot to its own list. Larger requests go to the general heap behind
// the same header. Slots are never given back to the heap.
//
// The header is 8 bytes rather than 4 and slot sizes are rounded up to 8, so
// that objects holding pointers or 64-bit values stay naturally aligned on
// both the 32-bit and the 64-bit build.
//
// UI thread only: there is no lock.

#include <cstddef>

namespace nelvo {

class SmallObjectPool {
public:
    static constexpr size_t kMaxSlotRequest = 1024;
    static constexpr size_t kSlotsPerRefill = 100;
    static constexpr size_t kHeaderSize = 8;

    // Never returns null: an exhausted heap ends in std::bad_alloc, as
    // operator new would.
    static void* allocate(size_t size);
    // Accepts null.
    static void release(void* p);

    // Slots currently on the free list of the slot class serving `size`.
    static size_t freeSlots(size_t size);
};

// Base for classes whose objects come from the pool.
struct PoolAllocated {
    static void* operator new(size_t size) { return SmallObjectPool::allocate(size); }
    static void operator delete(void* p) { SmallObjectPool::release(p); }
};

} // namespace nelvo
