#pragma once
// Markup loading: element names become controls through the ControlFactory,
// attributes become properties through the SetterRegistry.
//
// Nothing is resolved while loading (styles, fonts and images are looked up
// by name when drawn) and nothing is attached to a window: no Attached event
// is raised here. Failures are values: no exception leaves these functions.

#include "dui/Control.h"
#include "dui/XmlDocument.h"

#include <string>
#include <string_view>

namespace nelvo {

class ControlFactory;
class SetterRegistry;
class UiContext;

// Stores every attribute of `element` into `object`, in document order: a
// registered name through its setter; otherwise `visible`, `enabled` and
// `transparent` set the control's Visible, Enabled and HitTransparent bit
// when the value is exactly "1" and clear it for any other value; any other
// name is ignored. A later attribute of the same name wins.
void applyAttributes(const SetterRegistry& setters, Object& object, const XmlNode& element);

// The control for `element` with its attributes and its subtree; null for an
// unknown element name or a text node (the subtree is skipped with it). The
// children go where the element's registered ChildRule says (a tab item's
// first child becomes its page); without a rule a Panel adds them and any
// other control ignores them. May throw std::bad_alloc (loadLayout catches
// it).
ControlPtr buildControl(const ControlFactory& factory, const SetterRegistry& setters, const XmlNode& element);

// Parses the markup text and builds the tree from its first node. Null, with
// the reason in `error`, when the text does not parse (the parser's message,
// for example "expected <"), has no root element, or the root element is
// not a control.
ControlPtr loadMarkup(const UiContext& context, std::string_view utf8, std::string* error = nullptr);

// loadMarkup on the member of the layout package with that exact name; also
// null when the package has no such member.
ControlPtr loadLayout(const UiContext& context, std::u16string_view member, std::string* error = nullptr);
// The same with the running framework's context; null when none runs.
ControlPtr loadLayout(std::u16string_view member, std::string* error = nullptr);

} // namespace nelvo
