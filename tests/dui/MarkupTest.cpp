// Markup loading: the setter table, keywords, state bits, the factory, and
// failures that must come back as values.

#include "dui/ControlFactory.h"
#include "dui/Grid.h"
#include "dui/Markup.h"
#include "dui/SetterRegistry.h"
#include "dui/UiContext.h"
#include "dui/controls/Button.h"
#include "dui/controls/ListBox.h"
#include "dui/controls/ShippedControls.h"
#include "dui/controls/Style_ButtonEx.h"
#include "dui/controls/TabItem.h"
#include "dui/XmlDocument.h"
#include "tests/support/StandInWindow.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace nelvo {
namespace {

class SetterTest : public ::testing::Test {
protected:
    void SetUp() override { setters.registerDefaults(); }
    void TearDown() override { object->destroy(); }
    void set(std::u16string_view name, std::u16string_view value) {
        const duiField::ISetter* s = setters.find(name);
        ASSERT_NE(s, nullptr) << "no setter";
        s->set(*object, value);
    }
    int32_t intValue(PropertyKey key) {
        int32_t v = 12345;
        EXPECT_TRUE(object->getInt(key, v));
        return v;
    }
    Rect rectValue(PropertyKey key) {
        Rect r{9, 9, 9, 9};
        EXPECT_TRUE(object->getRect(key, r));
        return r;
    }

