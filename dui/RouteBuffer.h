#pragma once
// The delegates collected for one delivery, each with the control whose list
// held it. The first 16 entries live inside the buffer (on the caller's
// stack), so an ordinary delivery allocates nothing; a longer route spills
// into a heap vector instead of overrunning.

#include "dui/Delegate.h"

#include <cstddef>
#include <vector>

namespace nelvo {

class Control;

class RouteBuffer {
public:
    static constexpr size_t kInline = 16;

    struct Entry {
        DelegateRef delegate;
        Control* sender = nullptr;
    };

    RouteBuffer() = default;
    RouteBuffer(const RouteBuffer&) = delete;
    RouteBuffer& operator=(const RouteBuffer&) = delete;

    void push(const DelegateRef& d, Control* sender) {
        Entry& e = count_ < kInline ? inline_[count_] : spill();
        e.delegate = d;
        e.sender = sender;
        ++count_;
    }
    size_t size() const { return count_; }
    Entry& operator[](size_t i) { return i < kInline ? inline_[i] : more_[i - kInline]; }
    bool spilled() const { return !more_.empty(); }

private:
    Entry& spill() { return more_.emplace_back(); }

    Entry inline_[kInline];
    std::vector<Entry> more_;
    size_t count_ = 0;
};

} // namespace nelvo
