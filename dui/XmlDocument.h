#pragma once
// One parsed markup text: window layouts, style files and the font file all
// go through here. The text must be valid UTF-8 as a whole (invalid text
// counts as the empty text) and is parsed in place by rapidxml with the
// default flags. The parser's exception stops here: parse() reports it as a
// value.
//
// The parser works on the UTF-8 bytes rather than on UTF-16 units: it
// classifies a wide character by its low byte alone, so a character such as
// U+4E22 would end a quoted value as if it were '"'. Bytes of multi-byte
// UTF-8 sequences are never taken for markup. Names and values come out as
// UTF-16. A leading byte-order mark is refused ("expected <"), as a UTF-16
// parse of the converted text would refuse it.

#include <rapidxml/rapidxml.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

using XmlNode = rapidxml::xml_node<char>;
using XmlAttribute = rapidxml::xml_attribute<char>;

class XmlDocument {
public:
    // Markup whose elements nest deeper than this is refused ("elements
    // nested too deeply") before it is parsed.
    static constexpr int kMaxDepth = 128;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // False when the parser rejects the text or it nests too deeply;
    // `error` (optional) receives the parser's message, such as "expected
    // <". Nodes from an earlier
    // parse are gone either way.
    bool parse(std::string_view utf8, std::string* error = nullptr);

    // The document's first node, or null.
    XmlNode* firstNode() const;

private:
    std::string text_;  // the parser keeps pointers into it
    std::unique_ptr<rapidxml::xml_document<char>> document_;
};

// Names and values as UTF-16 (the document was checked to be valid UTF-8).
// A surrogate pair written as two character references gives one character.
std::u16string nameOf(const XmlNode& n);
std::u16string nameOf(const XmlAttribute& a);
std::u16string valueOf(const XmlAttribute& a);

// The first child of `parent` that is an element (comments and text are
// skipped), or null; null when `parent` is null.
inline const XmlNode* firstElement(const XmlNode* parent) {
    for (const XmlNode* n = parent ? parent->first_node() : nullptr; n; n = n->next_sibling())
        if (n->type() == rapidxml::node_element) return n;
    return nullptr;
}

} // namespace nelvo
