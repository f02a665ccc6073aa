#pragma once
// Decodes package members ahead of an install script, on a second thread,
// in the order the script is expected to ask for them, so that decoding
// overlaps with the script's other work and with the decoding of the member
// it asks for. Only memory is touched ahead: what a member becomes on disk
// is still decided by the caller, when the script asks.
//
// Bounded: at most `budget` bytes of members are held decoded, counting the
// ones decoded ahead and not yet taken and the last one taken until the
// caller is done with it (one member more only while nothing at all is
// held). Members larger than `largest` are never decoded ahead.
//
// What is not decoded ahead is the caller's to decode, which it does
// through a small window straight into the member's file (see
// LzPackage::decodeEntryInPieces): a member the script reaches before the
// thread does, one the script skipped (dropped once a later one is taken),
// asks for again, out of the expected order or never expected, and stored
// members, whose bytes are in the package already. So the caller decodes
// one member while the thread decodes the next.
//
// One caller thread takes members; the prefetcher's own thread only
// decodes. Windows' own lock, condition and thread where it runs there (see
// MemberPrefetcher.cpp), the standard ones elsewhere.

#include "store/LzPackage.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class MemberPrefetcher {
public:
    // `package` must outlive the prefetcher.
    MemberPrefetcher(const LzPackage& package, size_t budget, size_t largest);
    // Stops the thread, waits for it and frees what was never taken.
    ~MemberPrefetcher();
    MemberPrefetcher(const MemberPrefetcher&) = delete;
    MemberPrefetcher& operator=(const MemberPrefetcher&) = delete;

    // Sets the expected order of requests and starts decoding ahead. Names
    // the package lacks, stored members and repeated names are left out.
    // Called once; later calls are ignored. Without a thread (the system
    // refuses one) members are decoded when taken.
    void expect(const std::vector<std::u16string>& order);

    // The member decoded ahead: its content and how it decoded, exactly as
    // lookupChecked() gives them; waits for a member being decoded ahead,
    // and meanwhile decodes the next expected one itself. Nothing when the
    // member was not decoded ahead: the caller decodes it.
    // The member taken counts against the budget until release() or the
    // next take().
    std::optional<LzPackage::Decode> take(std::u16string_view name, HeapBlock& out);
    // The caller is done with the member it took last (it has freed it or
    // is about to): decoding ahead may use its room.
    void release();

    // The most bytes held decoded ahead at any time (for tests and figures).
    size_t peakHeld();

    // The texts of the quoted string literals of Lua source, in order, with
    // escaped characters read and every "\" turned into "/": the member
    // names an install script mentions, with what else it quotes.
    static std::vector<std::u16string> quotedNames(std::string_view source);

private:
    enum class State { Waiting, Decoding, Ready, Gone };
    struct Slot {
        const LzPackage::Entry* entry = nullptr;
        State state = State::Waiting;
        LzPackage::Decode result = LzPackage::Decode::Ok;
        HeapBlock block;
    };
    static constexpr size_t kNone = size_t(-1);
    // The lock (a standard Lockable), the condition and the thread.
    struct Sync;

    // The next waiting slot within the budget, now Decoding; kNone if none.
    // Under the lock.
    size_t claimNext();
    // Decodes a claimed slot without the lock and stores the result; the
    // lock is held again on return.
    void decodeClaimed(size_t slot, std::unique_lock<Sync>& lock);
    // Slots before `slot` were skipped by the script: drop them. Under the
    // lock.
    void dropBefore(size_t slot);
    void helperMain();

    const LzPackage& package_;
    const size_t budget_;
    const size_t largest_;
    std::vector<Slot> slots_;
    std::map<std::u16string, size_t, std::less<>> slotOf_;
    size_t next_ = 0;  // slots before this one are no longer Waiting
    size_t held_ = 0;  // bytes of Decoding and Ready slots and of the member in hand
    size_t inHand_ = 0;  // bytes of the member taken last, until released
    size_t peak_ = 0;
    bool started_ = false;
    bool stop_ = false;
    std::unique_ptr<Sync> sync_;
};

} // namespace nelvo
