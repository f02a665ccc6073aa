#include "dui/XmlDocument.h"

#include "host/TextConvert.h"

#include <new>

namespace nelvo {

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
std::u16string valueOf(const XmlAttribute& a) { return utf8ToUtf16({a.value(), a.value_size()}); }

} // namespace nelvo
