#include "dui/controls/Edit.h"

#include "dui/MemberHandler.h"

#include "dui/ControlWindow.h"
#include "dui/LayoutMath.h"
#include "dui/controls/TextKeys.h"

#ifdef _WIN32
#include "dui/TextDraw.h"
#include "dui/controls/Clipboard.h"
#include "dui/controls/NamedStyle.h"
#include "dui/controls/SkinDrawing.h"
#include "dui/Style.h"
#endif

#include <algorithm>

namespace nelvo {

using namespace textkeys;

Edit::Edit() { listen<&Edit::onMouseWheel>(*this, EventCode::MouseWheel); }

Edit::~Edit() = default;

int32_t Edit::lineHeight() const {
#ifdef _WIN32
    const int32_t font = widths_.metrics().tmHeight;
#else
    const int32_t font = 16;
#endif
    // Never 0, whatever the font and spacing: line arithmetic divides by it.
    return std::max(1, font + lineSpace_);
}

int32_t Edit::visibleLineCount() const {
    return std::max(0, layout::sub(arrangedHeight_, 2 * padY_) / lineHeight());
}

// --- Text and layout ---

void Edit::setText(std::u16string_view text) {
    blocks_.assign(text);
    anchor_ = clampIndex(anchor_);
    caret_ = clampIndex(caret_);
    relayout();
    firstVisible_ = std::clamp(firstVisible_, 0, layout_.count() - 1);
    invalidate(false);
    accessibleChanged(access::Change::Value);
}

std::u16string Edit::accessibleName() const {
    for (PropertyKey key : {attr::accessibleName, attr::tooltip})
        if (const std::u16string* t = findText(key); t && !t->empty()) return *t;
    return editable_ ? std::u16string() : blocks_.text();
}

void Edit::relayout() { layout_.layoutAll(blocks_, widths(), availableWidth()); }

void Edit::insertAt(int32_t at, std::u16string_view units) {
    if (units.empty()) return;
    blocks_.insert(at, units);
    layout_.update(blocks_, widths(), availableWidth(), at, static_cast<int32_t>(units.size()), 0);
}

void Edit::eraseRange(int32_t from, int32_t to) {
    from = clampIndex(from);
    to = clampIndex(to);
    if (from >= to) return;
    blocks_.erase(from, to);
    layout_.update(blocks_, widths(), availableWidth(), from, 0, to - from);
}

void Edit::deleteSelection() {
    const int32_t start = std::min(anchor_, caret_);
    eraseRange(start, std::max(anchor_, caret_));
    anchor_ = caret_ = start;
}

// --- Geometry ---

int32_t Edit::widthBetween(int32_t from, int32_t to) {
    int32_t sum = 0;
    for (int32_t i = from; i < to; ++i) sum += widths().width(blocks_.at(i));
    return sum;
}

Point Edit::pointOf(int32_t index) {
    index = clampIndex(index);
    const int32_t k = layout_.lineOf(index);
    return {padX_ + widthBetween(layout_.line(k).start, index), (k - firstVisible_) * lineHeight() + padY_};
}

int32_t Edit::indexInLine(int32_t k, int32_t x) {
    const EditLine& line = layout_.line(k);
    const int32_t target = x - padX_;
    int32_t sum = 0;
    for (int32_t i = line.start; i <= line.end; ++i) {
        const char16_t u = blocks_.at(i);
        if (u == u'\r' || u == u'\n') return i;
        const int32_t w = widths().width(u);
        if (sum + w >= target) return 2 * (target - sum) < w ? i : i + 1;
        sum += w;
    }
    return line.end + 1;
}

int32_t Edit::indexAt(int32_t x, int32_t y) {
    const int32_t lh = lineHeight();
    const int64_t pos = static_cast<int64_t>(firstVisible_) * lh + y - padY_;
    // Floor division, so a point just above the first line is the line above.
    int64_t k = pos >= 0 ? pos / lh : -((-pos + lh - 1) / lh);
    k = std::clamp<int64_t>(k, 0, layout_.count() - 1);
    return indexInLine(static_cast<int32_t>(k), x);
}

int32_t Edit::stepBack(int32_t index) const {
    if (index <= 0) return 0;
    if (index >= 2 && blocks_.at(index - 1) == u'\n' && blocks_.at(index - 2) == u'\r') return index - 2;
    return index - 1;
}

int32_t Edit::stepForward(int32_t index) const {
    if (index >= blocks_.length()) return blocks_.length();
    if (blocks_.at(index) == u'\r' && blocks_.at(index + 1) == u'\n') return index + 2;
    return index + 1;
}

// --- Scrolling and the caret ---

int32_t Edit::limitFirstLine(int32_t first) const {
    const int32_t count = layout_.count();
    if (!editable_) first = std::min(first, count - visibleLineCount());
    return std::clamp(first, 0, std::max(0, count - 1));
}

void Edit::placeCaret() {
    ControlWindow* w = window();
    Rect r;
    if (!w || !hasFlag(ControlFlag::Focused) || !windowRect(r)) return;
    const Point p = pointOf(caret_);
    w->showCaret(layout::add(r.left, p.x), layout::add(r.top, p.y));
}

void Edit::showCaretIfVisible() {
    const int32_t line = layout_.lineOf(caret_);
    if (line >= firstVisible_ && line < firstVisible_ + visibleLineCount())
        placeCaret();
    else if (ControlWindow* w = window(); w && hasFlag(ControlFlag::Focused))
        w->hideCaret();
}

void Edit::ensureVisible() {
    const int32_t line = layout_.lineOf(caret_);
    const int32_t visible = visibleLineCount();
    if (line < firstVisible_)
        firstVisible_ = line;
    else if (line > firstVisible_ + visible - 1)
        firstVisible_ = line - visible + 1;
    firstVisible_ = limitFirstLine(firstVisible_);
    placeCaret();
}

void Edit::moveCaretToLine(int32_t line) {
    line = std::clamp(line, 0, layout_.count() - 1);
    caret_ = anchor_ = indexInLine(line, rememberedX_ + padX_);
}

// --- Events ---

void Edit::readAttributes() {
    lineSpace_ = std::clamp(intOr(attr::textspace, 0), -layout::kUnbounded, layout::kUnbounded);
    Size padding;
    if (getSize(attr::textpadding, padding)) {
        // Bounded, so that twice the padding and the line height stay far
        // from overflowing whatever the markup says.
        padX_ = std::clamp(padding.cx, -layout::kUnbounded, layout::kUnbounded);
        padY_ = std::clamp(padding.cy, -layout::kUnbounded, layout::kUnbounded);
    }
    editable_ = intOr(attr::texteditable, 1) != 0;
    textColour_ = static_cast<uint32_t>(intOr(attr::color, 0));
#ifdef _WIN32
    widths_.setFont(controlFont(*this));
#endif
}

void Edit::onAttached(Event&) {
    readAttributes();
    arrangedWidth_ = bounds().width();
    arrangedHeight_ = bounds().height();
    setText(text());
}

void Edit::onLButtonDown(Event& e) {
    Rect r;
    windowRect(r);
    const Point p = eventPoint(e);
    const int32_t x = layout::sub(p.x, r.left);
    const int32_t y = std::min(layout::sub(p.y, r.top), padY_ + visibleLineCount() * lineHeight() - 1);
    caret_ = anchor_ = indexAt(x, y);
    rememberedX_ = x - padX_;
    ensureVisible();
    invalidate(false);
    e.handled = 1;
}

void Edit::onMouseMove(Event& e) {
    if (!hasFlag(ControlFlag::Pressed)) return;
    Rect r;
    windowRect(r);
    const Point p = eventPoint(e);
    const int32_t x = std::clamp(layout::sub(p.x, r.left), padX_,
                                 std::max(padX_, layout::sub(arrangedWidth_, padX_)));
    const int32_t bottom = padY_ + visibleLineCount() * lineHeight() + 1;
    const int32_t y = std::clamp(layout::sub(p.y, r.top), padY_ - 1, std::max(padY_ - 1, bottom));
    const int32_t index = indexAt(x, y);
    if (index == caret_) return;
    caret_ = index;
    ensureVisible();
    rememberedX_ = x - padX_;
    invalidate(false);
}

void Edit::onMouseWheel(Event& e) {
    if (!hasFlag(ControlFlag::Focused)) return;
    const int16_t delta = wheelDelta(e);
    const int32_t count = layout_.count();
    firstVisible_ = limitFirstLine(std::clamp(firstVisible_ + delta / -40, 0, count - 1));
    showCaretIfVisible();
    invalidate(false);
}

void Edit::onKeyDown(Event& e) {
    const auto key = static_cast<int32_t>(e.param1);
    // An editor that takes text keeps Enter for its line breaks; other keys
    // are not marked handled: they go on to the parents and the window.
    if (key == kEnter && editable_) e.handled = 1;
    keyDown(key);
}

void Edit::keyDown(int32_t key) {
    const int32_t visible = visibleLineCount();
    const int32_t count = layout_.count();
    // With Shift the caret moves and the anchor stays: the selection grows.
    const int32_t anchorBefore = anchor_;
    const bool extend = shiftKeyDown();
    struct KeepAnchor {
        int32_t& anchor;
        int32_t before;
        bool extend;
        ~KeepAnchor() {
            if (extend) anchor = before;
        }
    } keep{anchor_, anchorBefore, extend && (key == kLeft || key == kRight || key == kUp || key == kDown ||
                                                    key == kHome || key == kEnd || key == kPageUp || key == kPageDown)};
    switch (key) {
    case kBackspace:
        if (!editable_) return;
        if (anchor_ == caret_) {
            if (caret_ == 0) return;
            anchor_ = stepBack(caret_);
        }
        deleteSelection();
        rememberedX_ = pointOf(caret_).x - padX_;
        ensureVisible();
        invalidate(false);
        return;
    case kEscape:
        anchor_ = caret_;
        invalidate(false);
        return;
    case kPageUp:
    case kPageDown: {
        const int32_t step = key == kPageUp ? -visible : visible;
        int32_t first = std::clamp(firstVisible_ + step, 0, count - 1);
        if (key == kPageDown) first = limitFirstLine(first);
        firstVisible_ = first;
        moveCaretToLine(layout_.lineOf(caret_) + step);
        showCaretIfVisible();
        invalidate(false);
        return;
    }
    case kEnd:
        firstVisible_ = limitFirstLine(count - 1);
        caret_ = anchor_ = blocks_.length();
        showCaretIfVisible();
        invalidate(false);
        return;
    case kHome:
        firstVisible_ = 0;
        caret_ = anchor_ = 0;
        showCaretIfVisible();
        invalidate(false);
        return;
    case kLeft:
    case kRight:
        caret_ = anchor_ = key == kLeft ? stepBack(caret_) : stepForward(caret_);
        rememberedX_ = pointOf(caret_).x - padX_;
        ensureVisible();
        invalidate(false);
        return;
    case kUp:
    case kDown: {
        const int32_t line = layout_.lineOf(caret_) + (key == kUp ? -1 : 1);
        if (line >= 0 && line < count) moveCaretToLine(line);
        anchor_ = caret_;
        ensureVisible();
        invalidate(false);
        return;
    }
    default:
        break;
    }
    if (!controlKeyDown()) return;
    switch (key) {
    case kKeyA:
        anchor_ = 0;
        caret_ = blocks_.length();
        ensureVisible();
        invalidate(false);
        return;
    case kKeyC:
        // Read-only text can be copied too (a licence, a notice).
        copySelection();
        return;
    case kKeyX:
        // A cut that could not reach the clipboard keeps the text.
        if (!editable_ || anchor_ == caret_ || !copySelection()) return;
        deleteSelection();
        ensureVisible();
        invalidate(false);
        return;
    case kKeyV:
        if (editable_) paste();
        return;
    default:
        return;
    }
}

void Edit::onKeyPress(Event& e) {
    if (!editable_) return;
    const auto unit = static_cast<char16_t>(e.param1);
    if (unit < 32 && unit != kEnter) return;
    deleteSelection();
    const std::u16string_view units = unit == kEnter ? std::u16string_view(u"\r\n") : std::u16string_view(&unit, 1);
    insertAt(caret_, units);
    caret_ = anchor_ = caret_ + static_cast<int32_t>(units.size());
    rememberedX_ = pointOf(caret_).x - padX_;
    ensureVisible();
    invalidate(false);
}

bool Edit::copySelection() {
#ifdef _WIN32
    if (anchor_ == caret_ || !window()) return false;
    return clipboardSetText(window()->nativeHandle(),
                            blocks_.copy(std::min(anchor_, caret_), std::max(anchor_, caret_)));
#else
    return false;
#endif
}

void Edit::paste() {
#ifdef _WIN32
    std::u16string text;
    if (!window() || !clipboardGetText(window()->nativeHandle(), text)) return;
    deleteSelection();
    insertAt(caret_, text);
    caret_ = anchor_ = clampIndex(caret_ + static_cast<int32_t>(text.size()));
    ensureVisible();
    invalidate(false);
#endif
}

Size Edit::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    arrangedHeight_ = finalHeight;
    if (finalWidth != arrangedWidth_) {
        arrangedWidth_ = finalWidth;
        relayout();
        firstVisible_ = std::clamp(firstVisible_, 0, layout_.count() - 1);
    }
    invalidate(false);
    return {finalWidth, finalHeight};
}

