#pragma once
// SkinManager: the skin package and everything drawn from it. It keeps the
// package bytes with their index and three caches keyed by exact,
// case-sensitive member or font names: fonts (from the member "font.xml"),
// images (decoded on first request) and styles (created on first request).
//
// An image may come with the same picture at twice its size, the member of
// its name with "@2x" before the extension ("button@2x.png" for
// "button.png"); a drawing at a scale that enlarges it is then made from
// that one (ImageRecord::setLargerSource).
//
// The manager owns every font handle, image record and style; controls and
// styles only name them, and what they get stays valid until the package
// is loaded again or the manager goes (framework stop). A missing member is
// looked up again on every request; an undecodable image is cached without
// bitmap. Windows build only; UI thread.

#include "base/HeapBlock.h"
#include "base/UniqueHandle.h"
#include "dui/ImageRecord.h"
#include "dui/Style.h"
#include "store/LzPackage.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

class UiContext;

class SkinManager final : public StyleSource {
public:
    // Styles are created through `context`'s factory and filled through its
    // setters; the context must outlive the manager.
    explicit SkinManager(const UiContext& context);
    ~SkinManager();
    SkinManager(const SkinManager&) = delete;
    SkinManager& operator=(const SkinManager&) = delete;

    // The running framework's manager, or null.
    static SkinManager* current();

    // Clears the caches, reads the resource through the current file system,
    // indexes it and builds the fonts from "font.xml". False (caches empty,
    // no package) when the resource is missing or not a package.
    bool loadSkinPackage(std::u16string_view resourceName, std::string* error = nullptr);
    // The same from package bytes in hand.
    bool loadSkinBytes(HeapBlock bytes, std::string* error = nullptr);
    // Deletes every font, image and style and drops the package.
    void clear();
    bool loaded() const { return package_ != nullptr; }

    // The image of that member name, or null when the package has no such
    // member. The record may have no bitmap (undecodable); drawing it then
    // does nothing.
    ImageRecord* getImage(std::u16string_view name);
    // The font of that name from "font.xml", or null.
    HFONT getFont(std::u16string_view name);
    // The style of that member name (StyleSource), or null.
    Style* getStyle(std::u16string_view name) override;

    // A fresh block with a member's bytes; empty when there is none.
    HeapBlock member(std::u16string_view name) const;
    // The member that holds an image at twice its size: "@2x" before the
    // extension, or at the end of a name without one.
    static std::u16string largerImageName(std::u16string_view name);

    size_t cachedImages() const { return images_.size(); }
    size_t cachedStyles() const { return styles_.size(); }
    size_t fontCount() const { return fonts_.size(); }

private:
    struct StyleDeleter {
        void operator()(Style* s) const;
    };
    using StylePtr = std::unique_ptr<Style, StyleDeleter>;

    void buildFonts();

    const UiContext& context_;
    HeapBlock bytes_;
    std::unique_ptr<LzPackage> package_;
    std::map<std::u16string, UniqueFont, std::less<>> fonts_;
    std::map<std::u16string, std::unique_ptr<ImageRecord>, std::less<>> images_;
    std::map<std::u16string, StylePtr, std::less<>> styles_;
};

} // namespace nelvo
