#pragma once
// An owned block of bytes from the process heap (malloc/free), with its size.
// The resource store and package lookups hand these out; the receiver owns
// the block. Free of any operating system, except that on Windows a large
// block (a decoded member, an image) takes pages of its own from the system
// and gives them back when freed: in the heap it would leave a hole that
// smaller blocks split and the next large one cannot use, and the heap only
// grows (base/HeapBlock.cpp).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace nelvo {

#ifdef _WIN32
namespace detail {
void* allocatePages(size_t size);
void freePages(void* pages);
} // namespace detail
#endif

class HeapBlock {
public:
    HeapBlock() = default;
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    HeapBlock(HeapBlock&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          paged_(std::exchange(other.paged_, false)) {}
    HeapBlock& operator=(HeapBlock&& other) noexcept {
        if (this != &other) {
            dispose();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            paged_ = std::exchange(other.paged_, false);
        }
        return *this;
    }
    ~HeapBlock() { dispose(); }

    // Blocks from this size up have pages of their own on Windows.
    static constexpr size_t kPagedSize = 64 * 1024;

    // Allocates `capacity` bytes (at least one, so that an empty member is
    // still a block). Returns an empty HeapBlock when the heap refuses.
    static HeapBlock allocate(size_t capacity) {
        HeapBlock b;
#ifdef _WIN32
        if (capacity >= kPagedSize) {
            b.data_ = static_cast<uint8_t*>(detail::allocatePages(capacity));
            if (b.data_) {
                b.size_ = capacity;
                b.paged_ = true;
            }
            return b;
        }
#endif
        b.data_ = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
        if (b.data_) b.size_ = capacity;
        return b;
    }

    explicit operator bool() const { return data_ != nullptr; }
    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    // Shrinks the reported size (the allocation stays as it is).
    void truncate(size_t size) {
        if (size < size_) size_ = size;
    }
    std::string_view text() const { return {reinterpret_cast<const char*>(data_), size_}; }

private:
    void dispose() {
#ifdef _WIN32
        if (paged_) {
            detail::freePages(data_);
            return;
        }
#endif
        std::free(data_);
    }

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    bool paged_ = false;
};

} // namespace nelvo
