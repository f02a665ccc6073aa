#include "host/LuaWork.h"

#include "base/FileSystem.h"
#include "base/OleScope.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "base/UserQuestion.h"
#include "dui/Event.h"
#include "dui/UiContext.h"
#include "host/MainThreadDispatcher.h"
#include "host/UndoJournal.h"
#include "store/ResourceFileSystem.h"

#include <lua.h>

#include <atomic>
#include <memory>
#include <new>

namespace nelvo {
namespace {

struct WorkParameters {
    std::u16string scriptName;
    std::u16string packageName;
    std::string configuration;  // UTF-8, as the wizard wrote it
};

// Written by start() before the worker thread exists, read by the worker only.
WorkParameters g_work;
// From start() until the worker is done with the parameters and the package.
std::atomic<bool> g_busy{false};

class DispatcherSink final : public NotificationSink {
public:
    NotifyResult notify(const char* text) override {
        const NotifyResult result = LuaWork::NotifyRunable::deliver(text);
        if (!result.delivered) unanswered = true;
        else if (notificationCode(text) == 2) finishPageShown = true;
        return result;
    }

    // The wizard took the script's "done" (code 2) and shows its finish page.
    bool finishPageShown = false;
};

struct StateCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};

// The message goes to the wizard, whose code-6 handler shows it in its
// "错误" box and answers 2; only when no wizard takes it does the worker
// show the box itself.
void reportFailure(NotificationSink& sink, const std::string& message) {
    const NotifyResult result = sink.notify(errorNotification(message).c_str());
    if (result.delivered && result.answer == 2) return;
    askUser(nullptr, utf8ToWideLenient(message), L"错误", MB_OK);
}

// The package, the state, the configuration, the script. True when the
// script ran to its end and the wizard took its "done"; otherwise
// `failure` holds what went wrong when it is more than the script's own
// stop (which the script reports itself).
bool install(const WorkParameters& work, DispatcherSink& sink, UndoJournal& journal, std::string& failure) {
    FileSystem* store = currentFileSystem();
    // The package is read from the program's file through the source the
    // start-up check read it through (see ResourceFileSystem::source); only
    // another kind of store has it copied.
    const ByteSource* source = nullptr;
    if (auto* resources = dynamic_cast<ResourceFileSystem*>(store)) source = resources->source(work.packageName);
    HeapBlock packageCopy;
    std::unique_ptr<MemorySource> copySource;
    if (!source && store) {
        packageCopy = store->load(work.packageName);
        if (packageCopy) {
            copySource = std::make_unique<MemorySource>(packageCopy.data(), packageCopy.size());
            source = copySource.get();
        }
    }
    std::unique_ptr<LzPackage> package;
    if (source) package = LzPackage::open(*source);
    if (!package) {
        failure = (source ? "安装资源已损坏：" : "找不到安装资源：") + utf16ToUtf8(work.packageName);
        return false;
    }

    // Released before the package, whose index its functions use.
    std::unique_ptr<lua_State, StateCloser> state(newWorkerState(*package, sink, &journal));
    if (!state) {
        failure = "内存不足，无法运行安装脚本。";
        return false;
    }
    runConfiguration(state.get(), work.configuration);

    HeapBlock script = store->load(work.scriptName);
    if (!script) {
        failure = "找不到安装资源：" + utf16ToUtf8(work.scriptName);
        return false;
    }
    const std::string chunkName = "@" + utf16ToUtf8(work.scriptName);
    if (!runInstallScript(state.get(), script.text(), chunkName.c_str(), failure)) {
        // Ended because nobody answered: there is no one to tell.
        if (sink.unanswered) failure.clear();
        return false;
    }
    return sink.finishPageShown;
}

// The notification that ends an undone run: {code=12,complete=<all taken
// back>,driver=<the previous driver was removed>}, then only when there is
// such a thing: restart=true (a restart is needed), left=<what stays, one
// per line>, atRestart=<files that come back at the restart, one per line>.
std::string undoneNotification(const UndoReport& report, bool driverRemoved) {
    auto lines = [](const std::vector<std::wstring>& items) {
        std::wstring text;
        for (const std::wstring& item : items) text += (text.empty() ? L"" : L"\r\n") + item;
        return longBracket(wideToUtf8(text));
    };
    std::string text = std::string("{code=12,complete=") + (report.complete() ? "true" : "false") +
                       ",driver=" + (driverRemoved ? "true" : "false");
    if (report.restartNeeded) text += ",restart=true";
    if (!report.left.empty()) text += ",left=" + lines(report.left);
    if (!report.atRestart.empty()) text += ",atRestart=" + lines(report.atRestart);
    return text + "}";
}

// The worker thread's steps; everything is released when this returns.
void runWork() {
    const WorkParameters work = g_work;
    OleScope ole;
    DispatcherSink sink;
    // Outlives the script's state, whose functions record into it.
    UndoJournal journal;
    std::string failure;
    bool succeeded = false;
    // On disk before anything changes, so that a run that is killed is
    // taken back by the next setup or uninstall program.
    if (!journal.keepOnDisk(undoJournalPath())) {
        failure = "无法创建安装记录文件：" + wideToUtf8(undoJournalPath());
    } else {
        try {
            succeeded = install(work, sink, journal, failure);
        } catch (const std::exception& e) {
            failure = std::string("安装线程发生异常：") + e.what();
        }
    }
    if (succeeded) {
        journal.commit();
        return;
    }
    if (!failure.empty()) reportFailure(sink, failure);
    // The wizard shows the undo as a step of its own and closes with a box
    // that says what came back; without a wizard it happens all the same.
    const bool told = !sink.unanswered && sink.notify("{code=11}").delivered;
    const UndoReport report = journal.undo();
    if (told) sink.notify(undoneNotification(report, journal.driverRemoved()).c_str());
}

// While the worker changes the machine the session does not end under it:
// the wizard's window says why (ShutdownBlockReasonCreate) and answers
// WM_QUERYENDSESSION with FALSE. Main thread only. The window procedure is
// chained by hand: the common controls' subclassing would make the program
// import comctl32.dll, which the loader would resolve before the library
// search is hardened.
HWND g_guardedWindow = nullptr;
WNDPROC g_guardedProc = nullptr;

LRESULT CALLBACK sessionGuardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION && g_busy) return FALSE;
    const WNDPROC next = g_guardedProc;
    if (message == WM_NCDESTROY && window == g_guardedWindow) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        g_guardedWindow = nullptr;
        g_guardedProc = nullptr;
    }
    return CallWindowProcW(next, window, message, wParam, lParam);
}

