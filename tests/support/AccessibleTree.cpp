#include "tests/support/AccessibleTree.h"

#include "base/TextConvert.h"

#include <oleacc.h>

#include <cstdio>

namespace nelvo::test {
namespace {

struct Releaser {
    IUnknown* p;
    ~Releaser() {
        if (p) p->Release();
    }
};

std::wstring take(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

IAccessible* clientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

AccessibleNode readNode(IAccessible& object, long id) {
    AccessibleNode node;
    node.id = id;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = id;
    BSTR text = nullptr;
    if (object.get_accName(self, &text) == S_OK) node.name = take(text);
    text = nullptr;
    if (object.get_accValue(self, &text) == S_OK) node.value = take(text);
    text = nullptr;
    if (object.get_accDefaultAction(self, &text) == S_OK) node.action = take(text);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object.get_accRole(self, &v)) && v.vt == VT_I4) node.role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(object.get_accState(self, &v)) && v.vt == VT_I4) node.state = v.lVal;
    VariantClear(&v);
    long x = 0, y = 0, w = 0, h = 0;
    if (SUCCEEDED(object.accLocation(&x, &y, &w, &h, self))) node.location = {x, y, x + w, y + h};
    return node;
}

} // namespace

const AccessibleNode* AccessibleTree::named(const std::wstring& name) const {
    for (const AccessibleNode& n : children)
        if (n.name == name) return &n;
    return nullptr;
}

std::string AccessibleTree::describe() const {
    std::string out;
    for (const AccessibleNode& n : children) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%ld role %lx state %lx: ", n.id, n.role, n.state);
        out += numbers + wideToUtf8(n.name.substr(0, 40)) + "\n";
    }
    return out;
}

std::optional<AccessibleTree> readAccessibleTree(HWND window) {
    IAccessible* object = clientObject(window);
    if (!object) return std::nullopt;
    Releaser hold{object};
    AccessibleTree tree;
    tree.client = readNode(*object, CHILDID_SELF);
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)) || count < 0) return std::nullopt;
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long got = 0;
    if (count > 0 && FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) return std::nullopt;
    for (long i = 0; i < got; ++i) {
        VARIANT& c = children[static_cast<size_t>(i)];
        if (c.vt == VT_I4) tree.children.push_back(readNode(*object, c.lVal));
        VariantClear(&c);
    }
    VARIANT focus;
    VariantInit(&focus);
    if (object->get_accFocus(&focus) == S_OK && focus.vt == VT_I4) tree.focus = focus.lVal;
    VariantClear(&focus);
    return tree;
}

bool doDefaultAction(HWND window, long id) {
    IAccessible* object = clientObject(window);
    if (!object) return false;
    Releaser hold{object};
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return object->accDoDefaultAction(child) == S_OK;
}

} // namespace nelvo::test
