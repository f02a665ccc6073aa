#include "dui/FocusOrder.h"

#include <algorithm>

namespace nelvo {
namespace {

void collect(Control& c, std::vector<Control*>& out) {
    out.push_back(&c);
    std::vector<Control*> children;
    c.shownChildren(children);
    for (Control* child : children) collect(*child, out);
}

} // namespace

std::vector<Control*> shownControls(Control& root) {
    std::vector<Control*> out;
    if (root.visible()) collect(root, out);
    return out;
}

bool isShown(Control& root, const Control& control) {
    const std::vector<Control*> shown = shownControls(root);
    return std::find(shown.begin(), shown.end(), &control) != shown.end();
}

std::vector<Control*> tabOrder(Control& root) {
    std::vector<Control*> order;
    for (Control* c : shownControls(root))
        if (c->enabled() && c->focusable() && c->intOr(attr::tabIndex, 0) >= 0) order.push_back(c);
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->intOr(attr::tabIndex, 0) < b->intOr(attr::tabIndex, 0);
    });
    return order;
}

Control* nextInTabOrder(Control& root, const Control* from, bool forward) {
    const std::vector<Control*> order = tabOrder(root);
    if (order.empty()) return nullptr;
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return forward ? order.front() : order.back();
    const size_t i = static_cast<size_t>(at - order.begin());
    const size_t n = order.size();
    return order[forward ? (i + 1) % n : (i + n - 1) % n];
}

Control* markedControl(Control& root, PropertyKey key) {
    for (Control* c : shownControls(root))
        if (c->enabled() && c->intOr(key, 0) != 0) return c;
    return nullptr;
}

} // namespace nelvo