    SetterRegistry setters;
    Control* object = new Grid;
};

TEST_F(SetterTest, TheWholeTableInRegistrationOrder) {
    const std::vector<std::u16string_view> expected = {
        u"img", u"scaleGrid", u"upSkin", u"downSkin", u"overSkin", u"disabledSkin", u"textColor", u"downOffset",
        u"upIcon", u"overIcon", u"downIcon", u"disabledIcon", u"checkedUpIcon", u"checkedOverIcon",
        u"checkedDownIcon", u"checkedDisabledIcon", u"iconGap", u"dropBtn", u"margin", u"textPlacement",
        u"barSkin", u"trackSkin", u"thumbUpSkin", u"thumbOverSkin", u"thumbDownSkin", u"checkedUpSkin",
        u"checkedDownSkin", u"checkedOverSkin", u"checkedDisabledSkin", u"thumbScaleGrid", u"upArrowUpSkin",
        u"upArrowOverSkin", u"upArrowDownSkin", u"upArrowDisabledSkin", u"downArrowUpSkin",
        u"downArrowOverSkin", u"downArrowDownSkin", u"downArrowDisabledSkin", u"thumbUpIcon", u"thumbOverIcon",
        u"thumbDownIcon", u"id", u"x", u"y", u"width", u"height", u"padding", u"horizontalAlign",
        u"verticalAlign", u"dock", u"tooltip", u"style", u"orientation", u"text", u"icon", u"font", u"color",
        u"offIcon", u"offText", u"src", u"tabHeight", u"tabPlacement", u"initSize", u"roundCorner",
        u"textAlign", u"itemHeight", u"progressbkimg", u"progressbkScaleGrid", u"progressmargin",
        u"progressimg", u"progressScaleGrid", u"imagelist", u"url", u"textspace", u"texteditable",
        u"textpadding", u"scrollvertical", u"scrollhorizontal", u"accessibleName", u"tabIndex", u"isDefault",
        u"isCancel"};
    const auto& order = setters.registrationOrder();
    ASSERT_EQ(order.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(std::u16string_view(order[i]), expected[i]) << i;
        EXPECT_EQ(setters.find(expected[i])->key(), order[i]) << "each setter writes its interned name";
    }
    EXPECT_EQ(setters.find(u"visible"), nullptr) << "state bits are not properties";
    EXPECT_EQ(setters.find(u"Width"), nullptr) << "names are case-sensitive";
}

TEST_F(SetterTest, EverySetterKindStoresItsForm) {
    set(u"id", u"2001");
    EXPECT_EQ(intValue(attr::id), 2001);
    set(u"text", u"  keeps  spaces ");
    EXPECT_EQ(object->text(), u"  keeps  spaces ");
    set(u"margin", u"24,56,24,0");
    EXPECT_EQ(rectValue(attr::margin), (Rect{24, 56, 24, 0}));
    set(u"initSize", u"504,366");
    Size s;
    ASSERT_TRUE(object->getSize(attr::initSize, s));
    EXPECT_EQ(s, (Size{504, 366}));
    set(u"color", u"#ffffff");
    EXPECT_EQ(intValue(attr::color), 16777215);
    set(u"textColor", u"#FF0080");
    EXPECT_EQ(intValue(attr::textColor), 0xFF0080);
    set(u"horizontalAlign", u"right");
    EXPECT_EQ(object->keywordOr(attr::horizontalAlign, Keyword::None), Keyword::Right);
}

TEST_F(SetterTest, NumbersAreReadLikeScanf) {
    set(u"width", u"  -12px");
    EXPECT_EQ(intValue(attr::width), -12) << "white space and sign allowed, trailing text ignored";
    set(u"width", u"+7");
    EXPECT_EQ(intValue(attr::width), 7);
    set(u"width", u"abc");
    EXPECT_EQ(intValue(attr::width), 0) << "no number stores 0";
    set(u"width", u"");
    EXPECT_EQ(intValue(attr::width), 0);
    set(u"width", u"4294967297");
    EXPECT_EQ(intValue(attr::width), 1) << "wraps at 32 bits, no undefined overflow";
    set(u"x", u"-2147483648");
    EXPECT_EQ(intValue(attr::x), INT32_MIN);

    set(u"margin", u"1, 2,\t3,4");
    EXPECT_EQ(rectValue(attr::margin), (Rect{1, 2, 3, 4})) << "%d skips white space after a comma";
    set(u"margin", u"1 ,2,3,4");
    EXPECT_EQ(rectValue(attr::margin), (Rect{1, 0, 0, 0})) << "a comma must follow the number directly";
    set(u"margin", u"5,6");
    EXPECT_EQ(rectValue(attr::margin), (Rect{5, 6, 0, 0})) << "missing numbers are 0";
    set(u"margin", u"x,1,2,3");
    EXPECT_EQ(rectValue(attr::margin), (Rect{0, 0, 0, 0}));
    set(u"roundCorner", u"9");
    Size s{7, 7};
    object->getSize(attr::roundCorner, s);
    EXPECT_EQ(s, (Size{9, 0}));
}

TEST_F(SetterTest, ColoursNeverReadPastTheirEnd) {
    set(u"color", u"#FFffFF");
    EXPECT_EQ(intValue(attr::color), 0xFFFFFF) << "either case";
    set(u"color", u"X0000ff");
    EXPECT_EQ(intValue(attr::color), 0x0000FF) << "the first character is not examined";
    set(u"color", u"#zz00gg");
    EXPECT_EQ(intValue(attr::color), 0) << "a non-digit counts as 0";
    set(u"color", u"#f");
    EXPECT_EQ(intValue(attr::color), 0xF00000) << "missing digits are 0";
    set(u"color", u"#12345");
    EXPECT_EQ(intValue(attr::color), 0x123450);
    set(u"color", u"");
    EXPECT_EQ(intValue(attr::color), 0);
    // The value comes from a buffer that ends right after "#ab": a read past
    // the view would be reported by AddressSanitizer.
    auto* heap = new char16_t[3]{u'#', u'a', u'b'};
    set(u"color", std::u16string_view(heap, 3));
    delete[] heap;
    EXPECT_EQ(intValue(attr::color), 0xAB0000);
    set(u"color", u"#1234567890");
    EXPECT_EQ(intValue(attr::color), 0x123456) << "characters after the six digits are ignored";
}

TEST_F(SetterTest, KeywordsMatchExactly) {
    // Every keyword has its own identity, none of them 0.
    for (std::u16string_view text : {u"left", u"right", u"top", u"bottom", u"center", u"stretch", u"horizontal",
                                     u"vertical", u"true", u"false", u"auto", u"always", u"never"}) {
        set(u"dock", text);
        const Keyword k = object->keywordOr(attr::dock, Keyword::None);
        EXPECT_NE(k, Keyword::None);
        EXPECT_EQ(keywordText(k), text);
    }
    set(u"horizontalAlign", u"Right");
    EXPECT_EQ(intValue(attr::horizontalAlign), 0) << "a capital letter makes it no keyword";
    EXPECT_EQ(object->keywordOr(attr::horizontalAlign, Keyword::Stretch), Keyword::None)
        << "stored 0 is not the reader's default";
    set(u"verticalAlign", u" top");
    EXPECT_EQ(intValue(attr::verticalAlign), 0);
    set(u"verticalAlign", u"centre");
    EXPECT_EQ(intValue(attr::verticalAlign), 0);
}

// Loads markup with a fresh context and the shipped controls.
class MarkupTest : public ::testing::Test {
protected:
    void SetUp() override { registerShippedControls(ctx.factory()); }
    ControlPtr load(std::string_view text) { return loadMarkup(ctx, text, &error); }
    UiContext ctx;
    std::string error;
};

TEST_F(MarkupTest, StateBitsSetOnlyByExactlyOne) {
    ControlPtr root = load(R"(<Window>
        <Grid visible="0"/><Grid visible="true"/><Grid visible="1"/>
        <Button enabled="0"/><Button enabled="1 "/><Button enabled="1" transparent="1"/>
        <Grid visible="1" visible="0"/>
    </Window>)");
    ASSERT_TRUE(root) << error;
    std::vector<Control*> c;
    for (Control* x = root->asPanel()->firstChild(); x; x = x->nextSibling()) c.push_back(x);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_FALSE(c[0]->visible());
    EXPECT_FALSE(c[1]->visible()) << "\"true\" clears the bit";
    EXPECT_TRUE(c[2]->visible());
    EXPECT_FALSE(c[3]->enabled());
    EXPECT_FALSE(c[4]->enabled());
    EXPECT_TRUE(c[5]->enabled());
    EXPECT_TRUE(c[5]->hasFlag(ControlFlag::HitTransparent));
    EXPECT_FALSE(c[6]->visible()) << "a later attribute of the same name wins";
    EXPECT_TRUE(root->visible());
}

TEST_F(MarkupTest, UnknownElementsAreSkippedWithTheirChildren) {
    ControlPtr root = load(R"(<Window unknownAttribute="x" width="5">
        <Button id="1"/>
        <Mystery id="2"><Button id="3"/></Mystery>
        text between
        <button id="4"/>
        <!-- a comment -->
        <Button id="5"/>
    </Window>)");
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->typeName(), u"Panel");
    EXPECT_NE(dynamic_cast<Grid*>(root.get()), nullptr) << "Window builds a Grid";
    EXPECT_EQ(root->intOr(attr::width, 0), 5);
    Panel* p = root->asPanel();
    ASSERT_EQ(p->childCount(), 2);
    EXPECT_EQ(p->firstChild()->intOr(attr::id, 0), 1);
    EXPECT_EQ(p->lastChild()->intOr(attr::id, 0), 5);
    EXPECT_EQ(p->lastChild()->previousSibling(), p->firstChild());
    EXPECT_EQ(p->firstChild()->parent(), root.get());
}

