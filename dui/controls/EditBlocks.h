#pragma once
// EditBlocks: the text of a multi-line editor, kept as an ordered table of
// blocks of UTF-16 units so that an edit touches one block, not the whole
// text.
//
// Invariants: there is always at least one block; only a text that is empty
// has an empty block (its only one). Replacing the text cuts it into blocks
// of kReplaceBlock units (the last may be shorter). An insertion goes into
// the block holding the index; when that block would grow past kMaxBlock it
// is cut again into k blocks of the combined text, k = s / 1500 + (1 if
// s mod 1500 > 500), the first taking the remainder. A deletion drops the
// blocks it empties and merges neighbours while they fit in kReplaceBlock.
// Indices count units over the whole text. Free of any operating system.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class EditBlocks {
public:
    static constexpr int32_t kReplaceBlock = 1500;
    static constexpr int32_t kMaxBlock = 2000;

    EditBlocks();

    // Replaces the whole text.
    void assign(std::u16string_view text);
    // Inserts `units` before index `at` (clamped to [0, length]).
    void insert(int32_t at, std::u16string_view units);
    // Removes [from, to), clamped to the text; nothing for an empty range.
    void erase(int32_t from, int32_t to);

    int32_t length() const { return length_; }
    // The unit at `index`; 0 outside the text.
    char16_t at(int32_t index) const;
    // The units of [from, to), clamped to the text.
    std::u16string copy(int32_t from, int32_t to) const;
    std::u16string text() const { return copy(0, length_); }

    size_t blockCount() const { return blocks_.size(); }
    // Size of block `k` in units.
    int32_t blockSize(size_t k) const { return static_cast<int32_t>(blocks_[k].units.size()); }
    // First index of block `k`.
    int32_t blockFirst(size_t k) const { return blocks_[k].first; }

private:
    struct Block {
        int32_t first = 0;  // absolute index of its first unit
        std::u16string units;
    };

    // The block holding `index`; the last block for index == length.
    size_t blockOf(int32_t index) const;
    void renumber(size_t fromBlock);

    std::vector<Block> blocks_;
    int32_t length_ = 0;
    mutable size_t lastHit_ = 0;  // where the previous lookup ended, for sequential reads
};

} // namespace nelvo
