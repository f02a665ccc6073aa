// The skin cache: style files and their types, shared style objects, the
// four-state and edit skin rules drawn for real, images, fonts from
// "font.xml", and the Image element's size.

#include "dui/DpiScale.h"
#include "dui/Grid.h"
#include "dui/SkinLookup.h"
#include "dui/SkinManager.h"
#include "dui/Style_Background.h"
#include "dui/Style_Edit.h"
#include "dui/UiContext.h"
#include "dui/controls/Drawing.h"
#include "dui/controls/ShippedControls.h"
#include "dui/controls/Style_ButtonEx.h"
#include "tests/support/PackageBytes.h"
#include "tests/support/PngBytes.h"
#include "tests/support/StandInWindow.h"
#include "tests/support/Surface.h"

#include <gtest/gtest.h>

namespace nelvo {
namespace {

using test::solidPng;
using test::Surface;

std::string styleFile(const std::string& type, const std::string& props, const std::string& typeAttribute = "type") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Style><Config " + typeAttribute + "=\"" + type +
           "\"><Prop " + props + "/></Config></Style>";
}

const char* const kFonts =
    "<Fonts>"
    "<Font name=\"Default\" face=\"Tahoma\" size=\"12\"/>"
    "<Font name=\"Bold\" face=\"Tahoma\" size=\"14\" bold=\"true\" underline=\"true\"/>"
    "<Font name=\"Normal\" face=\"Tahoma\" size=\"12\" bold=\"false\" underline=\"TRUE\"/>"
    "<Font name=\"Plain\" size=\"13\"/>"
    "<Font name=\"Long\" face=\"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\" size=\" -9x\"/>"
    "<Font name=\"Twice\" size=\"10\"/><Font name=\"Twice\" size=\"20\"/>"
    "</Fonts>";

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerShippedControls(ctx.factory());
        ctx.setSkinManager(&skins);
        ctx.setStyleSource(&skins);
        ASSERT_TRUE(skins.loadSkinBytes(package()));
    }
    void TearDown() override {
        ctx.setSkinManager(nullptr);
        ctx.setStyleSource(nullptr);
    }

    static HeapBlock package(const std::string& extraUp = "up.png") {
        const std::string skins = "upSkin=\"" + extraUp +
                                  "\" overSkin=\"over.png\" downSkin=\"down.png\" disabledSkin=\"off.png\"";
        return test::storedPackage({
            {u"up.png", solidPng(4, 4, 255, 0, 0)},
            {u"over.png", solidPng(4, 4, 0, 255, 0)},
            {u"down.png", solidPng(4, 4, 0, 0, 255)},
            {u"off.png", solidPng(4, 4, 128, 128, 128)},
            {u"icon16.png", solidPng(16, 16, 1, 2, 3)},
            {u"broken.png", "\x89PNG broken"},
            {u"plain.xml", styleFile("Style", skins)},
            {u"unknown.xml", styleFile("Fancy", skins)},
            {u"kind.xml", styleFile("Edit", skins, "kind")},
            {u"edit.xml", styleFile("Edit", skins)},
            {u"bkg.xml", styleFile("Background", "img=\"over.png\" scaleGrid=\"1,1,1,1\"")},
            {u"button.xml", styleFile("ButtonEx", "src=\"up.png\"")},
            {u"noprop.xml", "<Style><Config type=\"Background\"/></Style>"},
            {u"bad.xml", "<Style><Config"},
            {u"font.xml", kFonts},
        });
    }

    // The colour the style paints for a control with these flags.
    uint32_t drawn(const char16_t* styleName, uint32_t flags) {
        Style* style = skins.getStyle(styleName);
        EXPECT_TRUE(style);
        if (!style) return 0xDEAD;
        ControlPtr c(new Control);
        c->setFlag(~0u, false);
        c->setFlag(flags, true);
        Surface s(8, 8, 0x00ABCDEF);
        style->draw(s.dc(), {0, 0, 8, 8}, c.get());
        return s.rgb(4, 4);
    }

    UiContext ctx;
    SkinManager skins{ctx};
};

constexpr uint32_t kUp = 0xFF0000, kOver = 0x00FF00, kDown = 0x0000FF, kOff = 0x808080, kNothing = 0xABCDEF;

TEST_F(SkinTest, StylesAreCreatedByTheirConfigType) {
    EXPECT_TRUE(dynamic_cast<Style_Edit*>(skins.getStyle(u"edit.xml")));
    EXPECT_TRUE(dynamic_cast<Style_Background*>(skins.getStyle(u"bkg.xml")));
    EXPECT_TRUE(dynamic_cast<Style_ButtonEx*>(skins.getStyle(u"button.xml")));
    // The first attribute of Config names the type, whatever it is called.
    EXPECT_TRUE(dynamic_cast<Style_Edit*>(skins.getStyle(u"kind.xml")));
    Style* unknown = skins.getStyle(u"unknown.xml");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(typeid(*unknown), typeid(Style)) << "an unknown type still gives a usable plain style";
    EXPECT_EQ(drawn(u"unknown.xml", ControlFlag::Enabled), kUp);
    Style* noProp = skins.getStyle(u"noprop.xml");
    ASSERT_TRUE(noProp);
    EXPECT_FALSE(noProp->hasText(attr::img));
    EXPECT_EQ(skins.getStyle(u"bad.xml"), nullptr);
    EXPECT_EQ(skins.getStyle(u"missing.xml"), nullptr);
}

