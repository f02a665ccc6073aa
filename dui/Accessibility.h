#pragma once
// What the framework tells an accessibility client about a control, in the
// numbers the system's accessibility interface uses, so that the window can
// hand them on unchanged. Plain data, free of any operating system.

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
inline constexpr uint32_t Unavailable = 0x1;
inline constexpr uint32_t Selected = 0x2;
inline constexpr uint32_t Focused = 0x4;
inline constexpr uint32_t Pressed = 0x8;
inline constexpr uint32_t Checked = 0x10;
inline constexpr uint32_t ReadOnly = 0x40;
inline constexpr uint32_t Default = 0x100;
inline constexpr uint32_t Invisible = 0x8000;
inline constexpr uint32_t Offscreen = 0x10000;
inline constexpr uint32_t Focusable = 0x100000;
inline constexpr uint32_t Selectable = 0x200000;
inline constexpr uint32_t Linked = 0x400000;
} // namespace State

// What changed about a control, for the window to tell listening clients.
enum class Change : int32_t {
    Name,
    Value,
    State,
};

} // namespace nelvo::access
