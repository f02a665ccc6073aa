#pragma once
// WebBrowser: hosts the system's web browser control in a skinned window.
// Type name "Control"; it paints its style like any control (what shows
// while there is no browser) and measures and arranges as the default.
//
// The browser's OLE site is a small counted object of its own
// (WebBrowserSite) that the control holds and cuts off when it goes. When
// the control joins a window it creates the browser, hands it the site,
// activates it in place over the window's client area and connects its
// events; any step that fails tears the browser down again and the control
// stays an empty skinned rectangle. Once the control is painted
// where layout put it, the browser is moved over the control's rectangle,
// and follows it when it moves. The browser shows no context menu and no
// 3-D border, and every file download it starts is cancelled. The control
// never navigates: the browser starts empty.
//
// Messages to the host window:
//   kBeforeNavigateMessage (0x466), sent: wParam = the target URL (the
//     event's BSTR, valid during the call), lParam 0;
//   kNavigateCompleteMessage (0x467), posted: wParam 0, lParam 0.
//
// Lifetime: the control tree owns the control. Destruction takes the
// browser down, which makes it drop its own references to the site, then
// clears the site's pointer back to the control and releases the control's
// reference: a reference the browser kept finds a site that reaches
// nothing. UI thread only (the single-threaded apartment OLE initialisation
// set up).

#include "dui/Control.h"

#ifdef _WIN32
#include "base/ComPtr.h"

#include <exdisp.h>
#include <mshtmhst.h>
#include <ocidl.h>
#endif

#include <cstdint>

namespace nelvo {

#ifdef _WIN32

class WebBrowserSite;

class WebBrowser : public Control {
public:
    static constexpr UINT kBeforeNavigateMessage = WM_USER + 102;
    static constexpr UINT kNavigateCompleteMessage = WM_USER + 103;

    // The steps of attaching, in order; the step reached tells where an
    // attach stopped (Attached when it went through).
    enum class AttachStep {
        None,              // not tried yet
        CreateInstance,    // CoCreateInstance of the browser class
        OleObject,         // QueryInterface IOleObject
        MiscStatus,        // GetMiscStatus(DVASPECT_CONTENT)
        SetClientSite,     // only when the status asks for the site first
        DoVerb,            // OLEIVERB_INPLACEACTIVATE over the client area
        WebBrowser2,       // QueryInterface IWebBrowser2
        OleWindow,         // QueryInterface IOleWindow and GetWindow
        ConnectionPoint,   // IConnectionPointContainer, FindConnectionPoint
        Advise,            // the events sink handed to Advise
        Attached,
    };

    WebBrowser();

    // The class created on attach: the system's web browser unless a test
    // names another (one that does not exist, to make the attach fail).
    static void setBrowserClass(const CLSID& clsid);
    static const CLSID& browserClass();

    // --- State, for the window's owner and for tests ---
    IWebBrowser2* browser() const { return browser_.get(); }
    HWND hostWindow() const { return hostWindow_; }
    HWND browserWindow() const { return browserWindow_; }
    bool inPlaceActive() const { return inPlaceActive_; }
    // Whether the inner window the last event found is subclassed.
    bool innerWindowSubclassed() const { return subclassed_; }
    IOleInPlaceActiveObject* activeObject() const { return activeObject_.get(); }
    // The site, and the references others (the browser) hold on it.
    WebBrowserSite* site() const { return site_; }
    LONG referenceCount() const;
    // Where the last attach stopped and the result of that step (S_OK when
    // it went through).
    AttachStep attachStep() const { return attachStep_; }
    HRESULT attachResult() const { return attachResult_; }

    // Keeps the browser over the control's rectangle as painted (see the
    // source), then paints the style.
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;

protected:
    // Takes the active object out of the process-wide set, then the browser
    // down.
    ~WebBrowser() override;

private:
    friend class WebBrowserSite;

    void onAttached(Event& e);
    // The frame's active object: kept with a reference and listed.
    void setActiveObject(IOleInPlaceActiveObject* object);
    // Creates, activates and connects the browser; tears down on failure.
    void attachBrowser();
    // The steps up to the browser's window; the first failing result.
    HRESULT createBrowser();
    HRESULT connectEvents();
    // Takes the browser down: the active object out of the process-wide
    // set, the events disconnected, the browser closed and cut off from the
    // site, its pointers released, its window destroyed.
    void tearDown();
    void dropActiveObject();
    void subclassInnerWindow();
    // Hands the browser `rect` (window coordinates) as its place.
    void placeBrowser(const Rect& rect);
    void setAttachStep(AttachStep step, HRESULT result) {
        attachStep_ = step;
        attachResult_ = result;
    }

    ComPtr<IWebBrowser2> browser_;
    ComPtr<IConnectionPoint> connectionPoint_;
    ComPtr<IOleObject> oleObject_;
    ComPtr<IOleInPlaceActiveObject> activeObject_;
    WebBrowserSite* site_;  // one reference of ours
    DWORD adviseCookie_ = 0;
    bool inPlaceActive_ = false;
    HWND hostWindow_ = nullptr;
    HWND browserWindow_ = nullptr;
    bool subclassed_ = false;
    Rect placed_;  // the rectangle the browser was last given, device pixels
    AttachStep attachStep_ = AttachStep::None;
    HRESULT attachResult_ = S_OK;
};

#else

// Without the system's browser (the native build) the control is an empty
// skinned rectangle.
class WebBrowser : public Control {};

#endif

} // namespace nelvo