TEST_F(MarkupTest, ChildrenOfALeafAreIgnoredATabItemKeepsItsFirstChildAsPageAListBoxItsItems) {
    ControlPtr root = load(R"(<Window>
        <Button id="1"><Button id="2"/></Button>
        <ListBox id="7"><Label id="8"/><Button id="9"/></ListBox>
        <TabItem id="3"><Grid id="4"><Label id="5"/></Grid><Grid id="6"/></TabItem>
    </Window>)");
    ASSERT_TRUE(root) << error;
    Panel* p = root->asPanel();
    ASSERT_EQ(p->childCount(), 3);
    auto* list = dynamic_cast<ListBox*>(p->firstChild()->nextSibling());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->childCount(), 1) << "the stack, and no bar before an arrange";
    ASSERT_EQ(list->itemCount(), 2u);
    EXPECT_EQ(list->item(0)->intOr(attr::id, 0), 8);
    EXPECT_EQ(list->item(1)->intOr(attr::id, 0), 9);
    EXPECT_EQ(list->item(1)->parent(), &list->stack());
    EXPECT_FALSE(list->selectedItem());
    list->select(list->item(1));
    EXPECT_EQ(list->selectedItem(), list->item(1)) << "a list outside a window selects too";
    EXPECT_TRUE(list->item(1)->checked());
    auto* item = dynamic_cast<TabItem*>(p->lastChild());
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->page(), nullptr);
    EXPECT_EQ(item->page()->intOr(attr::id, 0), 4);
    EXPECT_EQ(item->page()->asPanel()->childCount(), 1);
    EXPECT_EQ(item->typeName(), u"Button");
    EXPECT_FALSE(item->hasFlag(ControlFlag::CaptureOnPress));
}

