#include "dui/controls/WebBrowser.h"

#ifdef _WIN32
#include "dui/ControlWindow.h"
#include "dui/MemberHandler.h"
#include "dui/controls/ActiveObjectSet.h"
#include "dui/controls/BrowserWindowSubclass.h"
#include "dui/controls/WebBrowserSite.h"

namespace nelvo {

namespace {

CLSID g_browserClass = CLSID_WebBrowser;

RECT toRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

} // namespace

void WebBrowser::setBrowserClass(const CLSID& clsid) { g_browserClass = clsid; }
const CLSID& WebBrowser::browserClass() { return g_browserClass; }

WebBrowser::WebBrowser() : site_(new WebBrowserSite(*this)) {
    listen<&WebBrowser::onAttached>(*this, EventCode::Attached);
}

WebBrowser::~WebBrowser() {
    tearDown();
    // The browser may still hold the site: from now on it reaches nothing.
    site_->forgetOwner();
    site_->Release();
}

LONG WebBrowser::referenceCount() const { return site_->references() - 1; }

void WebBrowser::setActiveObject(IOleInPlaceActiveObject* object) {
    ComPtr<IOleInPlaceActiveObject> old = std::move(activeObject_);
    activeObject_ = ComPtr<IOleInPlaceActiveObject>::share(object);
    // The new one is listed before the old one is taken out, so an object
    // handed in again stays listed.
    ActiveObjectSet::insert(object);
    if (old) ActiveObjectSet::remove(old.get());
}

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
        hr = object->SetClientSite(site_);
        setAttachStep(AttachStep::SetClientSite, hr);
        if (FAILED(hr)) return hr;
    }
    oleObject_ = std::move(object);

    RECT client{};
    GetClientRect(hostWindow_, &client);
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, hostWindow_, &client);
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
    hr = site_->QueryInterface(DIID_DWebBrowserEvents2, sink.putVoid());
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
    // The browser is a native child window: placed in device pixels.
    const Rect device = window() ? window()->dpiScale().toDevice(bounds) : bounds;
    if (inPlaceActive_ && oleObject_ && device != placed_) placeBrowser(device);
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

} // namespace nelvo

#endif
