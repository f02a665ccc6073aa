// The web browser host: the site's answers called directly on a control
// whose browser could not be made, the inner window's accelerator routing
// with a fake active object, and attaching and tearing down in real windows
// with the browser the system has (under Wine: one without an engine, so it
// never shows a page).

#include "base/ComPtr.h"
#include "base/OleScope.h"
#include "dui/controls/ActiveObjectSet.h"
#include "dui/controls/BrowserWindowSubclass.h"
#include "dui/controls/WebBrowser.h"
#include "dui/controls/WebBrowserSite.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/StandInWindow.h"

#include <exdispid.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace nelvo::test {
namespace {

// A class id nobody registers.
constexpr CLSID kMissingClass = {0x6e656c76, 0x6f00, 0x4e6f, {0x62, 0x72, 0x6f, 0x77, 0x73, 0x65, 0x72, 0x00}};

// Points the control at another browser class while it lives.
class BrowserClassScope {
public:
    explicit BrowserClassScope(const CLSID& clsid) { WebBrowser::setBrowserClass(clsid); }
    ~BrowserClassScope() { WebBrowser::setBrowserClass(CLSID_WebBrowser); }
};

// A plain window that records what reaches its procedure.
class RecordingWindow {
public:
    explicit RecordingWindow(HWND parent = nullptr) {
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &RecordingWindow::procedure;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"NelvoTestRecorder";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd_ = CreateWindowExW(0, L"NelvoTestRecorder", nullptr, parent ? WS_CHILD | WS_VISIBLE : WS_POPUP, 0, 0, 10,
                                10, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RecordingWindow() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    bool saw(UINT message) const { return std::find(messages.begin(), messages.end(), message) != messages.end(); }

    std::vector<UINT> messages;
    std::wstring url;  // the text of the last kBeforeNavigateMessage

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            self->messages.push_back(message);
            if (message == WebBrowser::kBeforeNavigateMessage)
                self->url = wParam ? reinterpret_cast<const wchar_t*>(wParam) : L"(null)";
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

// An in-place active object that translates Tab key presses and counts its
// references; it lives on the stack.
class FakeActiveObject final : public IOleInPlaceActiveObject {
public:
    LONG references = 1;
    std::vector<MSG> offered;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IOleInPlaceActiveObject) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) override {
        offered.push_back(*message);
        return message->message == WM_KEYDOWN && message->wParam == VK_TAB ? S_OK : S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
};

// Every window of this thread, children included.
BOOL CALLBACK collectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::set<HWND>*>(windows)->insert(window);
    return TRUE;
}
BOOL CALLBACK collectWindowTree(HWND top, LPARAM windows) {
    collectWindow(top, windows);
    EnumChildWindows(top, collectWindow, windows);
    return TRUE;
}
std::set<HWND> threadWindows() {
    std::set<HWND> all;
    EnumThreadWindows(GetCurrentThreadId(), collectWindowTree, reinterpret_cast<LPARAM>(&all));
    return all;
}

constexpr uint32_t kBackground = 0x3A6EA5;  // background.xml
constexpr Rect kControlRect{20, 10, 180, 110};

Rect fromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A window whose browser control sits at (20, 10, 180, 110), drawn with the
// "button.xml" style (kUp while idle).
const std::string kBrowserWindow = R"(<Window initSize="200,120" style="background.xml"><Canvas>
  <WebBrowser id="1" x="20" y="10" width="160" height="100" style="button.xml"/></Canvas></Window>)";

class WebBrowserTest : public ControlTest {
protected:
    OleScope ole_;
};

TEST_F(WebBrowserTest, SiteAnswersEveryInterfaceOnOneObjectWithOneCount) {
    BrowserClassScope missing(kMissingClass);
    RecordingWindow host;
    TestWindow window;
    window.native = host.hwnd();
    ControlPtr owner(new WebBrowser);
    auto* b = static_cast<WebBrowser*>(owner.get());
    b->setBounds(kControlRect);
    attach(window, *b);
    EXPECT_EQ(b->attachStep(), WebBrowser::AttachStep::CreateInstance);
    EXPECT_EQ(b->attachResult(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(b->hostWindow(), host.hwnd());
    EXPECT_FALSE(b->browser());
    EXPECT_EQ(b->referenceCount(), 0);

    // The interface table, and one count for all of them.
    auto* site = static_cast<IOleClientSite*>(b->site());
    auto* inPlace = static_cast<IOleInPlaceSite*>(b->site());
    auto* frame = static_cast<IOleInPlaceFrame*>(b->site());
    auto* docHost = static_cast<IDocHostUIHandler*>(b->site());
    auto* events = static_cast<DWebBrowserEvents2*>(b->site());
    const struct {
        const IID& iid;
        void* expected;
    } table[] = {
        {IID_IUnknown, site},
        {IID_IOleClientSite, site},
        {IID_IOleInPlaceSite, inPlace},
        {IID_IOleWindow, static_cast<IOleWindow*>(frame)},
        {IID_IDocHostUIHandler, docHost},
        {DIID_DWebBrowserEvents2, events},
        {IID_IDispatch, static_cast<IDispatch*>(events)},
        {IID_IOleContainer, nullptr},
        {IID_IOleInPlaceFrame, nullptr},
        {IID_IOleObject, nullptr},
    };
    LONG expectedCount = 0;
    for (IUnknown* asked : {static_cast<IUnknown*>(site), static_cast<IUnknown*>(inPlace),
                            static_cast<IUnknown*>(frame), static_cast<IUnknown*>(docHost),
                            static_cast<IUnknown*>(events)}) {
        for (const auto& row : table) {
            void* out = reinterpret_cast<void*>(1);
            const HRESULT hr = asked->QueryInterface(row.iid, &out);
            EXPECT_EQ(hr, row.expected ? S_OK : E_NOINTERFACE);
            EXPECT_EQ(out, row.expected);
            if (row.expected) ++expectedCount;
        }
    }
    EXPECT_EQ(b->referenceCount(), expectedCount);
    // The control's own reference is one more.
    EXPECT_EQ(inPlace->AddRef(), ULONG(expectedCount + 2));
    EXPECT_EQ(docHost->Release(), ULONG(expectedCount + 1));
    EXPECT_EQ(events->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // The active object handed over; then the count falls to 0 with the
    // control untouched: still the same site, still holding its object.
    FakeActiveObject first, second;
    EXPECT_EQ(frame->SetActiveObject(&first, L"first"), S_OK);
    EXPECT_EQ(first.references, 2);
    EXPECT_TRUE(ActiveObjectSet::contains(&first));
    while (b->referenceCount() > 0) site->Release();
    EXPECT_EQ(first.references, 2);
    EXPECT_TRUE(ActiveObjectSet::contains(&first));
    EXPECT_EQ(b->activeObject(), &first);
    HWND got = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&got), S_OK);
    EXPECT_EQ(got, host.hwnd());

    // Replacing, handing the same again, clearing.
    EXPECT_EQ(frame->SetActiveObject(&second, nullptr), S_OK);
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(second.references, 2);
    EXPECT_FALSE(ActiveObjectSet::contains(&first));
    EXPECT_EQ(frame->SetActiveObject(&second, nullptr), S_OK);
    EXPECT_EQ(second.references, 2);
    EXPECT_EQ(ActiveObjectSet::count(), 1u) << "an object handed in again stays listed once";
    EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(second.references, 1);
    EXPECT_EQ(ActiveObjectSet::count(), 0u);
    EXPECT_FALSE(b->activeObject());

    // The window context: null pointers refused, then a filled record.
    IOleInPlaceFrame* gotFrame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{sizeof(info), TRUE, nullptr, reinterpret_cast<HACCEL>(1), 5};
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, &document, &position, &clip, nullptr), E_INVALIDARG);
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, nullptr, &position, &clip, &info), E_INVALIDARG);
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, &document, nullptr, &clip, &info), E_INVALIDARG);
    EXPECT_EQ(b->referenceCount(), 0);
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(gotFrame, frame);
    EXPECT_EQ(b->referenceCount(), 1) << "the frame is handed out with a reference";
    EXPECT_EQ(document, nullptr);
    EXPECT_EQ(fromRECT(position), kControlRect);
    EXPECT_EQ(fromRECT(clip), kControlRect);
    EXPECT_EQ(info.fMDIApp, FALSE);
    EXPECT_EQ(info.hwndFrame, host.hwnd());
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);
    gotFrame->Release();

    // The host information.
    DOCHOSTUIINFO hostInfo;
    std::memset(&hostInfo, 0xCC, sizeof(hostInfo));
    EXPECT_EQ(docHost->GetHostInfo(nullptr), E_INVALIDARG);
    EXPECT_EQ(docHost->GetHostInfo(&hostInfo), S_OK);
    EXPECT_EQ(hostInfo.cbSize, 20u);
    EXPECT_EQ(hostInfo.dwFlags, 7u);
    EXPECT_EQ(hostInfo.dwDoubleClick, 0u);

    // In-place activation sets and clears the flag.
    EXPECT_EQ(inPlace->OnInPlaceActivate(), S_OK);
    EXPECT_TRUE(b->inPlaceActive());
    EXPECT_EQ(inPlace->OnInPlaceDeactivate(), S_OK);
    EXPECT_FALSE(b->inPlaceActive());

    // Every fixed answer. An out-pointer given (poisoned) must come back
    // null: the answer hands out nothing.
    MSG msg{};
    SIZE extent{};
    RECT rect{};
    BORDERWIDTHS widths{};
    POINT point{};
    void* out = nullptr;
    bool outGiven = false;
    auto poisoned = [&]() -> void* {
        out = reinterpret_cast<void*>(1);
        outGiven = true;
        return &out;
    };
    const struct {
        const char* name;
        std::function<HRESULT()> call;
        HRESULT expected;
    } answers[] = {
        {"SaveObject", [&] { return site->SaveObject(); }, E_NOTIMPL},
        {"GetMoniker", [&] { return site->GetMoniker(0, 0, nullptr); }, E_NOTIMPL},
        {"GetContainer", [&] { return site->GetContainer(static_cast<IOleContainer**>(poisoned())); },
         E_NOINTERFACE},
        {"ShowObject", [&] { return site->ShowObject(); }, S_OK},
        {"OnShowWindow", [&] { return site->OnShowWindow(TRUE); }, S_OK},
        {"RequestNewObjectLayout", [&] { return site->RequestNewObjectLayout(); }, E_NOTIMPL},
        {"site ContextSensitiveHelp", [&] { return inPlace->ContextSensitiveHelp(TRUE); }, E_NOTIMPL},
        {"CanInPlaceActivate", [&] { return inPlace->CanInPlaceActivate(); }, S_OK},
        {"OnUIActivate", [&] { return inPlace->OnUIActivate(); }, S_OK},
        {"Scroll", [&] { return inPlace->Scroll(extent); }, E_NOTIMPL},
        {"OnUIDeactivate", [&] { return inPlace->OnUIDeactivate(FALSE); }, S_OK},
        {"DiscardUndoState", [&] { return inPlace->DiscardUndoState(); }, E_NOTIMPL},
        {"DeactivateAndUndo", [&] { return inPlace->DeactivateAndUndo(); }, E_NOTIMPL},
        {"OnPosRectChange", [&] { return inPlace->OnPosRectChange(&rect); }, E_NOTIMPL},
        {"frame ContextSensitiveHelp", [&] { return frame->ContextSensitiveHelp(FALSE); }, E_NOTIMPL},
        {"GetBorder", [&] { return frame->GetBorder(&rect); }, E_NOTIMPL},
        {"RequestBorderSpace", [&] { return frame->RequestBorderSpace(&widths); }, E_NOTIMPL},
        {"SetBorderSpace", [&] { return frame->SetBorderSpace(&widths); }, E_NOTIMPL},
        {"InsertMenus", [&] { return frame->InsertMenus(nullptr, nullptr); }, E_NOTIMPL},
        {"SetMenu", [&] { return frame->SetMenu(nullptr, nullptr, nullptr); }, E_NOTIMPL},
        {"RemoveMenus", [&] { return frame->RemoveMenus(nullptr); }, E_NOTIMPL},
        {"SetStatusText", [&] { return frame->SetStatusText(L"x"); }, E_NOTIMPL},
        {"frame EnableModeless", [&] { return frame->EnableModeless(TRUE); }, S_OK},
        {"frame TranslateAccelerator", [&] { return frame->TranslateAccelerator(&msg, 0); }, E_NOTIMPL},
        {"ShowContextMenu", [&] { return docHost->ShowContextMenu(0, &point, nullptr, nullptr); }, S_OK},
        {"ShowUI", [&] { return docHost->ShowUI(0, nullptr, nullptr, nullptr, nullptr); }, S_OK},
        {"HideUI", [&] { return docHost->HideUI(); }, S_OK},
        {"UpdateUI", [&] { return docHost->UpdateUI(); }, S_OK},
        {"host EnableModeless", [&] { return docHost->EnableModeless(FALSE); }, S_OK},
        {"OnDocWindowActivate", [&] { return docHost->OnDocWindowActivate(TRUE); }, S_OK},
        {"OnFrameWindowActivate", [&] { return docHost->OnFrameWindowActivate(TRUE); }, S_OK},
        {"ResizeBorder", [&] { return docHost->ResizeBorder(&rect, nullptr, TRUE); }, S_OK},
        {"host TranslateAccelerator", [&] { return docHost->TranslateAccelerator(&msg, nullptr, 0); }, S_FALSE},
        {"GetOptionKeyPath", [&] { return docHost->GetOptionKeyPath(nullptr, 0); }, S_FALSE},
        {"GetDropTarget", [&] { return docHost->GetDropTarget(nullptr, nullptr); }, S_FALSE},
        {"GetExternal", [&] { return docHost->GetExternal(static_cast<IDispatch**>(poisoned())); }, S_FALSE},
        {"TranslateUrl", [&] { return docHost->TranslateUrl(0, nullptr, static_cast<LPWSTR*>(poisoned())); },
         S_FALSE},
        {"FilterDataObject",
         [&] { return docHost->FilterDataObject(nullptr, static_cast<IDataObject**>(poisoned())); }, S_FALSE},
        {"GetTypeInfoCount", [&] { return events->GetTypeInfoCount(nullptr); }, E_NOTIMPL},
        {"GetTypeInfo", [&] { return events->GetTypeInfo(0, 0, nullptr); }, E_NOTIMPL},
        {"GetIDsOfNames", [&] { return events->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr); }, E_NOTIMPL},
    };
    for (const auto& a : answers) {
        outGiven = false;
        EXPECT_EQ(a.call(), a.expected) << a.name;
        if (outGiven) {
            EXPECT_EQ(out, nullptr) << a.name;
        }
    }
    EXPECT_EQ(b->referenceCount(), 0) << "no fixed answer hands out a reference";

    // The events, with the arguments built as the browser builds them.
    BSTR target = SysAllocString(L"https://example.invalid/licence.html");
    VARIANT url, empty;
    VariantInit(&url);
    VariantInit(&empty);
    V_VT(&url) = VT_BSTR;
    V_BSTR(&url) = target;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT before[7];
    for (VARIANT& v : before) {
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = &empty;
    }
    V_VT(&before[6]) = VT_DISPATCH;
    V_DISPATCH(&before[6]) = nullptr;
    V_VARIANTREF(&before[5]) = &url;
    V_VT(&before[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&before[0]) = &cancel;
    DISPPARAMS beforeParameters{before, nullptr, 7, 0};
    const IID& none = IID_NULL;
    EXPECT_EQ(events->Invoke(DISPID_BEFORENAVIGATE2, none, 0, DISPATCH_METHOD, &beforeParameters, nullptr, nullptr,
                             nullptr),
              S_OK);
    EXPECT_TRUE(host.saw(WebBrowser::kBeforeNavigateMessage)) << "sent: there before any pumping";
    EXPECT_EQ(host.url, L"https://example.invalid/licence.html");
    EXPECT_EQ(cancel, VARIANT_FALSE) << "navigation is not stopped";
    SysFreeString(target);

    EXPECT_EQ(events->Invoke(DISPID_NAVIGATECOMPLETE2, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_FALSE(host.saw(WebBrowser::kNavigateCompleteMessage)) << "posted, not sent";
    MSG queued;
    EXPECT_TRUE(PeekMessageW(&queued, host.hwnd(), WebBrowser::kNavigateCompleteMessage,
                             WebBrowser::kNavigateCompleteMessage, PM_NOREMOVE));
    pump();
    EXPECT_TRUE(host.saw(WebBrowser::kNavigateCompleteMessage));

    VARIANT download[2];
    V_VT(&download[1]) = VT_BOOL;
    V_BOOL(&download[1]) = VARIANT_TRUE;
    V_VT(&download[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&download[0]) = &cancel;
    DISPPARAMS downloadParameters{download, nullptr, 2, 0};
    EXPECT_EQ(events->Invoke(DISPID_FILEDOWNLOAD, none, 0, DISPATCH_METHOD, &downloadParameters, nullptr, nullptr,
                             nullptr),
              S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE) << "the download is cancelled";

    // Arguments missing: no crash, the message still goes, with an empty URL.
    host.messages.clear();
    EXPECT_EQ(events->Invoke(DISPID_BEFORENAVIGATE2, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(host.url, L"");
    EXPECT_EQ(events->Invoke(DISPID_FILEDOWNLOAD, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(events->Invoke(DISPID_DOCUMENTCOMPLETE, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
    pump();
    EXPECT_EQ(host.messages.size(), 1u) << "only the one BeforeNavigate2 message";

    // Destruction takes the current active object out and releases it. A
    // reference kept past the control, as a browser may keep the frame it
    // was handed, finds a site that reaches nothing and holds nothing.
    EXPECT_EQ(frame->SetActiveObject(&first, nullptr), S_OK);
    frame->AddRef();
    owner.reset();
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(ActiveObjectSet::count(), 0u);
    got = reinterpret_cast<HWND>(1);
    EXPECT_EQ(inPlace->GetWindow(&got), E_UNEXPECTED);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(frame->SetActiveObject(&second, nullptr), E_UNEXPECTED);
    EXPECT_EQ(second.references, 1);
    EXPECT_EQ(ActiveObjectSet::count(), 0u);
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, &document, &position, &clip, &info), E_UNEXPECTED);
    EXPECT_EQ(gotFrame, nullptr);
    EXPECT_EQ(inPlace->OnInPlaceActivate(), E_UNEXPECTED);
    host.messages.clear();
    EXPECT_EQ(events->Invoke(DISPID_BEFORENAVIGATE2, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(events->Invoke(DISPID_NAVIGATECOMPLETE2, none, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    pump();
    EXPECT_TRUE(host.messages.empty()) << "nothing reaches the host window";
    EXPECT_EQ(docHost->Release(), 0u) << "only the kept reference was left: the site goes with it";
}

TEST_F(WebBrowserTest, InnerWindowOffersItsMessagesToTheActiveObjects) {
    MarkupWindow w(kBrowserWindow);
    auto* b = w.child<WebBrowser>(1);
    ASSERT_TRUE(b && b->browserWindow()) << "attach stopped at step " << int(b->attachStep());
    auto* events = static_cast<DWebBrowserEvents2*>(b->site());
    auto* frame = static_cast<IOleInPlaceFrame*>(b->site());

    // No page, so no page window yet: an event changes nothing.
    EXPECT_EQ(events->Invoke(DISPID_NAVIGATECOMPLETE2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                             nullptr),
              S_OK);
    EXPECT_FALSE(b->innerWindowSubclassed());
    // The windows a shown page has: a view inside the browser's window and
    // the page's window inside that. The next event subclasses the page's.
    RecordingWindow view(b->browserWindow());
    RecordingWindow inner(view.hwnd());
    // An event the browser itself raises through the connected sink.
    EXPECT_EQ(b->browser()->put_Visible(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(b->innerWindowSubclassed());
    EXPECT_TRUE(BrowserWindowSubclass::installed(inner.hwnd()));
    EXPECT_FALSE(BrowserWindowSubclass::installed(view.hwnd()));

    FakeActiveObject active;
    ASSERT_EQ(frame->SetActiveObject(&active, nullptr), S_OK);
    POINT cursor;
    GetCursorPos(&cursor);
    inner.messages.clear();
    EXPECT_EQ(SendMessageW(inner.hwnd(), WM_KEYDOWN, VK_TAB, 0x000F0001), 0);
    EXPECT_FALSE(inner.saw(WM_KEYDOWN)) << "translated: the previous procedure never sees it";
    ASSERT_EQ(active.offered.size(), 1u);
    const MSG& r = active.offered[0];
    EXPECT_TRUE(r.hwnd == inner.hwnd() && r.message == WM_KEYDOWN && r.wParam == VK_TAB && r.lParam == 0x000F0001);
    EXPECT_TRUE(GetTickCount() - r.time < 5000 && r.pt.x == cursor.x && r.pt.y == cursor.y) << "time and cursor";

    SendMessageW(inner.hwnd(), WM_KEYDOWN, 'A', 0x001E0001);
    EXPECT_TRUE(inner.saw(WM_KEYDOWN)) << "not translated: passed on";
    EXPECT_EQ(active.offered.size(), 2u);
    WindowDc dc(inner.hwnd());
    EXPECT_EQ(SendMessageW(inner.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 1);
    EXPECT_FALSE(inner.saw(WM_ERASEBKGND));
    EXPECT_EQ(active.offered.size(), 3u) << "every message is offered";

    // Without an active object every key reaches the page's window.
    ASSERT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
    inner.messages.clear();
    SendMessageW(inner.hwnd(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    EXPECT_TRUE(inner.saw(WM_KEYDOWN));
    EXPECT_EQ(active.offered.size(), 3u) << "an object taken out is not asked";

    // The subclass goes with its window; the next page's window gets it.
    const HWND innerHandle = inner.hwnd();
    DestroyWindow(view.hwnd());
    EXPECT_FALSE(BrowserWindowSubclass::installed(innerHandle));
    RecordingWindow nextView(b->browserWindow());
    RecordingWindow nextInner(nextView.hwnd());
    EXPECT_EQ(b->browser()->put_Visible(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(BrowserWindowSubclass::installed(nextInner.hwnd()));
}

// What the system's browser did at each step, for the record.
void printAttach(WebBrowser& b) {
    std::printf("attach: step %d, result 0x%08lx, browser window %p, in place %d, site references %ld\n",
                int(b.attachStep()), static_cast<unsigned long>(b.attachResult()),
                static_cast<void*>(b.browserWindow()), b.inPlaceActive(), b.referenceCount());
}

TEST_F(WebBrowserTest, AttachesTheSystemBrowserOverTheControlAndTakesItDown) {
    // The first window loads the browser's libraries and fills the skin's
    // caches; the second must give back everything it takes.
    {
        MarkupWindow warmUp(kBrowserWindow);
        saveWindowPng(warmUp.hwnd(), screenshotDir() + L"\\controls-browser-attached.png");
    }
    pump();
    const std::set<HWND> windowsBefore = threadWindows();
    const ProcessCounts countsBefore = readProcessCounts();
    HWND browserWindow = nullptr;
    WebBrowserSite* site = nullptr;
    {
        MarkupWindow w(kBrowserWindow);
        auto* b = w.child<WebBrowser>(1);
        ASSERT_TRUE(b);
        site = b->site();
        site->AddRef();
        printAttach(*b);
        ASSERT_EQ(b->attachStep(), WebBrowser::AttachStep::Attached);
        EXPECT_EQ(b->attachResult(), S_OK);
        EXPECT_TRUE(b->browser());
        EXPECT_TRUE(b->inPlaceActive());
        EXPECT_GT(b->referenceCount(), 0) << "the browser holds the site";
        browserWindow = b->browserWindow();
        ASSERT_TRUE(IsWindow(browserWindow));
        EXPECT_EQ(GetAncestor(browserWindow, GA_PARENT), w.hwnd());

        ComPtr<IOleObject> object;
        ASSERT_EQ(b->browser()->QueryInterface(IID_IOleObject, object.putVoid()), S_OK);
        DWORD status = 0;
        const HRESULT statusResult = object->GetMiscStatus(DVASPECT_CONTENT, &status);
        std::printf("misc status: 0x%08lx (result 0x%08lx)\n", status, static_cast<unsigned long>(statusResult));
        ComPtr<IOleClientSite> site;
        EXPECT_EQ(object->GetClientSite(site.put()), S_OK);
        EXPECT_EQ(site.get(), static_cast<IOleClientSite*>(b->site()));

        // Activated while the window had no size, then moved over the
        // control once painted.
        RECT placed;
        GetWindowRect(browserWindow, &placed);
        MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(fromRECT(placed), kControlRect);
    }
    pump();
    // The site outlives its control while anyone holds it; the browser
    // holds nothing of it after the tear-down.
    ASSERT_TRUE(site);
    EXPECT_EQ(site->owner(), nullptr);
    std::printf("site references after tear-down: %ld\n", site->references());
    EXPECT_EQ(site->Release(), 0u) << "the browser kept a reference";
    EXPECT_FALSE(IsWindow(browserWindow));
    EXPECT_EQ(ActiveObjectSet::count(), 0u);
    EXPECT_EQ(threadWindows(), windowsBefore) << "no window is left";
    EXPECT_EQ(readProcessCounts(), countsBefore) << "every object and handle given back";
}

TEST_F(WebBrowserTest, FailedAttachLeavesAnEmptySkinnedRectangle) {
    BrowserClassScope missing(kMissingClass);
    { MarkupWindow warmUp(kBrowserWindow); }
    pump();
    const std::set<HWND> windowsBefore = threadWindows();
    const ProcessCounts countsBefore = readProcessCounts();
    {
        MarkupWindow w(kBrowserWindow);
        auto* b = w.child<WebBrowser>(1);
        ASSERT_TRUE(b);
        printAttach(*b);
        EXPECT_EQ(b->attachStep(), WebBrowser::AttachStep::CreateInstance);
        EXPECT_EQ(b->attachResult(), REGDB_E_CLASSNOTREG);
        EXPECT_FALSE(b->browser());
        EXPECT_FALSE(b->browserWindow());
        EXPECT_EQ(b->referenceCount(), 0);
        EXPECT_EQ(GetWindow(w.hwnd(), GW_CHILD), nullptr);

        // No browser window covers the control (no child window at all), and
        // the window paints the control's own style over its rectangle.
        const Size size = w.clientSize();
        Surface surface(size.cx, size.cy);
        w.render(surface);
        int styled = 0, background = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) {
                const bool inside = kControlRect.contains(x, y);
                if (surface.rgb(x, y) == (inside ? kUp : kBackground)) ++(inside ? styled : background);
            }
        EXPECT_EQ(styled, 160 * 100) << "the control's own style fills its rectangle";
        EXPECT_EQ(background, size.cx * size.cy - 160 * 100);
        w.screenshot(L"controls-browser-failed");
    }
    pump();
    EXPECT_EQ(threadWindows(), windowsBefore) << "no window is left";
    EXPECT_EQ(readProcessCounts(), countsBefore) << "every object and handle given back";
}

} // namespace
} // namespace nelvo::test
