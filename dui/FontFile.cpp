#include "dui/FontFile.h"

#include "dui/XmlDocument.h"

#include <new>

namespace nelvo {
namespace {

// As wtol: leading white space, an optional sign, decimal digits; 0 without.
// Saturates at the 32-bit limits instead of wrapping.
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

std::vector<FontEntry> readFontFile(std::string_view utf8) {
    std::vector<FontEntry> fonts;
    try {
        XmlDocument document;
        if (!document.parse(utf8)) return fonts;
        for (const XmlNode* f = firstElement(document.firstNode()); f; f = f->next_sibling()) {
            if (f->type() != rapidxml::node_element || nameOf(*f) != u"Font") continue;
            FontEntry entry;
            for (const XmlAttribute* a = f->first_attribute(); a; a = a->next_attribute()) {
                const std::u16string key = nameOf(*a);
                std::u16string value = valueOf(*a);
                if (key == u"name") {
                    entry.name = std::move(value);
                } else if (key == u"face") {
                    if (value.size() > FontEntry::kMaxFaceLength) value.resize(FontEntry::kMaxFaceLength);
                    entry.face = std::move(value);
                } else if (key == u"size") {
                    entry.height = -leadingInteger(value);
                } else if (key == u"bold") {
                    entry.bold = value == u"true";
                } else if (key == u"underline") {
                    entry.underline = value == u"true";
                }
            }
            fonts.push_back(std::move(entry));
        }
    } catch (const std::bad_alloc&) {
        // The fonts read so far stay; the rest are unknown names.
    }
    return fonts;
}

} // namespace nelvo
