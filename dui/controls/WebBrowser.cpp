#include "dui/controls/WebBrowser.h"

#ifdef _WIN32
#include "dui/ControlWindow.h"
#include "dui/MemberHandler.h"
#include "dui/controls/ActiveObjectSet.h"
#include "dui/controls/BrowserWindowSubclass.h"

#include <exdispid.h>

namespace nelvo {

namespace {

CLSID g_browserClass = CLSID_WebBrowser;

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

void WebBrowser::setBrowserClass(const CLSID& clsid) { g_browserClass = clsid; }
const CLSID& WebBrowser::browserClass() { return g_browserClass; }

WebBrowser::WebBrowser() { listen<&WebBrowser::onAttached>(*this, EventCode::Attached); }

WebBrowser::~WebBrowser() { tearDown(); }

// --- Attaching -------------------------------------------------------------

void WebBrowser::onAttached(Event&) {
    hostWindow_ = window() ? window()->nativeHandle() : nullptr;
    // Without a native window there is nothing to hold the browser.
    if (!browser_ && hostWindow_) attachBrowser();
}

void WebBrowser::attachBrowser() {
    if (FAILED(createBrowser()) || FAILED(connectEvents())) {
        tearDown();
        return;
    }
    setAttachStep(AttachStep::Attached, S_OK);
}

HRESULT WebBrowser::createBrowser() {
    ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(g_browserClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IUnknown,
                                  unknown.putVoid());
    setAttachStep(AttachStep::CreateInstance, hr);
    if (FAILED(hr)) return hr;

    ComPtr<IOleObject> object;
    hr = unknown.query(IID_IOleObject, object);
    setAttachStep(AttachStep::OleObject, hr);
    if (FAILED(hr)) return hr;

    DWORD status = 0;
    hr = object->GetMiscStatus(DVASPECT_CONTENT, &status);
    setAttachStep(AttachStep::MiscStatus, hr);
    if (FAILED(hr)) return hr;
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        hr = object->SetClientSite(static_cast<IOleClientSite*>(this));
        setAttachStep(AttachStep::SetClientSite, hr);
        if (FAILED(hr)) return hr;
    }
    oleObject_ = std::move(object);

    RECT client{};
    GetClientRect(hostWindow_, &client);
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, hostWindow_,
                            &client);
    setAttachStep(AttachStep::DoVerb, hr);
    if (FAILED(hr)) return hr;

    hr = unknown.query(IID_IWebBrowser2, browser_);
    setAttachStep(AttachStep::WebBrowser2, hr);
    if (FAILED(hr)) return hr;

    ComPtr<IOleWindow> oleWindow;
    HWND window = nullptr;
    hr = browser_.query(IID_IOleWindow, oleWindow);
    if (SUCCEEDED(hr)) hr = oleWindow->GetWindow(&window);
    setAttachStep(AttachStep::OleWindow, hr);
    if (SUCCEEDED(hr)) browserWindow_ = window;
    return hr;
}

HRESULT WebBrowser::connectEvents() {
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = browser_.query(IID_IConnectionPointContainer, container);
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, connectionPoint_.put());
    setAttachStep(AttachStep::ConnectionPoint, hr);
    if (FAILED(hr)) {
        connectionPoint_.reset();
        return hr;
    }
    ComPtr<IUnknown> sink;
    hr = QueryInterface(DIID_DWebBrowserEvents2, sink.putVoid());
    if (SUCCEEDED(hr)) hr = connectionPoint_->Advise(sink.get(), &adviseCookie_);
    setAttachStep(AttachStep::Advise, hr);
    if (FAILED(hr)) adviseCookie_ = 0;
    return hr;
}

void WebBrowser::dropActiveObject() {
    if (!activeObject_) return;
    ActiveObjectSet::remove(activeObject_.get());
    activeObject_.reset();
}

void WebBrowser::tearDown() {
    dropActiveObject();
    // The browser is told to let go of the site and its events before its
    // pointers are dropped, so nothing calls into this control once it is
    // gone even if the browser object outlives it.
    if (connectionPoint_ && adviseCookie_) connectionPoint_->Unadvise(adviseCookie_);
    adviseCookie_ = 0;
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        oleObject_.reset();
    }
    if (browser_) {
        browser_->Quit();
        browser_.reset();
    }
    connectionPoint_.reset();
    // Usually gone with the browser object already.
    if (browserWindow_ && IsWindow(browserWindow_)) DestroyWindow(browserWindow_);
    // Closing may have handed over another active object.
    dropActiveObject();
    browserWindow_ = nullptr;
    subclassed_ = false;
    inPlaceActive_ = false;
    placed_ = {};
}

void WebBrowser::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    // A window attaches its tree before it has a size, so the browser comes
    // up empty-sized; it is moved over the control once the control is
    // painted where layout put it, and again whenever that place changes.
    if (inPlaceActive_ && oleObject_ && bounds != placed_) placeBrowser(bounds);
    Control::paint(dc, bounds, clip);
}

