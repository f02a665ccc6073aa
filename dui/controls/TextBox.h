#pragma once
// TextBox: a one-line text editor with caret, selection, horizontal
// scrolling and the clipboard. Its text is at most 1999 units; more is
// dropped silently. It always draws and measures in the font "Default".
// The caret belongs to the window; the text box places it while it has the
// focus. Every change of the text raises ValueChange (Direct).

#include "dui/controls/TextBoxBuffer.h"
#include "dui/controls/TextInput.h"

#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

class TextBox : public TextInput {
public:
    static constexpr int32_t kPaddingX = 8;
    static constexpr int32_t kPaddingY = 5;

    TextBox();
    std::u16string_view typeName() const override { return u"TextBox"; }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    void layoutSettled() override;

    // Replaces the text: nothing when it is the same; otherwise scroll 0,
    // caret and anchor at the end, ValueChange, repaint.
    void setText(std::u16string_view text);
    const std::u16string& getText() const { return buffer_.text(); }
    const TextBoxBuffer& buffer() const { return buffer_; }

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::Text; }
    // The `accessibleName` attribute, else the tooltip: the text is the value.
    std::u16string accessibleName() const override;
    std::u16string accessibleValue() const override { return buffer_.text(); }

protected:
    ~TextBox() override;

private:
    void onAttached(Event& e) override;
    void onLButtonDown(Event& e) override;
    void onMouseMove(Event& e) override;
    void onDoubleClick(Event& e);
    void onKeyDown(Event& e) override;
    void onKeyPress(Event& e) override;
    void focusGained() override { ensureCaretVisible(); }
    // The selection goes with the focus.
    void focusLost() override;

    void keyDown(int32_t key);
    // Puts the selection on the clipboard; false when nothing was put there.
    bool copySelection();
    void paste();
    // Scrolls the caret into view, repaints and places the window's caret.
    void ensureCaretVisible();
    void textChanged();
    // Replaces the selection by as much of `units` as fits; ValueChange only
    // when the text changed.
    void replaceSelection(std::u16string_view units);
    int32_t lineHeight() const override;

    TextBoxBuffer buffer_;
};

} // namespace nelvo
