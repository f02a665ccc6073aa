#include "store/MemberPrefetcher.h"

#include "base/TextConvert.h"

#include <algorithm>
#include <new>

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <system_error>
#include <thread>
#endif

namespace nelvo {

#ifdef _WIN32
// A slim lock, a condition variable and a plain thread: none of them leaves
// a kernel object behind once it is done, where the threads library keeps
// some for the rest of the process.
struct MemberPrefetcher::Sync {
    SRWLOCK srw = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    HANDLE thread = nullptr;

    void lock() { AcquireSRWLockExclusive(&srw); }
    void unlock() { ReleaseSRWLockExclusive(&srw); }
    // Locked on entry and on return.
    void wait() { SleepConditionVariableSRW(&changed, &srw, INFINITE, 0); }
    void notifyAll() { WakeAllConditionVariable(&changed); }
    static DWORD WINAPI entry(void* prefetcher) {
        static_cast<MemberPrefetcher*>(prefetcher)->helperMain();
        return 0;
    }
    bool start(MemberPrefetcher* prefetcher) {
        thread = CreateThread(nullptr, 0, entry, prefetcher, 0, nullptr);
        return thread != nullptr;
    }
    void join() {
        if (!thread) return;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
};
#else
struct MemberPrefetcher::Sync {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;

    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }
    // Locked on entry and on return.
    void wait() {
        std::unique_lock<std::mutex> held(mutex, std::adopt_lock);
        changed.wait(held);
        held.release();
    }
    void notifyAll() { changed.notify_all(); }
    bool start(MemberPrefetcher* prefetcher) {
        try {
            thread = std::thread([prefetcher] { prefetcher->helperMain(); });
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    void join() {
        if (thread.joinable()) thread.join();
    }
};
#endif

MemberPrefetcher::MemberPrefetcher(const LzPackage& package, size_t budget, size_t largest)
    : package_(package), budget_(budget), largest_(largest), sync_(new Sync) {}

MemberPrefetcher::~MemberPrefetcher() {
    {
        std::lock_guard<Sync> lock(*sync_);
        stop_ = true;
        sync_->notifyAll();
    }
    sync_->join();
}

void MemberPrefetcher::expect(const std::vector<std::u16string>& order) {
    std::lock_guard<Sync> lock(*sync_);
    if (started_) return;
    started_ = true;
    for (const auto& name : order) {
        const LzPackage::Entry* e = package_.find(name);
        if (!e || e->stored() || slotOf_.count(name)) continue;
        slotOf_.emplace(name, slots_.size());
        Slot slot;
        slot.entry = e;
        slots_.push_back(std::move(slot));
    }
    // Without a thread, members are decoded when taken.
    if (!slots_.empty()) sync_->start(this);
}

size_t MemberPrefetcher::claimNext() {
    while (next_ < slots_.size() && slots_[next_].state != State::Waiting) ++next_;
    // The first waiting member that is not the caller's and fits: one that
    // does not fit yet may be reached by the caller first, and a smaller one
    // after it keeps the thread busy meanwhile.
    for (size_t slot = next_; slot < slots_.size(); ++slot) {
        Slot& s = slots_[slot];
        const size_t size = s.entry->unpackedSize;
        if (s.state != State::Waiting || size > largest_ || (held_ > 0 && held_ + size > budget_)) continue;
        s.state = State::Decoding;
        held_ += size;
        peak_ = std::max(peak_, held_);
        return slot;
    }
    return kNone;
}

void MemberPrefetcher::decodeClaimed(size_t slot, std::unique_lock<Sync>& lock) {
    const LzPackage::Entry& entry = *slots_[slot].entry;
    lock.unlock();
    HeapBlock block;
    const LzPackage::Decode result = package_.decodeEntry(entry, block);
    lock.lock();
    Slot& s = slots_[slot];
    s.result = result;
    s.block = std::move(block);
    s.state = State::Ready;
    sync_->notifyAll();
}

void MemberPrefetcher::dropBefore(size_t slot) {
    for (size_t i = 0; i < slot; ++i) {
        Slot& s = slots_[i];
        if (s.state == State::Ready) {
            held_ -= s.entry->unpackedSize;
            s.block = HeapBlock();
            s.state = State::Gone;
        } else if (s.state == State::Waiting) {
            s.state = State::Gone;
        }
        // A slot still Decoding is dropped by a later take.
    }
}

void MemberPrefetcher::helperMain() {
    std::unique_lock<Sync> lock(*sync_);
    while (!stop_) {
        const size_t slot = claimNext();
        if (slot == kNone) {
            sync_->wait();
            continue;
        }
        decodeClaimed(slot, lock);
    }
}

void MemberPrefetcher::release() {
    std::lock_guard<Sync> lock(*sync_);
    if (inHand_ == 0) return;
    held_ -= inHand_;
    inHand_ = 0;
    sync_->notifyAll();
}

std::optional<LzPackage::Decode> MemberPrefetcher::take(std::u16string_view name, HeapBlock& out) {
    release();
    std::unique_lock<Sync> lock(*sync_);
    const auto it = slotOf_.find(name);
    if (it == slotOf_.end() || slots_[it->second].state == State::Gone) return std::nullopt;
    const size_t slot = it->second;
    dropBefore(slot);
    for (;;) {
        Slot& s = slots_[slot];
        if (s.state == State::Ready) {
            out = std::move(s.block);
            // Still held, now by the caller.
            inHand_ = s.entry->unpackedSize;
            s.state = State::Gone;
            return s.result;
        }
        if (s.state == State::Waiting) {
            // Not reached ahead: the caller's, and the thread may go on past
            // it.
            s.state = State::Gone;
            sync_->notifyAll();
            return std::nullopt;
        }
        // Being decoded ahead: help with the next one meanwhile.
        const size_t other = claimNext();
        if (other != kNone) decodeClaimed(other, lock);
        else sync_->wait();
    }
}

size_t MemberPrefetcher::peakHeld() {
    std::lock_guard<Sync> lock(*sync_);
    return peak_;
}

std::vector<std::u16string> MemberPrefetcher::quotedNames(std::string_view source) {
    std::vector<std::u16string> names;
    // A long bracket "[", "="..., "[" at `at`: its level, or -1.
    auto longLevel = [&](size_t at) -> int {
        if (at >= source.size() || source[at] != '[') return -1;
        size_t i = at + 1;
        while (i < source.size() && source[i] == '=') ++i;
        return i < source.size() && source[i] == '[' ? int(i - at - 1) : -1;
    };
    // Where the long bracket opened at `at` closes; the end of the source
    // when it does not.
    auto closeOf = [&](size_t at, int level) {
        const size_t close = source.find("]" + std::string(size_t(level), '=') + "]", at + size_t(level) + 2);
        return close == std::string_view::npos ? source.size() : close;
    };
    auto skipLong = [&](size_t at, int level) {
        const size_t close = closeOf(at, level);
        return close == source.size() ? close : close + size_t(level) + 2;
    };
    auto addName = [&](std::string text) {
        std::replace(text.begin(), text.end(), '\\', '/');
        bool ok = false;
        std::u16string name = utf8ToUtf16(text, &ok);
        if (ok && !name.empty()) names.push_back(std::move(name));
    };
    size_t i = 0;
    while (i < source.size()) {
        const char c = source[i];
        if (c == '-' && i + 1 < source.size() && source[i + 1] == '-') {
            const int level = longLevel(i + 2);
            if (level >= 0) {
                i = skipLong(i + 2, level);
            } else {
                const size_t end = source.find('\n', i);
                i = end == std::string_view::npos ? source.size() : end + 1;
            }
        } else if (c == '[' && longLevel(i) >= 0) {
            // A long string: its text as it stands.
            const int level = longLevel(i);
            const size_t from = i + size_t(level) + 2;
            addName(std::string(source.substr(from, closeOf(i, level) - from)));
            i = skipLong(i, level);
        } else if (c == '\'' || c == '"') {
            std::string text;
            size_t k = i + 1;
            for (; k < source.size() && source[k] != c && source[k] != '\n'; ++k) {
                if (source[k] != '\\' || k + 1 >= source.size()) {
                    text += source[k];
                    continue;
                }
                const char e = source[++k];
                switch (e) {
                case 'n': text += '\n'; break;
                case 't': text += '\t'; break;
                case 'r': text += '\r'; break;
                default: text += e; break;  // \\, \', \" and the rest as written
                }
            }
            addName(std::move(text));
            i = k + 1;
        } else {
            ++i;
        }
    }
    return names;
}

} // namespace nelvo
