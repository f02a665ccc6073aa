#include "host/MemberPrefetcher.h"

#include "host/TextConvert.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace nelvo {

MemberPrefetcher::MemberPrefetcher(const LzPackage& package, size_t budget) : package_(package), budget_(budget) {}

MemberPrefetcher::~MemberPrefetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (helper_.joinable()) helper_.join();
}

void MemberPrefetcher::expect(const std::vector<std::u16string>& order) {
    std::lock_guard<std::mutex> lock(mutex_);
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
    if (slots_.empty()) return;
    try {
        helper_ = std::thread(&MemberPrefetcher::helperMain, this);
    } catch (const std::system_error&) {
        // Members are then decoded when taken.
    }
}

size_t MemberPrefetcher::claimNext() {
    while (next_ < slots_.size() && slots_[next_].state != State::Waiting) ++next_;
    if (next_ == slots_.size()) return kNone;
    const size_t size = slots_[next_].entry->unpackedSize;
    if (held_ > 0 && held_ + size > budget_) return kNone;
    slots_[next_].state = State::Decoding;
    held_ += size;
    peak_ = std::max(peak_, held_);
    return next_++;
}

void MemberPrefetcher::decodeClaimed(size_t slot, std::unique_lock<std::mutex>& lock) {
    const LzPackage::Entry& entry = *slots_[slot].entry;
    lock.unlock();
    HeapBlock block;
    const LzPackage::Decode result = package_.decodeEntry(entry, block);
    lock.lock();
    Slot& s = slots_[slot];
    s.result = result;
    s.block = std::move(block);
    s.state = State::Ready;
    changed_.notify_all();
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
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        const size_t slot = claimNext();
        if (slot == kNone) {
            changed_.wait(lock);
            continue;
        }
        decodeClaimed(slot, lock);
    }
}

LzPackage::Decode MemberPrefetcher::take(std::u16string_view name, HeapBlock& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = slotOf_.find(name);
    if (it == slotOf_.end() || slots_[it->second].state == State::Gone) {
        lock.unlock();
        return package_.lookupChecked(name, out);
    }
    const size_t slot = it->second;
    dropBefore(slot);
    for (;;) {
        Slot& s = slots_[slot];
        if (s.state == State::Ready) {
            out = std::move(s.block);
            held_ -= s.entry->unpackedSize;
            s.state = State::Gone;
            changed_.notify_all();
            return s.result;
        }
        if (s.state == State::Waiting) {
            // Not reached ahead yet: decoded here, and never ahead.
            s.state = State::Gone;
            const LzPackage::Entry& entry = *s.entry;
            changed_.notify_all();
            lock.unlock();
            return package_.decodeEntry(entry, out);
        }
        // Being decoded ahead: help with the next one meanwhile.
        const size_t other = claimNext();
        if (other != kNone) decodeClaimed(other, lock);
        else changed_.wait(lock);
    }
}

size_t MemberPrefetcher::peakHeld() {
    std::lock_guard<std::mutex> lock(mutex_);
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
