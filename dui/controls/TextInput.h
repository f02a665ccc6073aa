#pragma once
// TextInput: what the two text editors (Edit, TextBox) share: they take the
// focus and the mouse capture on a press, show the I-beam, hold the window's
// caret while focused (as tall as a line) and hide it when the focus goes,
// and measure their text in the font "Default" until a font is set. The
// handlers of the input both take are registered here; what they do is the
// editor's.

#include "dui/Control.h"
#include "dui/controls/CharWidths.h"

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/controls/GdiCharWidths.h"
#endif

namespace nelvo {

class TextInput : public Control {
protected:
    TextInput();
    ~TextInput() override;

    virtual void onAttached(Event& e) = 0;
    virtual void onLButtonDown(Event& e) = 0;
    virtual void onMouseMove(Event& e) = 0;
    virtual void onKeyDown(Event& e) = 0;
    virtual void onKeyPress(Event& e) = 0;
    // After the caret was made: scroll it into view and place it.
    virtual void focusGained() = 0;
    // After the caret was hidden.
    virtual void focusLost() {}
    virtual int32_t lineHeight() const = 0;

    CharWidths& widths();

#ifdef _WIN32
    GdiCharWidths widths_;
    UniqueBrush selectionBrush_;
#endif

private:
    void onGotFocus(Event& e);
    void onLostFocus(Event& e);
    void onSetCursor(Event& e);
};

} // namespace nelvo