TEST_F(MarkupTest, EntitiesAreTranslatedAndDeclarationsIgnored) {
    ControlPtr root = load("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE w>\n"
                           "<Window text=\"a &amp; b &lt;c&gt; &quot;q&quot;\"/>");
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->text(), u"a & b <c> \"q\"");
}

TEST_F(MarkupTest, AnyCharacterSurvivesInsideAQuotedValue) {
    // U+4E22's low byte is '"', U+4E3C's '<', U+4E26's '&', U+4E27's '\''.
    ControlPtr root = load("<Window text=\"\xE4\xB8\xA2\xE4\xB8\xBC\xE4\xB8\xA6\" "
                           "font='\xE4\xB8\xA7' tooltip=\"&#x4E22;&#20013;\"/>");
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->text(), u"\u4E22\u4E3C\u4E26");
    EXPECT_EQ(*root->findText(attr::font), u"\u4E27");
    EXPECT_EQ(*root->findText(attr::tooltip), u"\u4E22\u4E2D") << "character references decode";
}

TEST_F(MarkupTest, ParserErrorsComeBackAsValues) {
    EXPECT_FALSE(load("\xEF\xBB\xBF<Window/>"));
    EXPECT_EQ(error, "expected <") << "the byte-order mark survives the conversion";

    error.clear();
    EXPECT_FALSE(load("<Window><Grid></Window>"));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(load("<Window"));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(load(""));
    EXPECT_EQ(error, "no root element");
    error.clear();
    EXPECT_FALSE(load("<Nonsense/>"));
    EXPECT_NE(error.find("Nonsense"), std::string::npos);
}

TEST_F(MarkupTest, InvalidUtf8TurnsTheWholeTextEmpty) {
    EXPECT_FALSE(load("<Window text=\"\xC3\x28\"/>"));
    EXPECT_EQ(error, "no root element");
    error.clear();
    ControlPtr root = load("<Window text=\"\xE5\xAE\x89\xE8\xA3\x85\"/>");
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->text(), u"安装");
}

TEST_F(MarkupTest, SurrogatePairsAndDepthLimit) {
    ControlPtr root = load("<Window text=\"a&#xD83D;&#xDE00;b\" tooltip=\"&#x1F600;\" font=\"&#xD83D;\"/>");
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->text(), u"a\U0001F600b") << "a pair written as two references is one character";
    EXPECT_EQ(*root->findText(attr::tooltip), u"\U0001F600");
    EXPECT_EQ(*root->findText(attr::font), u"") << "a lone surrogate is still refused";

    auto nested = [](int depth, const char* inner) {
        std::string m;
        for (int i = 0; i < depth; ++i) m += "<Grid a='<Grid>'><!-- <Grid> --><Canvas/>";
        m += inner;
        for (int i = 0; i < depth; ++i) m += "</Grid>";
        return m;
    };
    root = load(nested(XmlDocument::kMaxDepth, ""));
    EXPECT_TRUE(root) << error;
    root = load(nested(XmlDocument::kMaxDepth, "<Grid/>"));
    EXPECT_TRUE(root) << error << ": an empty element adds no level below itself";
    EXPECT_FALSE(load(nested(XmlDocument::kMaxDepth, "<Grid></Grid>")));
    EXPECT_EQ(error, "elements nested too deeply");
}

#ifdef NELVO_SOURCE_DIR
// Markup that once broke the framework (also the seeds of the markup fuzz
// target): it loads or is refused, and what loads lays out, invalidates and
// hit-tests with wrapping arithmetic (the sanitizers stop on an overflow).
TEST_F(MarkupTest, InputsThatOnceBrokeTheFramework) {
    const std::filesystem::path corpus = std::filesystem::path(NELVO_SOURCE_DIR) / "tests/dui/corpus";
    auto read = [&](const char* name) {
        std::ifstream in(corpus / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        EXPECT_FALSE(ss.str().empty()) << name;
        return ss.str();
    };
    error.clear();
    EXPECT_FALSE(load(read("markup-deep-nesting-20000.xml")));
    EXPECT_EQ(error, "elements nested too deeply");

    ControlPtr root = load(read("markup-surrogate-entity.xml"));
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->text(), u"a\U0001F600b");

    for (const char* name : {"edit-textpadding-overflow.xml", "rect-offset-overflow.xml",
                             "markup-crash-edit-textpadding-raw", "markup-crash-windowrect-raw"}) {
        SCOPED_TRACE(name);
        root = load(read(name));
        ASSERT_TRUE(root) << error;
        EXPECT_TRUE(test::exerciseTree(*root));
    }

    // The editor 2^31 units wide, 100 units from the left: its window
    // rectangle wraps around to the left of the window.
    root = load(read("rect-offset-overflow.xml"));
    test::TestWindow window;
    attach(window, *root);
    root->measure(504, 366);
    root->arrange({0, 0, 504, 366});
    Control* edit = root->asPanel()->firstChild()->asPanel()->firstChild();
    Rect r;
    ASSERT_TRUE(edit->windowRect(r));
    EXPECT_EQ(edit->bounds().width(), INT32_MAX);
    EXPECT_EQ(r.left, edit->bounds().left + 100);
    EXPECT_LT(r.right, r.left);
    detach(*root);
}
#endif

