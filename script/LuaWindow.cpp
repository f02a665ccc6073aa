#include "script/LuaWindow.h"

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "base/UserQuestion.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "script/BridgeBoundary.h"
#include "script/CallbackFailure.h"
#include "script/LuaBridge.h"
#include "script/LuaConvert.h"
#include "script/LuaHost.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

namespace nelvo {

namespace {

// What scripts gave one window.
struct WindowRecord {
    // The window's timers, in creation order; the record owns them.
    std::vector<std::unique_ptr<LuaWindow::LuaWindowTimer>> timers;
    // How many notification handlers setMessageHandler added.
    int messageHandlers = 0;
    UniqueIcon icon;
};

LuaWindow::WorkStarter& workStarter() {
    static LuaWindow::WorkStarter start = nullptr;
    return start;
}

std::map<const WindowImpl*, WindowRecord>& records() {
    static std::map<const WindowImpl*, WindowRecord> map;
    return map;
}

// The windows whose showDialog runs, innermost last.
std::vector<WindowImpl*>& dialogs() {
    static std::vector<WindowImpl*> stack;
    return stack;
}

// The timers whose function runs, innermost last.
std::vector<const LuaWindow::LuaWindowTimer*>& runningTimers() {
    static std::vector<const LuaWindow::LuaWindowTimer*> list;
    return list;
}

// A script callback failed: every dialog loop ends, innermost first.
void endDialogLoops() {
    for (auto it = dialogs().rbegin(); it != dialogs().rend(); ++it)
        if (LuaWindow::isLive(*it)) (*it)->endModal(-1);
}

// Stops and frees a timer. Also right from inside its own tick: neither the
// tick nor the timer dispatch touches the object after the script returns.
void retire(std::unique_ptr<LuaWindow::LuaWindowTimer> timer) { timer->stop(); }

#define NELVO_SELF(window)                           \
    WindowImpl* window = bridge::windowOfSelf(L, 1); \
    if (!window) return 0

// getRoot() -> control object or nil
int getRoot(lua_State* L) {
    NELVO_SELF(window);
    bridge::pushControl(L, window->root());
    return 1;
}

// getChild(id) -> control object or nil
int getChild(lua_State* L) {
    NELVO_SELF(window);
    bridge::pushControl(L, window->childById(argInteger(L, 2)));
    return 1;
}

// setPosition(x, y)
int setPosition(lua_State* L) {
    NELVO_SELF(window);
    SetWindowPos(window->nativeHandle(), nullptr, argInteger(L, 2), argInteger(L, 3), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// getPosition() -> left, top
int getPosition(lua_State* L) {
    NELVO_SELF(window);
    RECT r{};
    GetWindowRect(window->nativeHandle(), &r);
    pushInteger(L, r.left);
    pushInteger(L, r.top);
    return 2;
}

// centerScreen(): centred across, 50 pixels above the middle.
int centerScreen(lua_State* L) {
    NELVO_SELF(window);
    RECT r{};
    GetWindowRect(window->nativeHandle(), &r);
    const int32_t w = r.right - r.left;
    const int32_t h = r.bottom - r.top;
    const int32_t x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int32_t y = (GetSystemMetrics(SM_CYSCREEN) - h - 100) / 2;
    SetWindowPos(window->nativeHandle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// browseForFolder(title) -> path or nothing
int browseForFolder(lua_State* L) {
    NELVO_SELF(window);
    const std::wstring title = argWideText(L, 2);
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = window->nativeHandle();
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return 0;
    wchar_t path[MAX_PATH] = {};
    const BOOL hasPath = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    if (!hasPath || !path[0]) return 0;
    std::wstring result(path);
    // "C:\" keeps its separator; every other folder loses it.
    if (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/')) result.pop_back();
    pushWideText(L, result);
    return 1;
}

// showDialog([owner]) -> the code endDialog gave (0 after WM_QUIT); nothing
// for a window whose dialog runs already
int showDialog(lua_State* L) {
    NELVO_SELF(window);
    if (std::find(dialogs().begin(), dialogs().end(), window) != dialogs().end()) return 0;
    HWND owner = nullptr;
    if (lua_gettop(L) >= 2)
        if (WindowImpl* ownerWindow = bridge::windowOfSelf(L, 2)) owner = ownerWindow->nativeHandle();
    dialogs().push_back(window);
    // The window is destroyed when the loop ends.
    const int result = window->runModal(owner);
    dialogs().erase(std::find(dialogs().begin(), dialogs().end(), window));
    pushInteger(L, result);
    return 1;
}

// endDialog(code): a non-zero code ends the loop once the handler returns.
int endDialog(lua_State* L) {
    NELVO_SELF(window);
    window->endModal(argInteger(L, 2));
    return 0;
}

// updateLayout()
int updateLayout(lua_State* L) {
    NELVO_SELF(window);
    window->updateLayout();
    return 0;
}

// setMessageHandler(func): each call adds one handler of worker
// notifications for this window.
int setMessageHandler(lua_State* L) {
    NELVO_SELF(window);
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    bridge::protectedBootstrap(L, "lua_setMessageHandler", bridge::kWindows, 2, 0);
    if (CallbackFailure::pending()) return 0;
    UiContext* context = UiContext::current();
    if (context && context->addAppHandler(EventCode::AppNotify, window, &bridge::deliverNotification))
        ++records()[window].messageHandlers;
    else
        OutputDebugStringW(L"setMessageHandler: no handler could be added\n");
    return 0;
}

// setIcon(id): icon group `id` of the program at the standard size, as the
// small and then the big icon.
int setIcon(lua_State* L) {
    NELVO_SELF(window);
    const int32_t id = argInteger(L, 2);
    UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    if (!icon) return 0;
    HWND hwnd = window->nativeHandle();
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    // The window only borrows it; the previous one is no longer shown.
    records()[window].icon = std::move(icon);
    return 0;
}

// setTitle(text)
int setTitle(lua_State* L) {
    NELVO_SELF(window);
    SetWindowTextW(window->nativeHandle(), argWideText(L, 2).c_str());
    return 0;
}

// showWindow(command)
int showWindow(lua_State* L) {
    NELVO_SELF(window);
    ShowWindow(window->nativeHandle(), argInteger(L, 2));
    return 0;
}

// showMessageBox(text, caption, type[, silentAnswer]) -> the button chosen;
// an unattended run shows no box and answers silentAnswer (else the safe one)
int showMessageBox(lua_State* L) {
    NELVO_SELF(window);
    const std::wstring text = argWideText(L, 2);
    const std::wstring caption = argWideText(L, 3);
    pushInteger(L, askUser(window->nativeHandle(), text, caption, static_cast<UINT>(argInteger(L, 4)),
                           argInteger(L, 5)));
    return 1;
}

// setTimer(interval, func) -> timer handle
int setTimer(lua_State* L) {
    NELVO_SELF(window);
    // The timer ticks into the main state even when a coroutine made it.
    auto timer = std::make_unique<LuaWindow::LuaWindowTimer>(LuaHost::mainState(),
                                                             static_cast<uint32_t>(argInteger(L, 2)));
    LuaWindow::LuaWindowTimer* raw = timer.get();
    // Its first tick comes at once, before the script knows the timer: it
    // finds no entry and runs nothing.
    raw->start();
    records()[window].timers.push_back(std::move(timer));
    bridge::pushHandle(L, raw);
    lua_pushvalue(L, 3);
    bridge::pushHandle(L, window);
    bridge::protectedBootstrap(L, "lua_setTimer", bridge::kTimers, 3, 0);
    bridge::pushHandle(L, raw);
    return 1;
}

// killTimer(handle)
int killTimer(lua_State* L) {
    NELVO_SELF(window);
    const void* handle = bridge::fromHandle(L, 2);
    auto found = records().find(window);
    if (found != records().end() && handle) {
        auto& timers = found->second.timers;
        for (auto it = timers.begin(); it != timers.end();) {
            if (it->get() == handle) {
                std::unique_ptr<LuaWindow::LuaWindowTimer> timer = std::move(*it);
                it = timers.erase(it);
                retire(std::move(timer));
            } else {
                ++it;
            }
        }
    }
    lua_pushvalue(L, 2);
    bridge::pushHandle(L, window);
    bridge::protectedBootstrap(L, "lua_killTimer", bridge::kTimers, 2, 0);
    return 0;
}

#undef NELVO_SELF

struct Method {
    const char* name;
    lua_CFunction function;
};

#define NELVO_METHOD(name) {#name, bridgeBoundary<name>}

constexpr Method kWindowMethods[] = {
    NELVO_METHOD(getRoot),         NELVO_METHOD(getChild),       NELVO_METHOD(setPosition),
    NELVO_METHOD(getPosition),     NELVO_METHOD(centerScreen),   NELVO_METHOD(browseForFolder),
    NELVO_METHOD(showDialog),      NELVO_METHOD(endDialog),      NELVO_METHOD(updateLayout),
    NELVO_METHOD(setMessageHandler), NELVO_METHOD(setIcon),      NELVO_METHOD(setTitle),
    NELVO_METHOD(showWindow),      NELVO_METHOD(showMessageBox), NELVO_METHOD(setTimer),
    NELVO_METHOD(killTimer),
};
static_assert(std::size(kWindowMethods) == 16);

#undef NELVO_METHOD

// createWindow(member [, style [, exStyle]]) -> window object, or nothing
// when the layout has no such member
int createWindow(lua_State* L) {
    const int argc = lua_gettop(L);
    const std::u16string member = argText(L, 1);
    DWORD style = WS_POPUP;
    DWORD exStyle = 0;
    if (argc >= 2) style = static_cast<DWORD>(argInteger(L, 2));
    if (argc >= 3) exStyle = static_cast<DWORD>(argInteger(L, 3));
    std::string error;
    WindowImpl* window = WindowImpl::create(member, style, exStyle, &error);
    if (!window) {
        const std::wstring message =
            L"createWindow: " + std::wstring(asWide(member)) + L": " + utf8ToWideLenient(error) + L"\n";
        OutputDebugStringW(message.c_str());
        return 0;
    }
    records()[window];
    lua_createtable(L, 0, static_cast<int>(std::size(kWindowMethods)));
    for (const Method& m : kWindowMethods) {
        lua_pushcfunction(L, m.function);
        lua_setfield(L, -2, m.name);
    }
    const int object = lua_gettop(L);
    lua_pushvalue(L, object);
    bridge::pushHandle(L, window);
    bridge::protectedBootstrap(L, "lua_addWindow", bridge::kWindows, 2, 0);
    lua_settop(L, object);
    return 1;
}

// startWork(script, package, configuration): the two names as UTF-16, the
// configuration as it is.
int startWork(lua_State* L) {
    if (LuaWindow::WorkStarter start = workStarter())
        start(argText(L, 1), argText(L, 2), std::string(argBytes(L, 3)));
    return 0;
}

} // namespace

void LuaWindow::LuaWindowTimer::tick() {
    // A timer that outlived its state stays silent.
    if (!state_ || state_ != LuaHost::mainState()) return;
    // A function that opens a message box is still running while the box's
    // loop dispatches this timer's next ticks: those are skipped.
    std::vector<const LuaWindowTimer*>& running = runningTimers();
    if (std::find(running.begin(), running.end(), this) != running.end()) return;
    running.push_back(this);
    // The script may kill this timer, and so free it, from its function:
    // after the call only its address is used.
    bridge::timerTick(this);
    running.erase(std::find(running.begin(), running.end(), this));
}

void LuaWindow::setWorkStarter(WorkStarter start) { workStarter() = start; }

void LuaWindow::registerFunctions(lua_State* L) {
    lua_register(L, "createWindow", bridgeBoundary<createWindow>);
    lua_register(L, "startWork", bridgeBoundary<startWork>);
    CallbackFailure::setEndLoops(&endDialogLoops);
}

bool LuaWindow::isLive(const WindowImpl* window) { return window && records().count(window) != 0; }

void LuaWindow::release(WindowImpl& window) {
    auto found = records().find(&window);
    if (found == records().end()) return;
    WindowRecord record = std::move(found->second);
    records().erase(found);
    if (UiContext* context = UiContext::current())
        for (int i = 0; i < record.messageHandlers; ++i)
            context->removeAppHandler(EventCode::AppNotify, &window, &bridge::deliverNotification);
    for (auto& timer : record.timers) retire(std::move(timer));
}

void LuaWindow::stopAllTimers() {
    for (auto& [window, record] : records()) {
        for (auto& timer : record.timers) retire(std::move(timer));
        record.timers.clear();
    }
}

} // namespace nelvo