void WebBrowser::placeBrowser(const Rect& rect) {
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(oleObject_.query(IID_IOleInPlaceObject, inPlace))) return;
    const RECT r = toRECT(rect);
    if (SUCCEEDED(inPlace->SetObjectRects(&r, &r))) placed_ = rect;
}

void WebBrowser::subclassInnerWindow() {
    if (!browserWindow_) return;
    // The page's window: the first child of the browser's first child. It
    // is looked for at every event, not only the first: there is none before
    // a page is shown, and a new page may bring a new one.
    HWND view = ::GetWindow(browserWindow_, GW_CHILD);
    HWND inner = view ? ::GetWindow(view, GW_CHILD) : nullptr;
    subclassed_ = inner && BrowserWindowSubclass::install(inner);
}

// --- IUnknown ----------------------------------------------------------------

STDMETHODIMP WebBrowser::QueryInterface(REFIID iid, void** out) {
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

STDMETHODIMP_(ULONG) WebBrowser::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

// The count only counts: the control tree owns the control.
STDMETHODIMP_(ULONG) WebBrowser::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

// --- IOleClientSite ----------------------------------------------------------

STDMETHODIMP WebBrowser::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP WebBrowser::ShowObject() { return S_OK; }
STDMETHODIMP WebBrowser::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ----------------------------------------------------------------

STDMETHODIMP WebBrowser::GetWindow(HWND* window) {
    if (!window) return E_INVALIDARG;
    *window = hostWindow_;
    return S_OK;
}
STDMETHODIMP WebBrowser::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite -----------------------------------------------------------

STDMETHODIMP WebBrowser::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP WebBrowser::OnInPlaceActivate() {
    inPlaceActive_ = true;
    return S_OK;
}
STDMETHODIMP WebBrowser::OnUIActivate() { return S_OK; }

STDMETHODIMP WebBrowser::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                          LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frameInfo || !document || !position) return E_INVALIDARG;
    *document = nullptr;
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = hostWindow_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    Rect r;
    windowRect(r);
    *position = toRECT(r);
    if (clip) *clip = toRECT(r);
    return S_OK;
}

STDMETHODIMP WebBrowser::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::OnInPlaceDeactivate() {
    inPlaceActive_ = false;
    return S_OK;
}
STDMETHODIMP WebBrowser::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// --- IOleInPlaceFrame ----------------------------------------------------------

STDMETHODIMP WebBrowser::GetBorder(LPRECT) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::RequestBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }

STDMETHODIMP WebBrowser::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    ComPtr<IOleInPlaceActiveObject> old = std::move(activeObject_);
    activeObject_ = ComPtr<IOleInPlaceActiveObject>::share(object);
    // The new one is listed before the old one is taken out, so an object
    // handed in again stays listed.
    ActiveObjectSet::insert(object);
    if (old) ActiveObjectSet::remove(old.get());
    return S_OK;
}

STDMETHODIMP WebBrowser::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }

// --- IDocHostUIHandler -----------------------------------------------------------

// S_OK tells the browser the host has shown the menu: it shows none.
STDMETHODIMP WebBrowser::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

STDMETHODIMP WebBrowser::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_INVALIDARG;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP WebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                IOleInPlaceUIWindow*) {
    return S_OK;
}
STDMETHODIMP WebBrowser::HideUI() { return S_OK; }
STDMETHODIMP WebBrowser::UpdateUI() { return S_OK; }
STDMETHODIMP WebBrowser::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }
STDMETHODIMP WebBrowser::GetOptionKeyPath(LPOLESTR*, DWORD) { return S_FALSE; }
// S_FALSE: the browser keeps its own drop target.
STDMETHODIMP WebBrowser::GetDropTarget(IDropTarget*, IDropTarget**) { return S_FALSE; }
STDMETHODIMP WebBrowser::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated) *translated = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::FilterDataObject(IDataObject*, IDataObject** filtered) {
    if (filtered) *filtered = nullptr;
    return S_FALSE;
}

// --- DWebBrowserEvents2 ------------------------------------------------------------

STDMETHODIMP WebBrowser::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP WebBrowser::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*) {
    subclassInnerWindow();
    switch (id) {
    case DISPID_BEFORENAVIGATE2: {
        // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
        // A call without a URL (never from a browser) passes an empty one, so
        // the window can always read the text.
        const VARIANT* url = dereference(argument(parameters, 1));
        const wchar_t* text = url && V_VT(url) == VT_BSTR && V_BSTR(url) ? V_BSTR(url) : L"";
        if (hostWindow_) SendMessageW(hostWindow_, kBeforeNavigateMessage, reinterpret_cast<WPARAM>(text), 0);
        return S_OK;
    }
    case DISPID_NAVIGATECOMPLETE2:
        if (hostWindow_) PostMessageW(hostWindow_, kNavigateCompleteMessage, 0, 0);
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