TEST_F(MarkupTest, MissingLayoutMemberFails) {
    EXPECT_FALSE(loadLayout(u"mainframe.xml", &error)) << "no layout package loaded";
    EXPECT_NE(error.find("mainframe.xml"), std::string::npos);
}

TEST(Factory, EveryElementNameMapsToItsClass) {
    // The core alone knows its panels and styles and no concrete control.
    ControlFactory f;
    f.registerDefaults();
    EXPECT_EQ(f.controlCount(), 5u);
    EXPECT_EQ(f.styleCount(), 3u);
    EXPECT_EQ(f.createControl(u"Button"), nullptr);
    EXPECT_EQ(f.createStyle(u"ButtonEx"), nullptr);
    EXPECT_EQ(f.childRule(u"Grid").adopt, nullptr);

    registerShippedControls(f);
    const std::pair<std::u16string_view, std::u16string_view> elements[] = {
        {u"Window", u"Panel"},          {u"Grid", u"Panel"},         {u"Canvas", u"Panel"},
        {u"StackPanel", u"Panel"},      {u"DockPanel", u"Panel"},    {u"Image", u"Image"},
        {u"Button", u"Button"},         {u"IconButton", u"Button"},  {u"ImageButton", u"Button"},
        {u"ToggleButton", u"Button"},   {u"ToggleIconButton", u"Button"}, {u"CheckBox", u"Button"},
        {u"RadioButton", u"Button"},    {u"TitleBar", u"Control"},   {u"Seperator", u"Control"},
        {u"Label", u"Control"},         {u"LinkLabel", u"Control"},  {u"TextBox", u"TextBox"},
        {u"Edit", u"Edit"},             {u"ProgressBar", u"ProgressBar"}, {u"PowerPoint", u"PowerPoint"},
        {u"ScrollPanel", u"Panel"},     {u"ListBox", u"Panel"},      {u"Slider", u"Control"},
        {u"ComboBox", u"Control"},      {u"TabControl", u"Panel"},   {u"TabItem", u"Button"},
        {u"WebBrowser", u"Control"}};
    EXPECT_EQ(f.controlCount(), std::size(elements));
    for (auto [name, type] : elements) {
        Control* c = f.createControl(name);
        ASSERT_NE(c, nullptr) << std::string(name.begin(), name.end());
        EXPECT_EQ(c->typeName(), type);
        EXPECT_EQ(c->asPanel() != nullptr, type == u"Panel");
        c->destroy();
    }
    EXPECT_EQ(f.createControl(u"grid"), nullptr);
    EXPECT_EQ(f.createControl(u""), nullptr);
    // The tab item, the combo box and the list box bring their own rules
    // for their children.
    for (auto [name, type] : elements) {
        const bool own = name == u"TabItem" || name == u"ComboBox" || name == u"ListBox";
        EXPECT_EQ(f.childRule(name).adopt != nullptr, own) << std::string(name.begin(), name.end());
    }
    EXPECT_TRUE(f.childRule(u"TabItem").firstChildOnly);
    EXPECT_FALSE(f.childRule(u"ComboBox").firstChildOnly);
    EXPECT_FALSE(f.childRule(u"ListBox").firstChildOnly);

    EXPECT_EQ(f.styleCount(), 13u);
    Style* s = f.createStyle(u"ButtonEx");
    EXPECT_NE(dynamic_cast<Style_ButtonEx*>(s), nullptr);
    delete s;
    s = f.createStyle(u"Style");
    EXPECT_NE(s, nullptr);
    delete s;
    EXPECT_EQ(f.createStyle(u"Unknown"), nullptr);
}

} // namespace
} // namespace nelvo
