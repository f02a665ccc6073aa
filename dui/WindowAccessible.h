#pragma once
// WindowAccessible: the accessible object a WindowImpl hands out for its
// client area (WM_GETOBJECT, OBJID_CLIENT). Its children are simple
// elements, one for each control the window lists as accessible
// (WindowImpl::accessibleChildren), with the control's role, name, value,
// state, location and default action. It names its window by handle and
// looks the window up on every call, so a client that keeps it after the
// window has gone gets an error, never a dangling object.
//
// The accessibility and automation libraries are loaded from the system
// folder on the first request, not at start. Windows build only; its
// methods run on the window's thread (the client's calls come through COM).

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace nelvo {

class Control;
class WindowImpl;

class WindowAccessible final : public IAccessible {
public:
    // The answer to WM_GETOBJECT for `hwnd`'s client area; 0 when the
    // libraries or the object cannot be had (the system then answers).
    static LRESULT answer(HWND hwnd, WPARAM wParam);

    explicit WindowAccessible(HWND hwnd) : hwnd_(hwnd) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: not offered; clients use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~WindowAccessible() = default;

    // The window and the control a child id names (null for the window
    // itself). An error when the window has gone or the id names nothing.
    HRESULT resolve(const VARIANT& child, WindowImpl*& window, Control*& control) const;
    // A text for the client: S_FALSE and null when it is empty.
    static HRESULT text(const std::u16string& value, BSTR* out);

    HWND hwnd_;
    LONG references_ = 1;
};

} // namespace nelvo