void Edit::layoutSettled() {
    if (hasFlag(ControlFlag::Focused)) showCaretIfVisible();
}

// --- Painting ---

#ifdef _WIN32
void Edit::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    const std::u16string* styleName = findText(attr::style);
    Style* style = styleName ? findStyle(*styleName) : nullptr;
    if (!style) style = findStyle(u"edit.xml");
    if (style) style->draw(dc, bounds, this);

    SaveDcGuard saved(dc);
    if (HFONT font = widths_.font()) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const int32_t lh = lineHeight();
    const int32_t selFrom = std::min(anchor_, caret_);
    const int32_t selTo = std::max(anchor_, caret_);
    const int32_t limit = std::min(bounds.bottom, layout::add(bounds.top, padY_ + visibleLineCount() * lh));
    const int32_t left = layout::add(bounds.left, padX_);
    const int32_t right = layout::sub(layout::add(bounds.left, arrangedWidth_), padX_);
    const int32_t average = std::max<int32_t>(1, widths_.metrics().tmAveCharWidth);
    constexpr UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    for (int32_t k = firstVisible_; k < layout_.count(); ++k) {
        const int32_t y = layout::add(bounds.top, padY_ + (k - firstVisible_) * lh);
        if (y >= limit) break;
        const EditLine& line = layout_.line(k);
        const char16_t first = blocks_.at(line.start);
        if (line.start <= line.end && (first == u'\r' || first == u'\n')) {
            // An empty paragraph shows a selected break as one average
            // character.
            if (line.start >= selFrom && line.start < selTo) {
                const RECT mark{left, y, left + average, y + lh};
                FillRect(dc, &mark, selectionBrush_.get());
            }
            continue;
        }
        const int32_t contentEnd = line.contentEnd();
        std::u16string shown;
        for (int32_t i = line.start; i < contentEnd; ++i) {
            const char16_t u = blocks_.at(i);
            if (u == u'\t')
                shown.append(4, u' ');
            else
                shown.push_back(u);
        }
        const Rect rect{left, y, right, y + lh};
        // At a scale the glyphs go where the caret arithmetic puts them.
        std::vector<int32_t> advances;
        advances.reserve(shown.size());
        for (char16_t u : shown) advances.push_back(widths().width(u));
        drawTextWithAdvances(dc, rect, shown, nullptr, textColour_, format, advances);
        const int32_t a = std::max(selFrom, line.start);
        const int32_t b = std::min(selTo, contentEnd);
        if (a >= b) continue;
        const int32_t x0 = left + widthBetween(line.start, a);
        const int32_t x1 = left + widthBetween(line.start, b);
        SaveDcGuard lineState(dc);
        IntersectClipRect(dc, x0, y, x1, y + lh);
        const RECT fill{x0, y, x1, y + lh};
        FillRect(dc, &fill, selectionBrush_.get());
        drawTextWithAdvances(dc, rect, shown, nullptr, 0, format, advances);
    }
}
#else
void Edit::paint(DeviceContext, const Rect&, const Rect&) {}
#endif

} // namespace nelvo
