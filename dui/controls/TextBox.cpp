#include "dui/controls/TextBox.h"

#include "dui/MemberHandler.h"
#include "dui/LayoutMath.h"

#include "dui/ControlWindow.h"
#include "dui/controls/TextKeys.h"

#ifdef _WIN32
#include "dui/TextDraw.h"
#include "dui/controls/Clipboard.h"
#include "dui/controls/NamedStyle.h"
#include "dui/controls/SkinDrawing.h"
#endif

#include <algorithm>

namespace nelvo {

using namespace textkeys;

namespace {

#ifdef _WIN32
// Control characters (CR, LF and TAB included) become spaces: the text box
// holds one line.
std::u16string oneLine(std::u16string text) {
    for (char16_t& c : text)
        if (c < 32) c = u' ';
    return text;
}
#endif

} // namespace

TextBox::TextBox() {
    setFlag(ControlFlag::WantsDoubleClick, true);
    listen<&TextBox::onDoubleClick>(*this, EventCode::LButtonDbClick);
}

TextBox::~TextBox() = default;

int32_t TextBox::lineHeight() const {
#ifdef _WIN32
    return widths_.metrics().tmHeight + widths_.metrics().tmExternalLeading;
#else
    return 16;
#endif
}

void TextBox::setText(std::u16string_view text) {
    if (!buffer_.assign(text)) return;
    textChanged();
    invalidate(false);
}

void TextBox::replaceSelection(std::u16string_view units) {
    // A full box takes nothing more: the text stays and nothing is raised.
    const std::u16string before = buffer_.text();
    buffer_.replaceSelection(units, widths());
    if (buffer_.text() != before) textChanged();
}

std::u16string TextBox::accessibleName() const {
    for (PropertyKey key : {attr::accessibleName, attr::tooltip})
        if (const std::u16string* t = findText(key); t && !t->empty()) return *t;
    return {};
}

void TextBox::textChanged() {
    accessibleChanged(access::Change::Value);
    Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
    raiseEvent(e);
}

void TextBox::ensureCaretVisible() {
    const int32_t x = buffer_.ensureCaretVisible(layout::sub(bounds().width(), 2 * kPaddingX), widths());
    invalidate(false);
    Rect r;
    if (window() && windowRect(r))
        window()->showCaret(layout::add(r.left, kPaddingX + x), layout::add(r.top, kPaddingY));
}

void TextBox::onAttached(Event&) {
#ifdef _WIN32
    widths_.setFont(findFont(u"Default"));
#endif
    if (const std::u16string* text = findText(attr::text)) setText(*text);
}

void TextBox::onLButtonDown(Event& e) {
    Rect r;
    windowRect(r);
    const int32_t x = layout::sub(layout::sub(eventPoint(e).x, r.left), kPaddingX);
    const int32_t index = buffer_.hitTest(x, widths());
    const bool moved = index != buffer_.caret();
    buffer_.collapseTo(index);
    if (moved) ensureCaretVisible();
    invalidate(false);
    e.handled = 1;
}

void TextBox::onMouseMove(Event& e) {
    if (!hasFlag(ControlFlag::Pressed)) return;
    Rect r;
    windowRect(r);
    // Dragging past either end scrolls by at most about one character.
    const int32_t slack = widths().width(u'W');
    const int32_t x = std::clamp(layout::sub(eventPoint(e).x, r.left), kPaddingX - slack,
                                 std::max(kPaddingX - slack, layout::sub(bounds().width(), kPaddingX - slack)));
    buffer_.setCaret(buffer_.hitTest(x - kPaddingX, widths()));
    ensureCaretVisible();
    e.handled = 1;
}

void TextBox::onDoubleClick(Event& e) {
    buffer_.setAnchor(0);
    buffer_.setCaret(buffer_.length());
    ensureCaretVisible();
    e.handled = 1;
}

void TextBox::onKeyDown(Event& e) {
    const auto key = static_cast<int32_t>(e.param1);
    // Tab, Enter and Escape go on to the window; no other key reaches the
    // parents of a text box.
    if (isDialogKey(key)) return;
    keyDown(key);
    e.handled = 1;
}

void TextBox::keyDown(int32_t key) {
    CharWidths& w = widths();
    const bool ctrl = controlKeyDown();
    switch (key) {
    case kBackspace:
        if (!buffer_.hasSelection()) {
            if (buffer_.caret() == 0) return;
            buffer_.setAnchor(buffer_.caret() - 1);
        }
        buffer_.deleteSelection(w);
        textChanged();
        ensureCaretVisible();
        return;
    case kDelete:
        if (!buffer_.hasSelection()) {
            if (buffer_.caret() >= buffer_.length()) return;
            buffer_.setAnchor(buffer_.caret() + 1);
        }
        buffer_.deleteSelection(w);
        textChanged();
        ensureCaretVisible();
        return;
    case kLeft:
    case kUp:
    case kRight:
    case kDown:
    case kHome:
    case kEnd: {
        const int32_t to = key == kHome ? 0
                           : key == kEnd ? buffer_.length()
                           : buffer_.caret() + (key == kLeft || key == kUp ? -1 : 1);
        // With Shift the selection grows from where it was anchored.
        if (shiftKeyDown())
            buffer_.setCaret(to);
        else
            buffer_.collapseTo(to);
        ensureCaretVisible();
        return;
    }
    default:
        break;
    }
    if (!ctrl) return;
    switch (key) {
    case kKeyA:
        buffer_.setAnchor(0);
        buffer_.setCaret(buffer_.length());
        ensureCaretVisible();
        return;
    case kKeyC:
        copySelection();
        return;
    case kKeyX:
        // A cut that could not reach the clipboard keeps the text.
        if (!buffer_.hasSelection() || !copySelection()) return;
        buffer_.deleteSelection(w);
        textChanged();
        ensureCaretVisible();
        return;
    case kKeyV:
        paste();
        return;
    default:
        return;
    }
}

void TextBox::onKeyPress(Event& e) {
    e.handled = 1;
    const auto unit = static_cast<char16_t>(e.param1);
    if (unit < 32) return;
    replaceSelection(std::u16string_view(&unit, 1));
    ensureCaretVisible();
}

bool TextBox::copySelection() {
#ifdef _WIN32
    if (!buffer_.hasSelection() || !window()) return false;
    return clipboardSetText(window()->nativeHandle(), buffer_.selectedText());
#else
    return false;
#endif
}

void TextBox::paste() {
#ifdef _WIN32
    std::u16string text;
    if (!window() || !clipboardGetText(window()->nativeHandle(), text)) return;
    replaceSelection(oneLine(std::move(text)));
    ensureCaretVisible();
#endif
}

void TextBox::focusLost() {
    buffer_.collapseTo(buffer_.caret());
    invalidate(false);
}

Size TextBox::measureOverride(int32_t, int32_t) { return {0, lineHeight() + 2 * kPaddingY}; }

void TextBox::layoutSettled() {
    // Scrolls for the new width and places the caret in the new bounds.
    if (hasFlag(ControlFlag::Focused)) ensureCaretVisible();
}

#ifdef _WIN32
void TextBox::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    Control::paint(dc, bounds, clip);
    const Rect textRect{layout::add(bounds.left, kPaddingX), layout::add(bounds.top, kPaddingY),
                        layout::sub(bounds.right, kPaddingX), layout::sub(bounds.bottom, kPaddingY)};
    const Rect visible = intersect(textRect, clip);
    if (visible.empty()) return;
    SaveDcGuard saved(dc);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    SetBkMode(dc, TRANSPARENT);
    CharWidths& w = widths();
    const int32_t scroll = buffer_.scroll();
    const int32_t start = textRect.left - scroll;
    // The rectangle reaches past the whole text so that nothing is broken
    // off; the clip keeps the drawing inside the box.
    const Rect drawRect{start, textRect.top, std::max(textRect.right, start + buffer_.prefixWidth(buffer_.length(), w) + 1),
                        textRect.bottom};
    constexpr UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_WORDBREAK | DT_VCENTER;
    // At a scale the glyphs go where the caret arithmetic puts them.
    std::vector<int32_t> advances;
    advances.reserve(buffer_.text().size());
    for (char16_t u : buffer_.text()) advances.push_back(w.width(u));
    drawTextWithAdvances(dc, drawRect, buffer_.text(), widths_.font(), 0, format, advances);
    if (!buffer_.hasSelection()) return;
    const int32_t from = std::max(textRect.left, start + buffer_.prefixWidth(buffer_.selectionStart(), w));
    const int32_t to = std::min(textRect.right, start + buffer_.prefixWidth(buffer_.selectionEnd(), w));
    const Rect mark = intersect({from, textRect.top, to, textRect.bottom}, visible);
    if (mark.empty()) return;
    IntersectClipRect(dc, mark.left, mark.top, mark.right, mark.bottom);
    const RECT fill{mark.left, mark.top, mark.right, mark.bottom};
    FillRect(dc, &fill, selectionBrush_.get());
    drawTextWithAdvances(dc, drawRect, buffer_.text(), widths_.font(), 0, format, advances);
}
#else
void TextBox::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) { Control::paint(dc, bounds, clip); }
#endif

} // namespace nelvo