BOOL CALLBACK findWizardWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void guardSession() {
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findWizardWindow, reinterpret_cast<LPARAM>(&window));
    if (!window) return;
    if (!g_guardedWindow) {
        const LONG_PTR previous =
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&sessionGuardProc));
        if (previous) {
            g_guardedWindow = window;
            g_guardedProc = reinterpret_cast<WNDPROC>(previous);
        }
    }
    ShutdownBlockReasonCreate(window, L"正在安装 Nelvo，结束前请等待安装完成或撤销。");
}

// Posted by the worker when it is done: the reason goes with the work.
class SessionRelease final : public QXService::IRunable {
public:
    void run() override {
        if (g_guardedWindow && IsWindow(g_guardedWindow)) ShutdownBlockReasonDestroy(g_guardedWindow);
    }
};

DWORD WINAPI workerMain(void*) {
    // A thread entry: nothing thrown may leave it. What escapes runWork has
    // had its journal undo the run while unwinding; the wizard, which may
    // wait for the end of the undo, is told it is over.
    bool thrown = true;
    try {
        runWork();
        thrown = false;
    } catch (const std::exception& e) {
        askUser(nullptr, utf8ToWideLenient(std::string("安装线程发生异常：") + e.what()), L"错误", MB_OK);
    } catch (...) {
        askUser(nullptr, L"安装线程发生异常。", L"错误", MB_OK);
    }
    if (thrown) {
        try {
            DispatcherSink().notify("{code=12,complete=false,driver=false}");
        } catch (...) {
        }
    }
    g_busy = false;
    try {
        MainThreadDispatcher::post(std::make_shared<SessionRelease>());
    } catch (...) {
    }
    return 0;
}

} // namespace

bool LuaWork::start(std::u16string scriptName, std::u16string packageName, std::string configuration) {
    if (g_busy.exchange(true)) {
        OutputDebugStringW(L"startWork: the install worker still runs; this call is refused\n");
        return false;
    }
    g_work.scriptName = std::move(scriptName);
    g_work.packageName = std::move(packageName);
    g_work.configuration = std::move(configuration);
    HANDLE thread = CreateThread(nullptr, 0, workerMain, nullptr, 0, nullptr);
    if (!thread) {
        g_busy = false;
        OutputDebugStringW(L"startWork: the install worker thread cannot be made\n");
        return false;
    }
    MainThreadDispatcher::trackHandle(thread);
    guardSession();
    return true;
}

bool LuaWork::running() { return g_busy; }

NotifyResult LuaWork::NotifyRunable::deliver(const char* text) {
    NotifyResult result;
    UniqueKernelHandle completion(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!completion) return result;
    try {
        // Not queued: the task goes when this statement ends, and its
        // destructor answers 2.
        MainThreadDispatcher::post(std::make_shared<NotifyRunable>(text, completion.get(), &result));
    } catch (const std::bad_alloc&) {
        return result;
    }
    WaitForSingleObject(completion.get(), INFINITE);
    return result;
}

LuaWork::NotifyRunable::~NotifyRunable() {
    if (!completed_) complete(2, false);
}

void LuaWork::NotifyRunable::run() {
    UiContext* context = UiContext::current();
    if (!context) {
        complete(2, false);
        return;
    }
    Event event = makeEvent(EventCode::AppNotify, Routing::Direct, reinterpret_cast<intptr_t>(text_), 0);
    context->raiseAppEvent(event);
    // Every answer of a wizard is a button or 1; 0 is no answer (no handler,
    // the window gone, its handler failed).
    if (event.param2 == 0) {
        complete(2, false);
        return;
    }
    complete(static_cast<int32_t>(event.param2), true);
}

void LuaWork::NotifyRunable::complete(int32_t answer, bool delivered) {
    completed_ = true;
    result_->answer = answer;
    result_->delivered = delivered;
    // The worker may free the result and the event as soon as this is set.
    SetEvent(completion_);
}

} // namespace nelvo
