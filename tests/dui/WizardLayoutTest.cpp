// The wizard's markup, read from the layout package, built into a tree and
// laid out in its 504 x 366 window; every control's bounds worked out by
// hand. Natively the package is made from resources/mainframe.xml; under
// Windows it is the "frame.lz" resource inside setup.exe.
//
// Text and image measurement belong to the label and image controls; here
// labels measure 12 pixels per UTF-16 unit by 12 high and images 16 x 16, so
// the figures depend on the layout arithmetic alone.

#include "tests/support/StandInWindow.h"

#include "dui/controls/Drawing.h"
#include "dui/controls/Label.h"
#include "dui/controls/ShippedControls.h"
#include "dui/Markup.h"
#include "dui/StyleFile.h"
#include "dui/UiContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <typeinfo>

#ifdef _WIN32
#include "store/ResourceFileSystem.h"
#else
#include "tools/lzpack/PackageWriter.h"
#endif

namespace nelvo {
namespace {

using test::TestWindow;

class FixedMetricsLabel : public Label {
public:
    Size measureOverride(int32_t, int32_t) override { return {12 * static_cast<int32_t>(text().size()), 12}; }
};

class FixedMetricsImage : public Drawing {
public:
    Size measureOverride(int32_t, int32_t) override { return {16, 16}; }
};

HeapBlock layoutPackage(std::string* why) {
#ifdef _WIN32
    // The test runs in out/tests; setup.exe lies beside that folder.
    HMODULE exe = LoadLibraryExW(L"..\\setup.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!exe) {
        *why = "cannot open ..\\setup.exe";
        return HeapBlock();
    }
    ResourceFileSystem fs(exe);
    registerSetupResources(fs);
    HeapBlock block = fs.load(u"frame.lz");
    FreeLibrary(exe);
    if (!block) *why = "setup.exe has no frame.lz";
    return block;
#else
    std::ifstream in(NELVO_SOURCE_DIR "/resources/mainframe.xml", std::ios::binary);
    std::string markup((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (markup.empty()) {
        *why = "cannot read resources/mainframe.xml";
        return HeapBlock();
    }
    PackageWriter writer;
    writer.add(u"mainframe.xml", markup, true);
    const std::vector<uint8_t> bytes = writer.finish();
    HeapBlock block = HeapBlock::allocate(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.data());
    return block;
#endif
}

class WizardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        // What setup.exe registers: a control it lacks would be skipped here
        // as there, and the tables below would miss it.
        registerSetupControls(ctx.factory());
        ctx.factory().registerControl<FixedMetricsLabel>(u"Label");
        ctx.factory().registerControl<FixedMetricsImage>(u"Image");
        std::string why;
        HeapBlock package = layoutPackage(&why);
        ASSERT_TRUE(package) << why;
        ASSERT_TRUE(ctx.layouts().load(std::move(package), &why)) << why;
        root = loadLayout(ctx, u"mainframe.xml", &why);
        ASSERT_TRUE(root) << why;

        // What the window does on creation.
        attach(window, *root);
        Size initial;
        ASSERT_TRUE(root->getSize(attr::initSize, initial));
        root->measure(initial.cx, initial.cy);
        root->arrange({0, 0, initial.cx, initial.cy});
    }
    void TearDown() override {
        if (root) detach(*root);
    }

    // The control at a path of child indexes from the root.
    Control* at(std::initializer_list<int> path) {
        Control* c = root.get();
        for (int index : path) {
            Panel* p = c ? c->asPanel() : nullptr;
            if (!p) return nullptr;
            c = p->firstChild();
            for (int i = 0; i < index && c; ++i) c = c->nextSibling();
        }
        return c;
    }
    Control* byId(int32_t id) { return window.childById(id); }

    UiContext ctx;
    TestWindow window;
    ControlPtr root;
};

struct Expected {
    std::initializer_list<int> path;
    int32_t id;  // 0: none
    std::u16string_view type;
    Rect bounds;
};

TEST_F(WizardLayoutTest, EveryControlGetsItsBounds) {
    const Expected table[] = {
        {{0}, 0, u"Panel", {0, 0, 504, 24}},  // title strip
        {{0, 0}, 0, u"Control", {0, 0, 504, 24}},  // title bar fills it
        {{0, 1}, 0, u"Image", {6, 4, 22, 20}},  // logo: (24 - 16) / 2
        {{0, 2}, 1002, u"Control", {26, 6, 226, 18}},
        {{0, 3}, 1000, u"Button", {450, 3, 475, 20}},  // 504 - 29 - 25; (24 - 17) / 2
        {{0, 4}, 1001, u"Button", {475, 3, 500, 20}},
        {{1}, 2000, u"Panel", {0, 24, 504, 366}},  // 366 - 342
        {{1, 0}, 0, u"Control", {24, 24, 384, 36}},  // 30 units
        {{1, 1}, 2001, u"Edit", {24, 56, 480, 256}},
        {{1, 2}, 2002, u"Button", {24, 296, 86, 322}},  // 342 - 20 - 26
        {{1, 3}, 2003, u"Button", {418, 296, 480, 322}},  // 504 - 24 - 62
        {{2}, 3000, u"Panel", {0, 24, 504, 366}},
        {{2, 0}, 0, u"Control", {40, 100, 220, 112}},  // 15 units
        {{2, 1}, 0, u"Panel", {40, 125, 416, 173}},
        {{2, 1, 0}, 3001, u"TextBox", {30, 11, 280, 36}},  // (48 - 25) / 2 = 11
        {{2, 1, 1}, 3002, u"Button", {286, 10, 358, 38}},  // 376 - 18 - 72
        {{2, 2}, 3005, u"Control", {40, 185, 340, 197}},  // the space needed, 300 wide
        {{2, 3}, 3006, u"Control", {40, 205, 340, 217}},  // the space free
        {{2, 4}, 3003, u"Button", {24, 296, 86, 322}},
        {{2, 5}, 3004, u"Button", {418, 296, 480, 322}},
        {{3}, 4000, u"Panel", {0, 24, 504, 366}},
        {{3, 0}, 0, u"Control", {30, 100, 174, 112}},  // 12 units
        {{3, 1}, 4001, u"ProgressBar", {30, 135, 440, 146}},
        {{3, 2}, 4002, u"Control", {414, 135, 474, 147}},  // "   0%": 5 units, 504 - 30 - 60
        {{3, 3}, 4003, u"Control", {30, 155, 434, 167}},
        {{3, 4}, 4004, u"Button", {418, 296, 480, 322}},
        {{4}, 5000, u"Panel", {0, 24, 504, 366}},
        {{4, 0}, 0, u"Control", {40, 30, 184, 42}},  // 12 units
        {{4, 1}, 5001, u"Edit", {40, 75, 464, 155}},
        {{4, 2}, 5002, u"Button", {40, 155, 190, 174}},
        {{4, 3}, 5003, u"Button", {418, 296, 480, 322}},
    };
    EXPECT_EQ(root->bounds(), (Rect{0, 0, 504, 366}));
    EXPECT_EQ(root->asPanel()->childCount(), 5);
    size_t controls = 1;
    for (const Expected& e : table) {
        Control* c = at(e.path);
        std::string where;
        for (int i : e.path) where += std::to_string(i) + " ";
        ASSERT_NE(c, nullptr) << "path " << where;
        EXPECT_EQ(c->typeName(), e.type) << "path " << where;
        EXPECT_EQ(c->bounds(), e.bounds) << "path " << where;
        if (e.id) {
            EXPECT_EQ(byId(e.id), c) << e.id;
            EXPECT_EQ(c->intOr(attr::id, 0), e.id);
        } else {
            EXPECT_FALSE(c->hasInt(attr::id)) << "path " << where;
        }
        ++controls;
    }
    EXPECT_EQ(window.idMap().size(), 23u);
    // Nothing more than the table lists.
    size_t counted = 0;
    auto count = [&](auto&& self, Control* c) -> void {
        ++counted;
        if (Panel* p = c->asPanel())
            for (Control* k = p->firstChild(); k; k = k->nextSibling()) self(self, k);
    };
    count(count, root.get());
    EXPECT_EQ(counted, controls);
}

TEST_F(WizardLayoutTest, WindowRectanglesAddTheAncestors) {
    Rect r;
    ASSERT_TRUE(byId(2003)->windowRect(r));
    EXPECT_EQ(r, (Rect{418, 320, 480, 346}));
    ASSERT_TRUE(byId(3001)->windowRect(r));
    EXPECT_EQ(r, (Rect{70, 160, 320, 185}));
    ASSERT_TRUE(byId(1001)->windowRect(r));
    EXPECT_EQ(r, (Rect{475, 3, 500, 20}));
    // Hit-testing the visible page: the accept button, but a label is
    // transparent to the pointer.
    EXPECT_EQ(root->hitTest(420, 321), byId(2003));
    EXPECT_EQ(root->hitTest(30, 50), byId(2000)) << "the instruction label lets the pointer through";
}

TEST_F(WizardLayoutTest, EveryAttributeIsStored) {
    Size s;
    ASSERT_TRUE(root->getSize(attr::roundCorner, s));
    EXPECT_EQ(s, (Size{9, 9}));
    EXPECT_EQ(*root->findText(attr::style), u"mainbkg.xml");

    auto text = [&](Control* c, PropertyKey key) {
        const std::u16string* t = c ? c->findText(key) : nullptr;
        return t ? *t : std::u16string(u"<absent>");
    };
    constexpr int32_t white = 0xFFFFFF;

    EXPECT_EQ(text(at({0, 1}), attr::src), u"logo.png");
    EXPECT_EQ(text(byId(1002), attr::text), u"安装 - Nelvo");
    EXPECT_EQ(text(byId(1002), attr::font), u"Default.Bold");
    EXPECT_EQ(byId(1002)->intOr(attr::color, 0), white);
    EXPECT_EQ(text(byId(1000), attr::style), u"btnMinimize.xml");
    EXPECT_EQ(text(byId(1001), attr::style), u"btnClose.xml");

    EXPECT_TRUE(byId(2000)->visible());
    for (int32_t page : {3000, 4000, 5000}) EXPECT_FALSE(byId(page)->visible()) << page;

    EXPECT_EQ(text(at({1, 0}), attr::text), u"请仔细阅读下列许可协议。您在继续安装前必须同意这些协议条款。");
    EXPECT_EQ(at({1, 0})->intOr(attr::color, 0), white);
    EXPECT_EQ(byId(2001)->intOr(attr::texteditable, -1), 0);
    EXPECT_EQ(byId(2001)->intOr(attr::textspace, -1), 6);
    ASSERT_TRUE(byId(2001)->getSize(attr::textpadding, s));
    EXPECT_EQ(s, (Size{5, 5}));
    EXPECT_EQ(text(byId(2002), attr::text), u"取消");
    EXPECT_EQ(text(byId(2003), attr::text), u"接受协议");
    EXPECT_EQ(text(byId(2003), attr::style), u"button.xml");

    EXPECT_EQ(text(at({2, 0}), attr::text), u"现在将进行安装，请选择安装目录");
    EXPECT_EQ(text(at({2, 0}), attr::font), u"Default.BigBold");
    EXPECT_EQ(text(at({2, 1}), attr::style), u"seldirbkg.xml");
    EXPECT_EQ(text(byId(3001), attr::style), u"textbox.xml");
    EXPECT_EQ(text(byId(3002), attr::style), u"btnBrowse.xml");
    EXPECT_EQ(text(byId(3003), attr::text), u"取消");
    EXPECT_EQ(text(byId(3004), attr::text), u"安装");

    EXPECT_EQ(text(at({3, 0}), attr::text), u"正在进行安装，请耐心等待");
    Control* progress = byId(4001);
    EXPECT_EQ(text(progress, attr::progressbkimg), u"pro_bg.png");
    EXPECT_EQ(text(progress, attr::progressimg), u"pro_fg.png");
    EXPECT_EQ(progress->rectOr(attr::progressbkScaleGrid, {}), (Rect{1, 0, 1, 0}));
    EXPECT_EQ(progress->rectOr(attr::progressScaleGrid, {}), (Rect{1, 0, 1, 0}));
    EXPECT_EQ(progress->rectOr(attr::progressmargin, {}), (Rect{0, 1, 0, 1}));
    EXPECT_EQ(text(byId(4002), attr::text), u"   0%");
    EXPECT_EQ(text(byId(4003), attr::text), u"正在解压缩文件:C:\\Program Files\\...");
    EXPECT_EQ(text(byId(4004), attr::text), u"取消");

    EXPECT_EQ(text(at({4, 0}), attr::text), u"Nelvo 安装向导完成");
    EXPECT_EQ(byId(5001)->intOr(attr::textspace, -1), 3);
    EXPECT_EQ(byId(5001)->intOr(attr::color, 0), white);
    ASSERT_TRUE(byId(5001)->getSize(attr::textpadding, s));
    EXPECT_EQ(s, (Size{0, 0}));
    EXPECT_EQ(text(byId(5002), attr::text), u"运行 Nelvo");
    EXPECT_EQ(text(byId(5003), attr::text), u"完成");
    EXPECT_FALSE(byId(5002)->findText(attr::style)) << "the check box always uses checkbox.xml";
}

#ifndef _WIN32
// Every style file of the wizard's skin becomes, with what setup.exe
// registers, the style class the full framework makes of it (an unknown type
// would fall back to a plain Style that draws nothing of its own).
TEST(WizardSkin, SetupRegistersEveryStyleTypeOfItsSkin) {
    UiContext ctx;
    ControlFactory setup;
    setup.registerDefaults();
    registerSetupControls(setup);
    ControlFactory full;
    full.registerDefaults();
    registerShippedControls(full);
    size_t styles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NELVO_SOURCE_DIR "/resources/skin")) {
        if (entry.path().extension() != ".xml" || entry.path().filename() == "font.xml") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::unique_ptr<Style> ours = readStyleFile(setup, ctx.setters(), text);
        const std::unique_ptr<Style> theirs = readStyleFile(full, ctx.setters(), text);
        ASSERT_TRUE(ours && theirs) << entry.path();
        const Style& a = *ours;
        const Style& b = *theirs;
        EXPECT_EQ(typeid(a), typeid(b)) << entry.path();
        EXPECT_NE(typeid(b), typeid(Style)) << entry.path() << " names no style type";
        ++styles;
    }
    EXPECT_EQ(styles, 9u);
}
#endif

} // namespace
} // namespace nelvo
