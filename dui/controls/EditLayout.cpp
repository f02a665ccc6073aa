#include "dui/controls/EditLayout.h"

#include <algorithm>

namespace nelvo {

EditLayout::EditLayout() { lines_.push_back({0, -1, EditLine::None}); }

void EditLayout::layoutRange(const EditBlocks& text, CharWidths& widths, int32_t availableWidth, int32_t from,
                             int32_t to, bool finish, std::vector<EditLine>& out) {
    const std::u16string units = text.copy(from, to);
    const int32_t n = static_cast<int32_t>(units.size());
    int32_t i = 0;
    while (i < n) {
        const int32_t start = i;
        int32_t width = 0;
        for (;;) {
            const char16_t u = units[static_cast<size_t>(i)];
            if (u == u'\n') {
                out.push_back({from + start, from + i, EditLine::Lf});
                ++i;
                break;
            }
            if (u == u'\r') {
                const char16_t next = i + 1 < n ? units[static_cast<size_t>(i + 1)] : text.at(from + i + 1);
                if (next == u'\n' && from + i + 1 < text.length()) {
                    out.push_back({from + start, from + i + 1, EditLine::CrLf});
                    i += 2;
                } else {
                    out.push_back({from + start, from + i, EditLine::Lf});
                    ++i;
                }
                break;
            }
            const int32_t w = widths.width(u);
            // At least one unit per line, however narrow the editor.
            if (i > start && width + w > availableWidth) {
                out.push_back({from + start, from + i - 1, EditLine::None});
                break;
            }
            width += w;
            ++i;
            if (i == n) {
                out.push_back({from + start, from + i - 1, EditLine::None});
                break;
            }
        }
    }
    if (finish && (out.empty() || out.back().breakKind != EditLine::None))
        out.push_back({text.length(), text.length() - 1, EditLine::None});
}

void EditLayout::layoutAll(const EditBlocks& text, CharWidths& widths, int32_t availableWidth) {
    lines_.clear();
    layoutRange(text, widths, availableWidth, 0, text.length(), true, lines_);
}

int32_t EditLayout::lineOf(int32_t index) const {
    auto it = std::upper_bound(lines_.begin(), lines_.end(), index,
                               [](int32_t i, const EditLine& l) { return i < l.start; });
    if (it == lines_.begin()) return 0;
    return static_cast<int32_t>(it - lines_.begin()) - 1;
}

void EditLayout::update(const EditBlocks& text, CharWidths& widths, int32_t availableWidth, int32_t at,
                        int32_t inserted, int32_t removed) {
    const int32_t changed = lineOf(at);
    const int32_t first = std::max(0, changed - 1);
    // The paragraph ends at the first break that the change left in place.
    int32_t last = changed;
    while (last < count() && !(lines_[static_cast<size_t>(last)].breakKind != EditLine::None &&
                                lines_[static_cast<size_t>(last)].end >= at + removed))
        ++last;
    const int32_t delta = inserted - removed;
    const int32_t from = lines_[static_cast<size_t>(first)].start;
    int32_t to = text.length();
    const bool finish = last >= count();
    if (finish)
        last = count() - 1;
    else
        to = lines_[static_cast<size_t>(last)].end + 1 + delta;
    std::vector<EditLine> fresh;
    layoutRange(text, widths, availableWidth, from, to, finish, fresh);
    for (size_t k = static_cast<size_t>(last) + 1; k < lines_.size(); ++k) {
        lines_[k].start += delta;
        lines_[k].end += delta;
    }
    lines_.erase(lines_.begin() + first, lines_.begin() + last + 1);
    lines_.insert(lines_.begin() + first, fresh.begin(), fresh.end());
}

} // namespace nelvo
