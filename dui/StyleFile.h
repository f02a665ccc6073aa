#pragma once
// A style file of the skin package:
//   <Style><Config type="..."><Prop attribute="value" .../></Config></Style>
// The first child element of the root is the configuration; the value of
// its first attribute names the style type, whatever the attribute is
// called. The first child element of the configuration holds the
// properties. Anything else in the file is ignored.

#include "dui/Style.h"

#include <memory>
#include <string_view>

namespace nelvo {

class ControlFactory;
class SetterRegistry;

// A new style of the named type (a plain Style for an unknown type, a
// missing configuration or a missing type) with the property attributes
// applied through `setters`. Null when the text does not parse. May throw
// std::bad_alloc.
std::unique_ptr<Style> readStyleFile(const ControlFactory& factory, const SetterRegistry& setters,
                                     std::string_view utf8);

} // namespace nelvo
