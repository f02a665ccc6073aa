#pragma once
// The concrete controls and styles that ship with the framework, registered
// with a factory under their markup element names and style types. The
// program calls this once the framework runs; tests call it, or register
// only the controls they use.

namespace nelvo {

class ControlFactory;

// Registers every shipped control (with the child rules of the tab item,
// whose first child element is its page, and of the list box, whose child
// elements are its items) and every style type beyond the core's.
void registerShippedControls(ControlFactory& factory);

} // namespace nelvo
