#pragma once
// A window's accessible tree read as a screen reader reads it: through the
// system's accessibility library (AccessibleObjectFromWindow on the client
// area, then AccessibleChildren), from this process, whichever process owns
// the window. The calling thread must be in a COM apartment.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace nelvo::test {

struct AccessibleNode {
    long id = 0;  // the child id; 0 for the client object itself
    long role = 0;
    long state = 0;
    std::wstring name;
    std::wstring value;
    std::wstring action;  // the default action's name
    RECT location{0, 0, 0, 0};  // on the screen
};

struct AccessibleTree {
    AccessibleNode client;
    std::vector<AccessibleNode> children;
    long focus = -1;  // the focused child's id, 0 for the client, -1 for none

    // The first child with that name, or null.
    const AccessibleNode* named(const std::wstring& name) const;
    // Names of the children, one per line, with role and state in hex, for
    // failure messages.
    std::string describe() const;
};

// Reads the tree; nothing when the window gives no accessible object.
std::optional<AccessibleTree> readAccessibleTree(HWND window);
// Runs a child's default action; false when the object refuses it.
bool doDefaultAction(HWND window, long id);

} // namespace nelvo::test
