#pragma once
// WebBrowserSite: the OLE site a WebBrowser hands its browser: client site,
// in-place site, in-place frame, document host and events sink, all one
// object with one reference count. It is a small object of its own because
// the browser may keep references to it (the frame it was handed, for
// one) after the control has gone: the control holds one reference and
// clears the site's pointer back to it when it goes; the last Release
// frees the site. Without its control the site answers every call that
// would need it with E_UNEXPECTED, and its events send nothing (downloads
// are still cancelled). Windows build only; UI thread (the single-threaded
// apartment).

#include <exdisp.h>
#include <mshtmhst.h>
#include <ocidl.h>

namespace nelvo {

class WebBrowser;

class WebBrowserSite final : public IOleClientSite,
                             public IOleInPlaceSite,
                             public IOleInPlaceFrame,
                             public IDocHostUIHandler,
                             public DWebBrowserEvents2 {
public:
    // The site of `owner`, with the one reference the owner holds.
    explicit WebBrowserSite(WebBrowser& owner) : owner_(&owner) {}
    WebBrowserSite(const WebBrowserSite&) = delete;
    WebBrowserSite& operator=(const WebBrowserSite&) = delete;

    // The control is going: nothing reaches it from here on.
    void forgetOwner() { owner_ = nullptr; }
    WebBrowser* owner() const { return owner_; }
    LONG references() const { return references_; }

    // --- IUnknown (shared by every interface) ---
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // --- IOleClientSite ---
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // --- IOleWindow (of the in-place site and the in-place frame) ---
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // --- IOleInPlaceSite ---
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // --- IOleInPlaceUIWindow / IOleInPlaceFrame ---
    STDMETHODIMP GetBorder(LPRECT border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObjectWindow) override;
    STDMETHODIMP RemoveMenus(HMENU shared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;  // also IDocHostUIHandler's
    STDMETHODIMP TranslateAccelerator(LPMSG message, WORD id) override;

    // --- IDocHostUIHandler ---
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD id) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** filtered) override;

    // --- IDispatch of the events sink (DWebBrowserEvents2) ---
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    // BeforeNavigate2 (250) sends WebBrowser::kBeforeNavigateMessage with
    // the URL, NavigateComplete2 (252) posts kNavigateCompleteMessage,
    // FileDownload (270) sets its Cancel argument: S_OK. Every other event
    // E_NOTIMPL. Each event first makes sure the browser's inner window,
    // once there is one, is subclassed (BrowserWindowSubclass).
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~WebBrowserSite() = default;

    WebBrowser* owner_;
    LONG references_ = 1;
};

} // namespace nelvo
