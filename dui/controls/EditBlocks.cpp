#include "dui/controls/EditBlocks.h"

#include <algorithm>

namespace nelvo {

EditBlocks::EditBlocks() { blocks_.emplace_back(); }

void EditBlocks::assign(std::u16string_view text) {
    blocks_.clear();
    for (size_t at = 0; at < text.size(); at += kReplaceBlock) {
        Block b;
        b.units.assign(text.substr(at, kReplaceBlock));
        blocks_.push_back(std::move(b));
    }
    if (blocks_.empty()) blocks_.emplace_back();
    renumber(0);
}

size_t EditBlocks::blockOf(int32_t index) const {
    if (index >= length_) return blocks_.size() - 1;
    // Most reads walk forward through the text: try the block of the last
    // lookup and its successor before searching.
    for (size_t k = lastHit_; k < blocks_.size() && k < lastHit_ + 2; ++k) {
        const Block& b = blocks_[k];
        if (index >= b.first && index < b.first + static_cast<int32_t>(b.units.size())) return lastHit_ = k;
    }
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                               [](int32_t i, const Block& b) { return i < b.first; });
    return lastHit_ = static_cast<size_t>(it - blocks_.begin()) - 1;
}

void EditBlocks::renumber(size_t fromBlock) {
    int32_t first = fromBlock == 0 ? 0
                                   : blocks_[fromBlock - 1].first +
                                         static_cast<int32_t>(blocks_[fromBlock - 1].units.size());
    for (size_t k = fromBlock; k < blocks_.size(); ++k) {
        blocks_[k].first = first;
        first += static_cast<int32_t>(blocks_[k].units.size());
    }
    length_ = first;
    lastHit_ = 0;
}

void EditBlocks::insert(int32_t at, std::u16string_view units) {
    if (units.empty()) return;
    at = std::clamp(at, 0, length_);
    const size_t k = blockOf(at);
    Block& b = blocks_[k];
    const size_t offset = static_cast<size_t>(at - b.first);
    if (b.units.size() + units.size() <= static_cast<size_t>(kMaxBlock)) {
        b.units.insert(offset, units);
        renumber(k);
        return;
    }
    // Too big for one block: cut the combined text into k pieces of s / k
    // units, the first taking the remainder.
    std::u16string combined;
    combined.reserve(b.units.size() + units.size());
    combined.append(b.units, 0, offset).append(units).append(b.units, offset);
    const size_t s = combined.size();
    size_t pieces = s / kReplaceBlock + (s % kReplaceBlock > 500 ? 1 : 0);
    if (pieces == 0) pieces = 1;
    const size_t each = s / pieces;
    std::vector<Block> cut(pieces);
    size_t pos = 0;
    for (size_t p = 0; p < pieces; ++p) {
        const size_t n = p == 0 ? each + s % pieces : each;
        cut[p].units.assign(combined, pos, n);
        pos += n;
    }
    blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(k));
    blocks_.insert(blocks_.begin() + static_cast<ptrdiff_t>(k), std::make_move_iterator(cut.begin()),
                   std::make_move_iterator(cut.end()));
    renumber(k);
}

void EditBlocks::erase(int32_t from, int32_t to) {
    from = std::clamp(from, 0, length_);
    to = std::clamp(to, 0, length_);
    if (from >= to) return;
    const size_t firstBlock = blockOf(from);
    // Pass 1: cut the range out of each block it touches. Block first
    // indices keep the old numbering until the end, so every block after the
    // first is cut from its start.
    int32_t remaining = to - from;
    int32_t offset = from - blocks_[firstBlock].first;
    for (size_t k = firstBlock; remaining > 0 && k < blocks_.size(); ++k, offset = 0) {
        std::u16string& units = blocks_[k].units;
        const int32_t n = std::min(remaining, static_cast<int32_t>(units.size()) - offset);
        units.erase(static_cast<size_t>(offset), static_cast<size_t>(n));
        remaining -= n;
    }
    // Pass 2: drop empty blocks, keeping one for an empty text.
    blocks_.erase(std::remove_if(blocks_.begin(), blocks_.end(), [](const Block& b) { return b.units.empty(); }),
                  blocks_.end());
    if (blocks_.empty()) blocks_.emplace_back();
    // Pass 3: merge each block with its followers while they fit, starting
    // with the block before the change.
    size_t start = firstBlock > 0 ? firstBlock - 1 : 0;
    if (start >= blocks_.size()) start = blocks_.size() - 1;
    for (size_t j = start; j + 1 < blocks_.size();) {
        if (blocks_[j].units.size() + blocks_[j + 1].units.size() <= static_cast<size_t>(kReplaceBlock)) {
            blocks_[j].units += blocks_[j + 1].units;
            blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(j + 1));
        } else {
            ++j;
        }
    }
    renumber(start);
}

char16_t EditBlocks::at(int32_t index) const {
    if (index < 0 || index >= length_) return 0;
    const Block& b = blocks_[blockOf(index)];
    return b.units[static_cast<size_t>(index - b.first)];
}

std::u16string EditBlocks::copy(int32_t from, int32_t to) const {
    from = std::clamp(from, 0, length_);
    to = std::clamp(to, 0, length_);
    std::u16string out;
    if (from >= to) return out;
    out.reserve(static_cast<size_t>(to - from));
    for (size_t k = blockOf(from); k < blocks_.size() && from < to; ++k) {
        const Block& b = blocks_[k];
        const int32_t offset = from - b.first;
        const int32_t n = std::min(to - from, static_cast<int32_t>(b.units.size()) - offset);
        out.append(b.units, static_cast<size_t>(offset), static_cast<size_t>(n));
        from += n;
    }
    return out;
}

} // namespace nelvo