TEST_F(SkinTest, StyleObjectsAreSharedUntilThePackageIsLoadedAgain) {
    Style* first = skins.getStyle(u"edit.xml");
    EXPECT_EQ(skins.getStyle(u"edit.xml"), first);
    EXPECT_EQ(skins.getStyle(u"missing.xml"), nullptr);
    EXPECT_EQ(skins.cachedStyles(), 1u) << "a missing member is not cached";
    skins.getImage(u"up.png");
    ASSERT_TRUE(skins.loadSkinBytes(package("down.png")));
    EXPECT_EQ(skins.cachedStyles(), 0u);
    EXPECT_EQ(skins.cachedImages(), 0u);
    EXPECT_EQ(drawn(u"plain.xml", ControlFlag::Enabled), kDown) << "the new package's file is read";
}

TEST_F(SkinTest, FourStateSkinFollowsEnabledPressedCheckedHoveredFocused) {
    using namespace ControlFlag;
    EXPECT_EQ(drawn(u"plain.xml", Enabled), kUp);
    EXPECT_EQ(drawn(u"plain.xml", Enabled | Hovered), kOver);
    EXPECT_EQ(drawn(u"plain.xml", Enabled | Focused), kOver) << "focus counts as over";
    EXPECT_EQ(drawn(u"plain.xml", Enabled | Pressed | Hovered), kDown);
    EXPECT_EQ(drawn(u"plain.xml", Enabled | Checked), kDown) << "checked shows down without the mouse";
    EXPECT_EQ(drawn(u"plain.xml", Pressed | Hovered | Checked), kOff);
}

TEST_F(SkinTest, EditSkinIgnoresFocusAndPress) {
    using namespace ControlFlag;
    EXPECT_EQ(drawn(u"edit.xml", Enabled), kUp);
    EXPECT_EQ(drawn(u"edit.xml", Enabled | Focused), kUp);
    EXPECT_EQ(drawn(u"edit.xml", Enabled | Pressed | Checked), kUp);
    EXPECT_EQ(drawn(u"edit.xml", Enabled | Hovered | Focused), kOver);
    EXPECT_EQ(drawn(u"edit.xml", Hovered), kOff);
}

TEST_F(SkinTest, BackgroundIgnoresStateAndMissingSkinsDrawNothing) {
    using namespace ControlFlag;
    EXPECT_EQ(drawn(u"bkg.xml", 0), kOver);
    EXPECT_EQ(drawn(u"bkg.xml", Enabled | Pressed), kOver);
    EXPECT_EQ(drawn(u"noprop.xml", Enabled), kNothing);
    EXPECT_EQ(drawn(u"plain.xml", ControlFlag::Enabled | ControlFlag::Hovered), kOver);
}

TEST_F(SkinTest, ControlsPaintTheStyleTheyName) {
    ControlPtr c(new Control);
    c->setText(attr::style, u"plain.xml");
    Surface s(8, 8, 0x00ABCDEF);
    c->paint(s.dc(), {2, 2, 6, 6}, {0, 0, 8, 8});
    EXPECT_EQ(s.rgb(3, 3), kUp);
    EXPECT_EQ(s.rgb(1, 1), kNothing);
    c->setText(attr::style, u"missing.xml");
    s.clear(0x00ABCDEF);
    c->paint(s.dc(), {2, 2, 6, 6}, {0, 0, 8, 8});
    EXPECT_EQ(s.rgb(3, 3), kNothing);
}

TEST_F(SkinTest, ImagesAreCachedAlsoWhenUndecodable) {
    ImageRecord* up = skins.getImage(u"up.png");
    ASSERT_TRUE(up);
    EXPECT_EQ(skins.getImage(u"up.png"), up);
    ImageRecord* broken = skins.getImage(u"broken.png");
    ASSERT_TRUE(broken);
    EXPECT_FALSE(broken->bitmap());
    EXPECT_EQ(skins.getImage(u"broken.png"), broken);
    EXPECT_EQ(skins.getImage(u"Up.png"), nullptr) << "names match exactly";
    EXPECT_EQ(skins.cachedImages(), 2u);
}

