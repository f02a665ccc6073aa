#pragma once
// An owned block of bytes from the process heap (malloc/free), with its size.
// The resource store and package lookups hand these out; the receiver owns
// the block. Free of any operating system.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace nelvo {

class HeapBlock {
public:
    HeapBlock() = default;
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    HeapBlock(HeapBlock&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    HeapBlock& operator=(HeapBlock&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    ~HeapBlock() { std::free(data_); }

    // Allocates `capacity` bytes (at least one, so that an empty member is
    // still a block). Returns an empty HeapBlock when the heap refuses.
    static HeapBlock allocate(size_t capacity) {
        HeapBlock b;
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

    // Gives up ownership; the caller frees with std::free.
    uint8_t* release() {
        size_ = 0;
        return std::exchange(data_, nullptr);
    }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace nelvo
