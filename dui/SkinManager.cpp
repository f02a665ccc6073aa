#include "dui/SkinManager.h"

#include "dui/Control.h"
#include "dui/Markup.h"
#include "dui/UiContext.h"
#include "dui/XmlDocument.h"
#include "host/FileSystem.h"
#include "host/TextConvert.h"

#include <cwchar>
#include <new>

namespace nelvo {
namespace {

const XmlNode* firstElement(const XmlNode* parent) {
    for (const XmlNode* n = parent ? parent->first_node() : nullptr; n; n = n->next_sibling())
        if (n->type() == rapidxml::node_element) return n;
    return nullptr;
}

// As wtol: leading white space, an optional sign, decimal digits; 0 without.
int32_t leadingInteger(std::u16string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i)
        if (v < INT32_MAX) v = v * 10 + (s[i] - u'0');
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(negative ? -v : v);
}

} // namespace

SkinManager::SkinManager(const UiContext& context) : context_(context) {}

SkinManager::~SkinManager() { clear(); }

SkinManager* SkinManager::current() {
    UiContext* ctx = UiContext::current();
    return ctx ? ctx->skinManager() : nullptr;
}

void SkinManager::StyleDeleter::operator()(Style* s) const { delete s; }

void SkinManager::clear() {
    styles_.clear();
    images_.clear();
    fonts_.clear();
    package_.reset();  // the index refers to the bytes: drop it first
    bytes_ = HeapBlock();
}

bool SkinManager::loadSkinPackage(std::u16string_view resourceName, std::string* error) {
    clear();
    FileSystem* fs = currentFileSystem();
    if (!fs) {
        if (error) *error = "no resource store";
        return false;
    }
    HeapBlock bytes = fs->load(resourceName);
    if (!bytes) {
        if (error) *error = "no resource " + utf16ToUtf8(resourceName);
        return false;
    }
    return loadSkinBytes(std::move(bytes), error);
}

bool SkinManager::loadSkinBytes(HeapBlock bytes, std::string* error) {
    clear();
    auto package = LzPackage::open(bytes.data(), bytes.size(), error);
    if (!package) return false;
    bytes_ = std::move(bytes);
    package_ = std::move(package);
    buildFonts();
    return true;
}

HeapBlock SkinManager::member(std::u16string_view name) const {
    if (!package_) return HeapBlock();
    return package_->lookup(name);
}

void SkinManager::buildFonts() {
    HeapBlock text = member(u"font.xml");
    if (!text) return;
    try {
        XmlDocument document;
        if (!document.parse(text.text())) return;
        const XmlNode* root = document.firstNode();
        for (const XmlNode* f = firstElement(root); f; f = f->next_sibling()) {
            if (f->type() != rapidxml::node_element || nameOf(*f) != u"Font") continue;
            LOGFONTW lf{};
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
            std::u16string name;
            for (const XmlAttribute* a = f->first_attribute(); a; a = a->next_attribute()) {
                const std::u16string key = nameOf(*a);
                const std::u16string value = valueOf(*a);
                if (key == u"name") {
                    name = value;
                } else if (key == u"face") {
                    // LOGFONT holds 31 characters and the terminator; longer
                    // faces are cut.
                    const size_t n = value.size() < LF_FACESIZE - 1 ? value.size() : LF_FACESIZE - 1;
                    std::wmemcpy(lf.lfFaceName, reinterpret_cast<const wchar_t*>(value.data()), n);
                    lf.lfFaceName[n] = L'\0';
                } else if (key == u"size") {
                    lf.lfHeight = -leadingInteger(value);
                } else if (key == u"bold") {
                    lf.lfWeight = value == u"true" ? FW_BOLD : FW_NORMAL;
                } else if (key == u"underline") {
                    lf.lfUnderline = value == u"true" ? TRUE : FALSE;
                }
            }
            UniqueFont font(CreateFontIndirectW(&lf));
            if (font) fonts_.insert_or_assign(std::move(name), std::move(font));
        }
    } catch (const std::bad_alloc&) {
        // Fonts built so far stay; the rest are unknown names.
    }
}

HFONT SkinManager::getFont(std::u16string_view name) {
    auto it = fonts_.find(name);
    return it == fonts_.end() ? nullptr : it->second.get();
}

HFONT SkinManager::fontFor(const Control& control) {
    const std::u16string* name = control.findText(attr::font);
    return getFont(name ? std::u16string_view(*name) : std::u16string_view(u"Default"));
}

ImageRecord* SkinManager::getImage(std::u16string_view name) {
    if (auto it = images_.find(name); it != images_.end()) return it->second.get();
    HeapBlock bytes = member(name);
    if (!bytes) return nullptr;
    try {
        auto record = ImageRecord::decode(bytes.data(), bytes.size());
        ImageRecord* raw = record.get();
        images_.emplace(std::u16string(name), std::move(record));
        return raw;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

Style* SkinManager::getStyle(std::u16string_view name) {
    if (auto it = styles_.find(name); it != styles_.end()) return it->second.get();
    HeapBlock bytes = member(name);
    if (!bytes) return nullptr;
    try {
        XmlDocument document;
        if (!document.parse(bytes.text())) return nullptr;
        // <Style><Config type="..."><Prop .../></Config></Style>: the first
        // attribute of Config names the type whatever it is called.
        const XmlNode* config = firstElement(document.firstNode());
        std::u16string type;
        if (config)
            if (const XmlAttribute* a = config->first_attribute()) type = valueOf(*a);
        StylePtr style(context_.factory().createStyle(type));
        if (!style) style.reset(new Style);
        if (const XmlNode* prop = firstElement(config)) applyAttributes(context_.setters(), *style, *prop);
        Style* raw = style.get();
        styles_.emplace(std::u16string(name), std::move(style));
        return raw;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace nelvo
