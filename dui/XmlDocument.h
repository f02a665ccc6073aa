#pragma once
// One parsed markup text: window layouts, style files and the font file all
// go through here. The UTF-8 text is converted strictly to UTF-16 (invalid
// text becomes the empty text) and parsed in place by rapidxml as a
// 16-bit-character document with the default flags. The parser's exception
// stops here: parse() reports it as a value.

#include <rapidxml/rapidxml.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

using XmlNode = rapidxml::xml_node<char16_t>;
using XmlAttribute = rapidxml::xml_attribute<char16_t>;

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // False when the parser rejects the text; `error` (optional) receives
    // the parser's message, such as "expected <". Nodes from an earlier
    // parse are gone either way.
    bool parse(std::string_view utf8, std::string* error = nullptr);

    // The document's first node, or null.
    XmlNode* firstNode() const;

private:
    std::u16string text_;  // the parser keeps pointers into it
    std::unique_ptr<rapidxml::xml_document<char16_t>> document_;
};

// The name and value of nodes and attributes as views.
inline std::u16string_view nameOf(const XmlNode& n) { return {n.name(), n.name_size()}; }
inline std::u16string_view nameOf(const XmlAttribute& a) { return {a.name(), a.name_size()}; }
inline std::u16string_view valueOf(const XmlAttribute& a) { return {a.value(), a.value_size()}; }

} // namespace nelvo
