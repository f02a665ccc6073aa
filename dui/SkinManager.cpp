#include "dui/SkinManager.h"

#include "base/FileSystem.h"
#include "base/TextConvert.h"
#include "dui/Control.h"
#include "dui/FontFile.h"
#include "dui/StyleFile.h"
#include "dui/UiContext.h"

#include <cwchar>
#include <new>

namespace nelvo {

static_assert(FontEntry::kMaxFaceLength < LF_FACESIZE, "a face name and its terminator fit the font record");

std::u16string SkinManager::largerImageName(std::u16string_view name) {
    const size_t dot = name.rfind(u'.');
    const size_t at = dot == std::u16string_view::npos ? name.size() : dot;
    return std::u16string(name.substr(0, at)) + u"@2x" + std::u16string(name.substr(at));
}

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
    for (const FontEntry& entry : readFontFile(text.text())) {
        LOGFONTW lf{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        if (entry.face) {
            std::wmemcpy(lf.lfFaceName, asWide(*entry.face).data(), entry.face->size());
            lf.lfFaceName[entry.face->size()] = L'\0';
        }
        if (entry.height) lf.lfHeight = *entry.height;
        if (entry.bold) lf.lfWeight = *entry.bold ? FW_BOLD : FW_NORMAL;
        if (entry.underline) lf.lfUnderline = *entry.underline ? TRUE : FALSE;
        UniqueFont font(CreateFontIndirectW(&lf));
        if (!font) continue;
        try {
            fonts_.insert_or_assign(entry.name, std::move(font));
        } catch (const std::bad_alloc&) {
            return;  // the rest are unknown names
        }
    }
}

HFONT SkinManager::getFont(std::u16string_view name) {
    auto it = fonts_.find(name);
    return it == fonts_.end() ? nullptr : it->second.get();
}

ImageRecord* SkinManager::getImage(std::u16string_view name) {
    if (auto it = images_.find(name); it != images_.end()) return it->second.get();
    HeapBlock bytes = member(name);
    if (!bytes) return nullptr;
    try {
        auto record = ImageRecord::decode(bytes.data(), bytes.size());
        if (HeapBlock larger = member(largerImageName(name))) record->setLargerSource(std::move(larger));
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
        std::unique_ptr<Style> read = readStyleFile(context_.factory(), context_.setters(), bytes.text());
        if (!read) return nullptr;
        StylePtr style(read.release());
        Style* raw = style.get();
        styles_.emplace(std::u16string(name), std::move(style));
        return raw;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace nelvo
