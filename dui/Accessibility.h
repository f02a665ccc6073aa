#pragma once
// What the framework tells an accessibility client about a control, in the
// numbers the system's accessibility interface uses, so that the window can
// hand them on unchanged; and the keys a control may keep for itself
// instead of the window's own use of them. Plain data, free of any
// operating system.

#include <cstdint>

namespace nelvo::access {

// The roles a control can take; None keeps it out of the accessible tree.
enum class Role : int32_t {
    None = 0,
    ScrollBar = 0x03,
    Client = 0x0A,
    Pane = 0x10,
    Link = 0x1E,
    List = 0x21,
    ListItem = 0x22,
    PageTab = 0x25,
    Graphic = 0x28,
    StaticText = 0x29,
    Text = 0x2A,
    PushButton = 0x2B,
    CheckButton = 0x2C,
    RadioButton = 0x2D,
    ComboBox = 0x2E,
    ProgressBar = 0x30,
    Slider = 0x33,
    PageTabList = 0x3C,
};

// State bits. A control reports the ones that are its own (checked,
// selected, read-only, default); the window adds focus, focusability,
// availability and visibility.
namespace State {
enum : uint32_t {
    Unavailable = 0x1,
    Selected = 0x2,
    Focused = 0x4,
    Pressed = 0x8,
    Checked = 0x10,
    ReadOnly = 0x40,
    Default = 0x100,
    Invisible = 0x8000,
    Offscreen = 0x10000,
    Focusable = 0x100000,
    Selectable = 0x200000,
    Linked = 0x400000,
};
}

// Keys a focused control handles itself, so that the window does not use
// them to move the focus or press a button.
namespace WantedKey {
enum : uint32_t {
    Tab = 0x1,
    Enter = 0x2,
    Escape = 0x4,
};
}

// What changed about a control, for the window to tell listening clients.
enum class Change : int32_t {
    Name,
    Value,
    State,
};

} // namespace nelvo::access
