// The site is a native object of the system's browser: there is nothing of
// it in the native build.
#ifdef _WIN32
#include "dui/controls/WebBrowserSite.h"

#include "dui/ControlWindow.h"
#include "dui/controls/WebBrowser.h"

#include <exdispid.h>

namespace nelvo {

namespace {

RECT toRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The argument at `position` (0 = the first the event declares) of a
// dispatch call, which lists its arguments last to first; null when the
// call has fewer.
VARIANT* argument(DISPPARAMS* parameters, UINT position) {
    if (!parameters || !parameters->rgvarg || position >= parameters->cArgs) return nullptr;
    return &parameters->rgvarg[parameters->cArgs - 1 - position];
}

// The variant an argument passed by reference to a VARIANT stands for.
VARIANT* dereference(VARIANT* v) {
    if (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(v);
    return v;
}

} // namespace

// --- IUnknown ----------------------------------------------------------------

STDMETHODIMP WebBrowserSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleWindow)
        *out = static_cast<IOleWindow*>(static_cast<IOleInPlaceFrame*>(this));
    else if (iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == DIID_DWebBrowserEvents2 || iid == IID_IDispatch)
        *out = static_cast<DWebBrowserEvents2*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) WebBrowserSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) WebBrowserSite::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// --- IOleClientSite ----------------------------------------------------------

STDMETHODIMP WebBrowserSite::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP WebBrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP WebBrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ----------------------------------------------------------------

STDMETHODIMP WebBrowserSite::GetWindow(HWND* window) {
    if (!window) return E_INVALIDARG;
    *window = nullptr;
    if (!owner_) return E_UNEXPECTED;
    *window = owner_->hostWindow_;
    return S_OK;
}
STDMETHODIMP WebBrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite -----------------------------------------------------------

STDMETHODIMP WebBrowserSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP WebBrowserSite::OnInPlaceActivate() {
    if (!owner_) return E_UNEXPECTED;
    owner_->inPlaceActive_ = true;
    return S_OK;
}
STDMETHODIMP WebBrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP WebBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                          LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frameInfo || !document || !position) return E_INVALIDARG;
    *document = nullptr;
    if (frame) *frame = nullptr;
    if (!owner_) return E_UNEXPECTED;
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = owner_->hostWindow_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    Rect r;
    owner_->windowRect(r);
    if (ControlWindow* w = owner_->window()) r = w->dpiScale().toDevice(r);
    *position = toRECT(r);
    if (clip) *clip = toRECT(r);
    return S_OK;
}

STDMETHODIMP WebBrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::OnInPlaceDeactivate() {
    if (owner_) owner_->inPlaceActive_ = false;
    return S_OK;
}
STDMETHODIMP WebBrowserSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// --- IOleInPlaceFrame ----------------------------------------------------------

STDMETHODIMP WebBrowserSite::GetBorder(LPRECT) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }

// Without its control the site keeps nothing: no one would let it go.
STDMETHODIMP WebBrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (!owner_) return E_UNEXPECTED;
    owner_->setActiveObject(object);
    return S_OK;
}

STDMETHODIMP WebBrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }

// --- IDocHostUIHandler -----------------------------------------------------------

// S_OK tells the browser the host has shown the menu: it shows none.
STDMETHODIMP WebBrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

STDMETHODIMP WebBrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_INVALIDARG;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP WebBrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                IOleInPlaceUIWindow*) {
    return S_OK;
}
STDMETHODIMP WebBrowserSite::HideUI() { return S_OK; }
STDMETHODIMP WebBrowserSite::UpdateUI() { return S_OK; }
STDMETHODIMP WebBrowserSite::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP WebBrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }
STDMETHODIMP WebBrowserSite::GetOptionKeyPath(LPOLESTR*, DWORD) { return S_FALSE; }
// S_FALSE: the browser keeps its own drop target.
STDMETHODIMP WebBrowserSite::GetDropTarget(IDropTarget*, IDropTarget**) { return S_FALSE; }
STDMETHODIMP WebBrowserSite::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated) *translated = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) {
    if (filtered) *filtered = nullptr;
    return S_FALSE;
}

// --- DWebBrowserEvents2 ------------------------------------------------------------

STDMETHODIMP WebBrowserSite::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP WebBrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP WebBrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*) {
    if (owner_) owner_->subclassInnerWindow();
    const HWND hostWindow = owner_ ? owner_->hostWindow_ : nullptr;
    switch (id) {
    case DISPID_BEFORENAVIGATE2: {
        // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
        // A call without a URL (never from a browser) passes an empty one, so
        // the window can always read the text.
        const VARIANT* url = dereference(argument(parameters, 1));
        const wchar_t* text = url && V_VT(url) == VT_BSTR && V_BSTR(url) ? V_BSTR(url) : L"";
        if (hostWindow) SendMessageW(hostWindow, WebBrowser::kBeforeNavigateMessage, reinterpret_cast<WPARAM>(text), 0);
        return S_OK;
    }
    case DISPID_NAVIGATECOMPLETE2:
        if (hostWindow) PostMessageW(hostWindow, WebBrowser::kNavigateCompleteMessage, 0, 0);
        return S_OK;
    case DISPID_FILEDOWNLOAD: {
        // Cancel is the last argument: (ActiveDocument, Cancel), or (Cancel)
        // from older browsers.
        VARIANT* cancel = parameters && parameters->cArgs ? dereference(&parameters->rgvarg[0]) : nullptr;
        if (cancel && V_VT(cancel) == (VT_BYREF | VT_BOOL) && V_BOOLREF(cancel))
            *V_BOOLREF(cancel) = VARIANT_TRUE;
        else if (cancel && V_VT(cancel) == VT_BOOL)
            V_BOOL(cancel) = VARIANT_TRUE;
        return S_OK;
    }
    default:
        return E_NOTIMPL;
    }
}

} // namespace nelvo

#endif
