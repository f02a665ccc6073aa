#pragma once
// ScrollPanel: a panel whose first child is its content, shown through a
// viewport with a vertical and a horizontal scroll bar as `scrollvertical`
// (always, never, auto; default auto) and `scrollhorizontal` (default never)
// and the content's size require. The bars are children after the content
// and are made anew on every arrange, keeping their positions. A plain
// scroll panel does not answer its bars' Notify: its content moves only
// when a bar's position is set. While a bar shows it takes the focus, and
// the arrows, Page Up, Page Down, Home and End move the bars.

#include "dui/Panel.h"

#include <cstdint>

namespace nelvo {

class ScrollBar;

class ScrollPanel : public Panel {
public:
    ScrollPanel();
    bool focusable() const override { return vertical_ || horizontal_; }
    access::Role accessibleRole() const override { return access::Role::Pane; }

    // The bar size when the skin gives none.
    static constexpr int32_t kDefaultBarSize = 17;

    // Arranges the bars and the content: see the source for the passes.
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;

    // --- Virtual operations, in slot order after Panel's ---

    // A new, unparented bar for this panel (the panel adds it).
    virtual ScrollBar* createScrollBar();
    // Width of the `barSkin` of "vscrollbar.xml"; 17 without style or image.
    virtual int32_t verticalBarWidth() const;
    // Height of the `barSkin` of "hscrollbar.xml"; 17 without them.
    virtual int32_t horizontalBarHeight() const;

    // The content child (the first child), or null.
    Control* content() const;
    // The bars, or null while not shown.
    ScrollBar* verticalBar() const { return verticalBar_; }
    ScrollBar* horizontalBar() const { return horizontalBar_; }
    bool showsVerticalBar() const { return vertical_; }
    bool showsHorizontalBar() const { return horizontal_; }
    // Where the content was last arranged, before any scrolling.
    const Rect& contentOrigin() const { return contentOrigin_; }

    // Called by a bar of this panel whose position changed: moves the
    // content to its origin less the position along the bar's axis and
    // repaints. Nothing for a bar that is not shown or without content.
    void scrollContent(ScrollBar& bar);

protected:
    // KeyDown: scrolls by 20 pixels per arrow and a page per page key. A
    // list box moves its selection instead.
    virtual void onKeyDown(Event& e);

private:
    // Which bars the available size needs; creates those that are missing
    // and measures them.
    void decideBars(int32_t width, int32_t height);
    void destroyBars();

    bool vertical_ = false;
    bool horizontal_ = false;
    ScrollBar* verticalBar_ = nullptr;
    ScrollBar* horizontalBar_ = nullptr;
    Rect contentOrigin_;
};

} // namespace nelvo
