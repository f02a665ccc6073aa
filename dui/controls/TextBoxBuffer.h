#pragma once
// TextBoxBuffer: the text, selection and horizontal scroll of a one-line
// text box, without any window. Indices count UTF-16 units; the selection
// is the half-open range between anchor and caret. Widths come from a
// CharWidths in the text box's font. Free of any operating system.

#include "dui/controls/CharWidths.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nelvo {

class TextBoxBuffer {
public:
    // The text is at most this many units long; more is dropped silently.
    static constexpr int32_t kCapacity = 1999;

    const std::u16string& text() const { return text_; }
    int32_t length() const { return static_cast<int32_t>(text_.size()); }
    int32_t anchor() const { return anchor_; }
    int32_t caret() const { return caret_; }
    int32_t scroll() const { return scroll_; }
    bool hasSelection() const { return anchor_ != caret_; }
    int32_t selectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    int32_t selectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    std::u16string selectedText() const;

    // Replaces the text (truncated to the capacity); scroll 0, anchor and
    // caret at the end. False, changing nothing, when the text is the same.
    bool assign(std::u16string_view text);
    // Inserts at most the units that fit at `at`; returns how many.
    int32_t insert(int32_t at, std::u16string_view units);
    // Removes [from, to) and pulls the scroll back by the width removed
    // (never below 0). Anchor and caret are left to the caller.
    void erase(int32_t from, int32_t to, CharWidths& widths);

    // Deletes the selection, if any, collapsing onto its start. True when
    // something was deleted.
    bool deleteSelection(CharWidths& widths);
    // Replaces the selection by `units` (as much as fits), anchor and caret
    // behind them. Returns the number of units inserted.
    int32_t replaceSelection(std::u16string_view units, CharWidths& widths);

    void setCaret(int32_t caret) { caret_ = clampIndex(caret); }
    void setAnchor(int32_t anchor) { anchor_ = clampIndex(anchor); }
    void collapseTo(int32_t index) { anchor_ = caret_ = clampIndex(index); }

    // Width of the first `n` units.
    int32_t prefixWidth(int32_t n, CharWidths& widths) const;
    // The index nearest to pixel `x` of the visible text (scroll added).
    int32_t hitTest(int32_t x, CharWidths& widths) const;
    // Scrolls so that the caret lies within `availableWidth` pixels; returns
    // the caret's x relative to the visible text start.
    int32_t ensureCaretVisible(int32_t availableWidth, CharWidths& widths);

private:
    int32_t clampIndex(int32_t i) const { return i < 0 ? 0 : i > length() ? length() : i; }

    std::u16string text_;
    int32_t anchor_ = 0;
    int32_t caret_ = 0;
    int32_t scroll_ = 0;
};

} // namespace nelvo
