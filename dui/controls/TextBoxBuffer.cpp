#include "dui/controls/TextBoxBuffer.h"

#include <algorithm>

namespace nelvo {

std::u16string TextBoxBuffer::selectedText() const {
    return text_.substr(static_cast<size_t>(selectionStart()), static_cast<size_t>(selectionEnd() - selectionStart()));
}

bool TextBoxBuffer::assign(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(kCapacity)) text = text.substr(0, kCapacity);
    if (text == text_) return false;
    text_.assign(text);
    scroll_ = 0;
    anchor_ = caret_ = length();
    return true;
}

int32_t TextBoxBuffer::insert(int32_t at, std::u16string_view units) {
    const int32_t room = kCapacity - length();
    const int32_t n = std::min<int32_t>(room, static_cast<int32_t>(std::min<size_t>(units.size(), kCapacity)));
    if (n <= 0) return 0;
    text_.insert(static_cast<size_t>(clampIndex(at)), units.substr(0, static_cast<size_t>(n)));
    return n;
}

void TextBoxBuffer::erase(int32_t from, int32_t to, CharWidths& widths) {
    from = clampIndex(from);
    to = clampIndex(to);
    if (from >= to) return;
    const int32_t before = prefixWidth(to, widths);
    text_.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    const int32_t after = prefixWidth(from, widths);
    scroll_ = std::max(0, scroll_ + after - before);
    anchor_ = clampIndex(anchor_);
    caret_ = clampIndex(caret_);
}

bool TextBoxBuffer::deleteSelection(CharWidths& widths) {
    if (!hasSelection()) return false;
    const int32_t start = selectionStart();
    erase(start, selectionEnd(), widths);
    collapseTo(start);
    return true;
}

int32_t TextBoxBuffer::replaceSelection(std::u16string_view units, CharWidths& widths) {
    deleteSelection(widths);
    const int32_t n = insert(caret_, units);
    collapseTo(caret_ + n);
    return n;
}

int32_t TextBoxBuffer::prefixWidth(int32_t n, CharWidths& widths) const {
    n = clampIndex(n);
    int32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) sum += widths.width(text_[static_cast<size_t>(i)]);
    return sum;
}

int32_t TextBoxBuffer::hitTest(int32_t x, CharWidths& widths) const {
    const int32_t target = x + scroll_;
    int32_t sum = 0;
    for (int32_t i = 0; i < length(); ++i) {
        const int32_t w = widths.width(text_[static_cast<size_t>(i)]);
        if (sum + w >= target) return 2 * (target - sum) < w ? i : i + 1;
        sum += w;
    }
    return length();
}

int32_t TextBoxBuffer::ensureCaretVisible(int32_t availableWidth, CharWidths& widths) {
    const int32_t x = prefixWidth(caret_, widths);
    if (x > scroll_ + availableWidth)
        scroll_ = x - availableWidth;
    else if (x < scroll_)
        scroll_ = x;
    return x - scroll_;
}

} // namespace nelvo
