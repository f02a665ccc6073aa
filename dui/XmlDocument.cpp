#include "dui/XmlDocument.h"

#include "host/TextConvert.h"

#include <new>

namespace nelvo {

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;

bool XmlDocument::parse(std::string_view utf8, std::string* error) {
    try {
        document_.reset();
        text_ = utf8ToUtf16(utf8);
        auto doc = std::make_unique<rapidxml::xml_document<char16_t>>();
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

} // namespace nelvo
