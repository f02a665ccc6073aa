#pragma once
// The concrete controls and styles that ship with the framework, registered
// with a factory under their markup element names and style types. A
// program calls one of these once the framework runs; tests call them, or
// register only the controls they use.

namespace nelvo {

class ControlFactory;

// Registers every shipped control (with the child rules of the tab item,
// whose first child element is its page, and of the list box, whose child
// elements are its items) and every style type beyond the core's. For
// programs that load markup and skins of any author (luarun, the gallery)
// and for the tests.
void registerShippedControls(ControlFactory& factory);

// Registers only the controls and style types that setup.exe's own window
// markup and skin use (resources/mainframe.xml, resources/skin), as
// registerShippedControls registers them. setup.exe loads no other markup,
// and whatever is not registered stays out of the program. A control or
// style type that the markup or skin starts to use is added here too (the
// wizard layout tests build the markup with this list).
void registerSetupControls(ControlFactory& factory);

} // namespace nelvo
