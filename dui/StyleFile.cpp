#include "dui/StyleFile.h"

#include "dui/ControlFactory.h"
#include "dui/Markup.h"
#include "dui/XmlDocument.h"

#include <string>

namespace nelvo {

std::unique_ptr<Style> readStyleFile(const ControlFactory& factory, const SetterRegistry& setters,
                                     std::string_view utf8) {
    XmlDocument document;
    if (!document.parse(utf8)) return nullptr;
    const XmlNode* config = firstElement(document.firstNode());
    std::u16string type;
    if (config)
        if (const XmlAttribute* a = config->first_attribute()) type = valueOf(*a);
    std::unique_ptr<Style> style(factory.createStyle(type));
    if (!style) style.reset(new Style);
    if (const XmlNode* prop = firstElement(config)) applyAttributes(setters, *style, *prop);
    return style;
}

} // namespace nelvo
