#include "dui/WindowAccessible.h"

#include "base/LibrarySearch.h"
#include "dui/AttributeNames.h"
#include "dui/Control.h"
#include "dui/LiveSet.h"
#include "dui/WindowImpl.h"

#include <new>
#include <vector>

namespace nelvo {
namespace {

// The functions of the accessibility and automation libraries in use here,
// loaded once from the system folder; null when one is missing.
struct Libraries {
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    HRESULT(WINAPI* objectFromWindow)(HWND, DWORD, REFIID, void**) = nullptr;
    BSTR(WINAPI* allocString)(const OLECHAR*, UINT) = nullptr;
};

template <typename F>
void bindFunction(HMODULE library, const char* name, F& out) {
    out = library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

const Libraries* libraries() {
    // Kept for the life of the process: clients may hold our objects.
    static const Libraries* loaded = []() -> const Libraries* {
        static Libraries l;
        const HMODULE oleacc = loadSystemLibrary(L"oleacc.dll");
        const HMODULE oleaut = loadSystemLibrary(L"oleaut32.dll");
        bindFunction(oleacc, "LresultFromObject", l.lresultFromObject);
        bindFunction(oleacc, "AccessibleObjectFromWindow", l.objectFromWindow);
        bindFunction(oleaut, "SysAllocStringLen", l.allocString);
        if (!l.lresultFromObject || !l.objectFromWindow || !l.allocString) return nullptr;
        return &l;
    }();
    return loaded;
}

void setI4(VARIANT* v, long value) {
    v->vt = VT_I4;
    v->lVal = value;
}

void setEmpty(VARIANT* v) { v->vt = VT_EMPTY; }

// The screen rectangle of a control, or of the client area for none, in
// device pixels as clients measure the screen.
bool screenRect(HWND hwnd, const Control* control, RECT& out) {
    Rect r;
    if (control) {
        if (!control->windowRect(r)) return false;
        const WindowImpl* window = WindowImpl::fromHandle(hwnd);
        r = (window ? window->dpiScale() : DpiScale{}).toDevice(r);
    } else {
        RECT client;
        if (!GetClientRect(hwnd, &client)) return false;
        r = {client.left, client.top, client.right, client.bottom};
    }
    POINT corner{r.left, r.top};
    if (!ClientToScreen(hwnd, &corner)) return false;
    out = {corner.x, corner.y, corner.x + r.width(), corner.y + r.height()};
    return true;
}

// Runs a method's body: nothing thrown leaves through COM.
template <typename F>
HRESULT guarded(F body) {
    try {
        return body();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

LRESULT WindowAccessible::answer(HWND hwnd, WPARAM wParam) {
    const Libraries* l = libraries();
    if (!l) return 0;
    // Handing the object to another process needs an apartment on this
    // thread; it stays for the life of the thread (calls that balance their
    // own initialisation find it and keep it).
    static thread_local bool inApartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)inApartment;
    auto* object = new (std::nothrow) WindowAccessible(hwnd);
    if (!object) return 0;
    const LRESULT result = l->lresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result;
}

// --- IUnknown and IDispatch ---------------------------------------------------

HRESULT WindowAccessible::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG WindowAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG WindowAccessible::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT WindowAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT WindowAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT WindowAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT WindowAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// --- Helpers ---------------------------------------------------------------

HRESULT WindowAccessible::resolve(const VARIANT& child, WindowImpl*& window, Control*& control) const {
    window = WindowImpl::fromHandle(hwnd_);
    control = nullptr;
    if (!window) return E_FAIL;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_OK;
    const std::vector<Control*> children = window->accessibleChildren();
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > children.size()) return E_INVALIDARG;
    control = children[static_cast<size_t>(child.lVal - 1)];
    return S_OK;
}

HRESULT WindowAccessible::text(const std::u16string& value, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (value.empty()) return S_FALSE;
    const Libraries* l = libraries();
    if (!l) return E_FAIL;
    *out = l->allocString(reinterpret_cast<const OLECHAR*>(value.data()), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// --- IAccessible -------------------------------------------------------------

HRESULT WindowAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    const Libraries* l = libraries();
    if (!l || !WindowImpl::fromHandle(hwnd_)) return E_FAIL;
    return l->objectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                               reinterpret_cast<void**>(parent));
}

HRESULT WindowAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    return guarded([&] {
        WindowImpl* window = WindowImpl::fromHandle(hwnd_);
        if (!window) return E_FAIL;
        *count = static_cast<long>(window->accessibleChildren().size());
        return S_OK;
    });
}

HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        // The children are simple elements: the client asks this object.
        return control ? S_FALSE : E_INVALIDARG;
    });
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        if (control) return text(control->accessibleName(), name);
        wchar_t title[256] = {};
        GetWindowTextW(hwnd_, title, 256);
        return text(std::u16string(reinterpret_cast<const char16_t*>(title)), name);
    });
}

HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        return control ? text(control->accessibleValue(), value) : S_FALSE;
    });
}

HRESULT WindowAccessible::get_accDescription(VARIANT, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    return S_FALSE;
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    setEmpty(role);
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        setI4(role, control ? static_cast<long>(control->clientRole()) : ROLE_SYSTEM_CLIENT);
        return S_OK;
    });
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    setEmpty(state);
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        const bool hasFocus = GetFocus() == hwnd_;
        uint32_t bits = 0;
        if (!control) {
            bits = access::State::Focusable | (hasFocus && !window->focusControl() ? access::State::Focused : 0);
        } else {
            bits = control->clientState();
            if (!control->enabled()) bits |= access::State::Unavailable;
            if (control->focusable() && control->enabled()) bits |= access::State::Focusable;
            if (hasFocus && window->focusControl() == control) bits |= access::State::Focused;
            if (control->intOr(attr::isDefault, 0) != 0) bits |= access::State::Default;
        }
        setI4(state, static_cast<long>(bits));
        return S_OK;
    });
}

HRESULT WindowAccessible::get_accHelp(VARIANT, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    return S_FALSE;
}

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    return S_FALSE;
}

HRESULT WindowAccessible::get_accFocus(VARIANT* focus) {
    if (!focus) return E_POINTER;
    setEmpty(focus);
    return guarded([&] {
        WindowImpl* window = WindowImpl::fromHandle(hwnd_);
        if (!window) return E_FAIL;
        if (GetFocus() != hwnd_) return S_FALSE;
        setI4(focus, window->accessibleId(window->focusControl()));
        return S_OK;
    });
}

HRESULT WindowAccessible::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    setEmpty(selection);
    return S_FALSE;
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        return control ? text(control->clientActionName(), action) : S_FALSE;
    });
}

HRESULT WindowAccessible::accSelect(long flags, VARIANT child) {
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        if (flags != SELFLAG_TAKEFOCUS || !control || !control->focusable() || !control->enabled())
            return DISP_E_MEMBERNOTFOUND;
        window->setFocus(control);
        return S_OK;
    });
}

HRESULT WindowAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        RECT r;
        if (!screenRect(hwnd_, control, r)) return E_FAIL;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    });
}

HRESULT WindowAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    setEmpty(end);
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(start, window, control);
        if (FAILED(hr)) return hr;
        const long count = static_cast<long>(window->accessibleChildren().size());
        long to = 0;
        if (!control) {
            if (direction == NAVDIR_FIRSTCHILD) to = count > 0 ? 1 : 0;
            if (direction == NAVDIR_LASTCHILD) to = count;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
            to = start.lVal < count ? start.lVal + 1 : 0;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
            to = start.lVal - 1;
        }
        if (to <= 0) return S_FALSE;
        setI4(end, to);
        return S_OK;
    });
}

HRESULT WindowAccessible::accHitTest(long left, long top, VARIANT* child) {
    if (!child) return E_POINTER;
    setEmpty(child);
    return guarded([&] {
        WindowImpl* window = WindowImpl::fromHandle(hwnd_);
        if (!window) return E_FAIL;
        RECT client;
        if (!screenRect(hwnd_, nullptr, client)) return E_FAIL;
        const POINT p{left, top};
        if (!PtInRect(&client, p)) return S_FALSE;
        // The last drawn is on top.
        const std::vector<Control*> children = window->accessibleChildren();
        for (size_t i = children.size(); i-- > 0;) {
            RECT r;
            if (screenRect(hwnd_, children[i], r) && PtInRect(&r, p)) {
                setI4(child, static_cast<long>(i + 1));
                return S_OK;
            }
        }
        setI4(child, CHILDID_SELF);
        return S_OK;
    });
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child) {
    return guarded([&] {
        WindowImpl* window;
        Control* control;
        const HRESULT hr = resolve(child, window, control);
        if (FAILED(hr)) return hr;
        if (!control || !control->enabled() || !control->clientAction()) return DISP_E_MEMBERNOTFOUND;
        return S_OK;
    });
}

HRESULT WindowAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT WindowAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

// --- The window's side -----------------------------------------------------

LRESULT WindowImpl::onGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) == OBJID_CLIENT)
        if (const LRESULT answer = WindowAccessible::answer(hwnd_, wParam)) return answer;
    return DefWindowProcW(hwnd_, WM_GETOBJECT, wParam, lParam);
}

} // namespace nelvo
