#pragma once
// Edit: a multi-line text view and editor. The text lives in EditBlocks and
// is shown as the visual lines of an EditLayout (wrapping at any unit, line
// breaks at LF and CR LF). Enter inserts CR LF, and Left, Right and
// Backspace step over a CR LF pair as one position. With `texteditable` 0
// it refuses every change (typing, Backspace, cut, copy, paste) but still
// scrolls and selects. It raises no ValueChange.
//
// Attributes, read when it joins a window: `textpadding` (x, y; default
// 5, 5), `texteditable` (default 1), `textspace` (extra pixels per line),
// `color` (text colour), `font` (default "Default"), `text`.

#include "dui/controls/EditBlocks.h"
#include "dui/controls/EditLayout.h"
#include "dui/controls/TextInput.h"
#include "dui/LayoutMath.h"

#include <string>
#include <string_view>

namespace nelvo {

class Edit : public TextInput {
public:
    Edit();
    std::u16string_view typeName() const override { return u"Edit"; }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;
    void layoutSettled() override;

    // Replaces the whole text and lays it out again. Caret, anchor and first
    // visible line stay, limited to the new text. Raises nothing.
    void setText(std::u16string_view text);
    std::u16string getText() const { return blocks_.text(); }

    // --- State, for scripts and tests ---
    const EditBlocks& blocks() const { return blocks_; }
    const EditLayout& layout() const { return layout_; }
    int32_t firstVisibleLine() const { return firstVisible_; }
    int32_t visibleLineCount() const;
    int32_t lineHeight() const override;
    int32_t caret() const { return caret_; }
    int32_t anchor() const { return anchor_; }
    bool editable() const { return editable_; }

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::Text; }
    // The `accessibleName` attribute; else, read-only, the text itself.
    std::u16string accessibleName() const override;
    std::u16string accessibleValue() const override { return blocks_.text(); }
    uint32_t accessibleState() const override { return editable_ ? 0 : access::State::ReadOnly; }

protected:
    ~Edit() override;

private:
    void onAttached(Event& e) override;
    void onLButtonDown(Event& e) override;
    void onMouseMove(Event& e) override;
    void onMouseWheel(Event& e);
    void onKeyDown(Event& e) override;
    void onKeyPress(Event& e) override;
    void focusGained() override { ensureVisible(); }

    void keyDown(int32_t key);
    void readAttributes();
    void relayout();

    // Editing through the block storage, keeping the lines in step.
    void insertAt(int32_t at, std::u16string_view units);
    void eraseRange(int32_t from, int32_t to);
    void deleteSelection();
    // Puts the selection on the clipboard; false when nothing was put there.
    bool copySelection();
    void paste();

    // Geometry, relative to the control's top-left corner.
    int32_t availableWidth() const { return layout::sub(arrangedWidth_, 2 * padX_); }
    int32_t widthBetween(int32_t from, int32_t to);
    Point pointOf(int32_t index);
    int32_t indexAt(int32_t x, int32_t y);
    int32_t indexInLine(int32_t line, int32_t x);
    int32_t stepBack(int32_t index) const;
    int32_t stepForward(int32_t index) const;

    // Keeps the first line within what may be scrolled to.
    int32_t limitFirstLine(int32_t first) const;
    // Scrolls the caret's line into view and places the window's caret.
    void ensureVisible();
    // Shows the window's caret when the caret's line is visible, else hides it.
    void showCaretIfVisible();
    void placeCaret();
    void moveCaretToLine(int32_t line);
    int32_t clampIndex(int32_t i) const { return i < 0 ? 0 : i > blocks_.length() ? blocks_.length() : i; }

    EditBlocks blocks_;
    EditLayout layout_;
    int32_t firstVisible_ = 0;
    int32_t anchor_ = 0;
    int32_t caret_ = 0;
    int32_t rememberedX_ = 0;
    int32_t padX_ = 5;
    int32_t padY_ = 5;
    bool editable_ = true;
    int32_t lineSpace_ = 0;
    uint32_t textColour_ = 0;
    int32_t arrangedWidth_ = 0;
    int32_t arrangedHeight_ = 0;
};

} // namespace nelvo
