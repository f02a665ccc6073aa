#include "tests/support/WizardLayout.h"

#include "dui/AttributeNames.h"
#include "dui/Control.h"
#include "dui/controls/ShippedControls.h"
#include "dui/ControlWindow.h"
#include "dui/ImageRecord.h"
#include "dui/Markup.h"
#include "dui/Panel.h"
#include "dui/UiContext.h"
#include "store/LzPackage.h"
#include "store/ResourceFileSystem.h"

namespace nelvo::test {

namespace {

// Stands in for the wizard window while the tree is laid out: layout only
// places controls that are in a window.
class LayoutOnlyWindow final : public ControlWindow {
public:
    explicit LayoutOnlyWindow(Size size) : size_(size) {}
    void forget(Control&) override {}
    bool clientRect(Rect& out) const override {
        out = {0, 0, size_.cx, size_.cy};
        return true;
    }
    void invalidateRect(const Rect&) override {}
    void requestUpdate(bool) override {}
    bool cursorPosition(Point&) const override { return false; }

private:
    Size size_;
};

// Every control with an id, at its window position: bounds are relative to
// the parent, so each level adds its own origin.
void collectIds(const Control& c, POINT origin, std::map<int32_t, RECT>& out) {
    const Rect& b = c.bounds();
    const POINT at{origin.x + b.left, origin.y + b.top};
    if (c.hasInt(attr::id))
        out[c.intOr(attr::id, 0)] = RECT{at.x, at.y, at.x + (b.right - b.left), at.y + (b.bottom - b.top)};
    if (const Panel* p = c.asPanel())
        for (const Control* k = p->firstChild(); k; k = k->nextSibling()) collectIds(*k, at, out);
}

} // namespace

WizardLayout::WizardLayout(const std::wstring& setupExe) {
    UniqueLibrary exe(LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!exe) {
        error_ = "cannot open the setup program";
        return;
    }
    ResourceFileSystem fs(exe.get());
    registerSetupResources(fs);

    UiContext context;
    registerSetupControls(context.factory());
    std::string why;
    if (!context.layouts().load(fs.load(u"frame.lz"), &why)) {
        error_ = "no layout package: " + why;
        return;
    }
    ControlPtr root = loadLayout(context, u"mainframe.xml", &why);
    if (!root) {
        error_ = "mainframe.xml does not build: " + why;
        return;
    }
    Size initial;
    if (!root->getSize(attr::initSize, initial)) {
        error_ = "the markup's root has no initSize";
        return;
    }
    LayoutOnlyWindow window(initial);
    attach(window, *root);
    root->measure(initial.cx, initial.cy);
    root->arrange({0, 0, initial.cx, initial.cy});
    windowSize_ = {initial.cx, initial.cy};
    collectIds(*root, {0, 0}, rects_);
    detach(*root);
    if (controlRect(3001).right <= controlRect(3001).left) error_ = "the layout placed no controls";

    // The background image of the window's style (mainbkg.xml names it).
    HeapBlock skin = fs.load(u"style.lz");
    std::unique_ptr<LzPackage> package = skin ? LzPackage::open(skin.data(), skin.size()) : nullptr;
    HeapBlock png = package ? package->lookup(u"mainbkg.png") : HeapBlock();
    if (png) {
        std::unique_ptr<ImageRecord> image = ImageRecord::decode(png.data(), png.size());
        if (image->bits()) {
            backgroundWidth_ = image->width();
            backgroundHeight_ = image->height();
            background_.assign(image->bits(), image->bits() + size_t(backgroundWidth_) * backgroundHeight_);
            for (uint32_t& p : background_) p &= 0xFFFFFF;
        }
    }
}

RECT WizardLayout::controlRect(int32_t id) const {
    const auto it = rects_.find(id);
    return it == rects_.end() ? RECT{0, 0, 0, 0} : it->second;
}

POINT WizardLayout::controlCentre(int32_t id) const {
    const RECT r = controlRect(id);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int64_t WizardLayout::backgroundPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= backgroundWidth_ || y >= backgroundHeight_) return -1;
    return background_[size_t(y) * backgroundWidth_ + x];
}

} // namespace nelvo::test
