#include "dui/XmlDocument.h"

#include "base/TextConvert.h"

#include <new>

namespace nelvo {
namespace {

// True when no element of `text` lies deeper than `limit`. A rough pass over
// the markup as the parser reads it (comments, CDATA sections, declarations
// and quoted attribute values cannot open an element); whatever it cannot
// make sense of is left for the parser to refuse.
bool nestingWithin(std::string_view text, int limit) {
    auto skipPast = [&](size_t from, std::string_view end) {
        const size_t at = text.find(end, from);
        return at == std::string_view::npos ? text.size() : at + end.size();
    };
    int depth = 0;
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("<!--")) {
            i = skipPast(i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skipPast(i + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = skipPast(i + 2, "?>");
        } else if (rest.starts_with("</")) {
            depth = depth > 0 ? depth - 1 : 0;
            i = skipPast(i + 2, ">");
        } else {
            // A start tag or a declaration: up to the '>' outside quotes and
            // outside a declaration's [...] part.
            char quote = 0;
            int brackets = 0;
            size_t j = i + 1;
            for (; j < text.size(); ++j) {
                const char c = text[j];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '[') {
                    ++brackets;
                } else if (c == ']') {
                    --brackets;
                } else if (c == '>' && brackets <= 0) {
                    break;
                }
            }
            if (j >= text.size()) return true;
            if (!rest.starts_with("<!") && text[j - 1] != '/' && ++depth > limit) return false;
            i = j + 1;
        }
    }
    return true;
}

// The parser writes a character reference below U+10000 as one 3-byte
// sequence, so a surrogate pair written as two references (&#xD83D;&#xDE00;)
// comes out as two encoded surrogates, which strict UTF-8 refuses. Such
// pairs are joined into the one character they stand for; a lone surrogate
// is left to be refused.
std::string joinSurrogatePairs(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
        if (i + 6 <= bytes.size() && at(i) == 0xED && (at(i + 1) & 0xF0) == 0xA0 && (at(i + 2) & 0xC0) == 0x80 &&
            at(i + 3) == 0xED && (at(i + 4) & 0xF0) == 0xB0 && (at(i + 5) & 0xC0) == 0x80) {
            const char32_t high = 0xD000 | (at(i + 1) & 0x3F) << 6 | (at(i + 2) & 0x3F);
            const char32_t low = 0xD000 | (at(i + 4) & 0x3F) << 6 | (at(i + 5) & 0x3F);
            const char32_t cp = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            i += 5;
        } else {
            out.push_back(bytes[i]);
        }
    }
    return out;
}

} // namespace

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;

bool XmlDocument::parse(std::string_view utf8, std::string* error) {
    try {
        document_.reset();
        if (utf8.substr(0, 3) == "\xEF\xBB\xBF") {
            // The mark survives conversion to UTF-16 as U+FEFF, which is not
            // markup; rapidxml would skip it in a byte document.
            if (error) *error = "expected <";
            return false;
        }
        text_.assign(isValidUtf8(utf8) ? utf8 : std::string_view());
        // The parser, building the tree and every pass over it recurse once
        // per level, and the main thread's stack is 1 MB.
        if (!nestingWithin(text_, kMaxDepth)) {
            if (error) *error = "elements nested too deeply";
            return false;
        }
        auto doc = std::make_unique<rapidxml::xml_document<char>>();
        doc->parse<0>(text_.data());
        document_ = std::move(doc);
        return true;
    } catch (const rapidxml::parse_error& e) {
        if (error) *error = e.what();
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
    }
    document_.reset();
    return false;
}

XmlNode* XmlDocument::firstNode() const { return document_ ? document_->first_node() : nullptr; }

std::u16string nameOf(const XmlNode& n) { return utf8ToUtf16({n.name(), n.name_size()}); }
std::u16string nameOf(const XmlAttribute& a) { return utf8ToUtf16({a.name(), a.name_size()}); }
std::u16string valueOf(const XmlAttribute& a) {
    const std::string_view value(a.value(), a.value_size());
    if (value.find('\xED') == std::string_view::npos) return utf8ToUtf16(value);
    return utf8ToUtf16(joinSurrogatePairs(value));
}

} // namespace nelvo