TEST_F(SkinTest, AnImageTwiceTheSizeIsTheSourceWhereADrawingGrows) {
    // "two.png" has a twice as large picture of its own: blue left, green
    // right; "odd.png" one of the wrong size, which is never used.
    std::vector<uint8_t> halves;
    for (int i = 0; i < 8 * 8; ++i)
        halves.insert(halves.end(), {0, uint8_t(i % 8 < 4 ? 0 : 255), uint8_t(i % 8 < 4 ? 255 : 0), 255});
    ASSERT_TRUE(skins.loadSkinBytes(test::storedPackage({
        {u"two.png", solidPng(4, 4, 255, 0, 0)},
        {u"two@2x.png", test::pngBytes(halves, 8, 8)},
        {u"odd.png", solidPng(4, 4, 255, 0, 0)},
        {u"odd@2x.png", solidPng(9, 8, 0, 0, 255)},
    })));
    EXPECT_EQ(SkinManager::largerImageName(u"a.b.png"), u"a.b@2x.png");
    EXPECT_EQ(SkinManager::largerImageName(u"plain"), u"plain@2x");
    ImageRecord* two = skins.getImage(u"two.png");
    ImageRecord* odd = skins.getImage(u"odd.png");
    ASSERT_TRUE(two && odd);
    for (const int dpi : {96, 144, 192}) {
        Surface s(8, 8);
        s.setDpi(dpi);
        two->drawStretched(s.dc(), 0, 0, 4, 4);
        const int last = DpiScale{dpi}.toDevice(4) - 1;
        if (dpi == 96) {
            EXPECT_EQ(s.rgb(0, 0), kUp) << "at its own size, the image itself";
        } else {
            EXPECT_EQ(s.rgb(0, 0), kDown) << dpi;
            EXPECT_EQ(s.rgb(last, last), kOver) << dpi;
        }
        odd->drawStretched(s.dc(), 0, 0, 4, 4);
        EXPECT_EQ(s.rgb(last, last), kUp) << dpi;
    }
}

LOGFONTW fontInfo(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

TEST_F(SkinTest, FontsComeFromTheFontFile) {
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);

    ASSERT_TRUE(skins.getFont(u"Bold"));
    const LOGFONTW bold = fontInfo(skins.getFont(u"Bold"));
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(bold.lfHeight, -14);
    EXPECT_TRUE(bold.lfUnderline);
    EXPECT_STREQ(bold.lfFaceName, L"Tahoma");

    const LOGFONTW normal = fontInfo(skins.getFont(u"Normal"));
    EXPECT_EQ(normal.lfWeight, FW_NORMAL) << "bold \"false\" is normal weight";
    EXPECT_FALSE(normal.lfUnderline) << "only \"true\" underlines";

    const LOGFONTW plain = fontInfo(skins.getFont(u"Plain"));
    EXPECT_EQ(plain.lfWeight, gui.lfWeight) << "no bold: the GUI font's weight";
    EXPECT_STREQ(plain.lfFaceName, gui.lfFaceName);
    EXPECT_EQ(plain.lfHeight, -13);

    const LOGFONTW longFace = fontInfo(skins.getFont(u"Long"));
    EXPECT_EQ(std::wstring(longFace.lfFaceName), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde") << "31 characters kept";
    EXPECT_EQ(longFace.lfHeight, 9) << "read as wtol reads: \" -9x\" is -9";

    EXPECT_EQ(fontInfo(skins.getFont(u"Twice")).lfHeight, -20) << "a repeated name replaces the font";
    EXPECT_EQ(skins.getFont(u"Nope"), nullptr);
    EXPECT_EQ(skins.fontCount(), 6u);

    ControlPtr c(new Control);
    EXPECT_EQ(controlFont(*c), skins.getFont(u"Default"));
    c->setText(attr::font, u"Bold");
    EXPECT_EQ(controlFont(*c), skins.getFont(u"Bold"));
}

TEST_F(SkinTest, ImageElementMeasuresAsItsImage) {
    test::TestWindow window;
    Grid* root = new Grid;
    auto* image = new Drawing;
    image->setText(attr::src, u"icon16.png");
    auto* missing = new Drawing;
    missing->setText(attr::src, u"nothing.png");
    root->addChild(image);
    root->addChild(missing);
    attach(window, *root);
    EXPECT_EQ(image->measureOverride(100, 100), (Size{16, 16}));
    EXPECT_EQ(missing->measureOverride(100, 100), (Size{0, 0}));
    EXPECT_TRUE(image->hasFlag(ControlFlag::HitTransparent));
    EXPECT_EQ(image->typeName(), u"Image");

    Surface s(40, 40, 0);
    image->paint(s.dc(), {0, 0, 32, 32}, {0, 0, 40, 40});
    EXPECT_EQ(s.rgb(31, 31), 0x010203u) << "stretched over the bounds";
    EXPECT_EQ(s.rgb(32, 32), 0u);
    detach(*root);
    root->destroy();
}

} // namespace
} // namespace nelvo
