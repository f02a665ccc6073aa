#pragma once
// The install worker: the install script run on a thread of its own, in its
// own interpreter state (see WorkerState.h), over its own index of the
// payload package, reporting to the wizard through notifications.
//
// One worker at a time: the work parameters and the worker package are
// process-wide. The main-thread dispatcher must run: it carries the
// notifications to the main thread, and its stop waits for the worker.
//
// A notification travels as the application event AppNotify (1024, Direct)
// of the UiContext, param1 pointing at the text (zero-terminated UTF-8),
// param2 the answer (0 unless a handler sets it).
//
// Decisions where nothing else says:
//  - a notification nobody answers (the dispatcher does not run, stop drops
//    it, there is no UiContext, no handler answers, the window is gone)
//    returns at once as undelivered, and the script ends there (see
//    WorkerState.h), so no worker waits for good or goes on without a
//    wizard, and the process always ends;
//  - every run records its changes in an UndoJournal kept on disk
//    (undoJournalPath()); a run whose journal cannot be made changes
//    nothing and reports it. A run succeeds when its script ran to its end
//    and the wizard took the code 2 that turns it to the finish page (the
//    script's last step); then the kept files go. Any other end (the script
//    stopped on an answer 2 — a cancel on the progress page gives it at the
//    next step — or after a code 6, failed, lost its wizard, a C++
//    exception) undoes the run: the worker sends {code=11} (the wizard
//    shows the undo as a step), undoes, and sends
//    {code=12,complete=<all taken back>,driver=<the previous driver was
//    removed>} with, when there is such a thing, restart=true, left=<what
//    stays> and atRestart=<files back at the restart>, one per line; the
//    wizard says so in its closing box;
//  - while the worker runs, the session does not end under it: start()
//    gives the calling thread's wizard window a shutdown reason and makes it
//    answer WM_QUERYENDSESSION with FALSE; the reason goes when the worker
//    ends;
//  - a script or package name that is not a resource, a damaged package, or
//    a compile or run error of the script all end the worker the same way:
//    it sends {code=6,error=<message>}, which the wizard shows in its "错误"
//    box before it ends the dialog; when the wizard does not take it (the
//    answer is not 2), the worker shows the message itself in a box
//    captioned "错误". The message is shown once either way.

#include "host/IRunable.h"
#include "host/WorkerState.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace nelvo {

class LuaWork {
public:
    // Main thread. Starts the install worker with these work parameters.
    // False (after a debugger message) when a worker still runs or the thread
    // cannot be made.
    static bool start(std::u16string scriptName, std::u16string packageName, std::string configuration);

    // Any thread. True from a successful start() until the worker thread has
    // done everything but return.
    static bool running();

    class NotifyRunable;
};

// One notification on its way to the main thread. The worker waits until it
// is answered; if it is destroyed unanswered (never posted, dropped by the
// dispatcher's stop, or its run failed) it is undelivered with the answer 2
// and the worker wakes all the same.
class LuaWork::NotifyRunable final : public QXService::IRunable {
public:
    // Worker thread. Posts `text` to the main thread and waits for the
    // answer.
    static NotifyResult deliver(const char* text);

    // `text`, `completion` and `result` stay valid until `completion` is
    // signalled.
    NotifyRunable(const char* text, HANDLE completion, NotifyResult* result)
        : text_(text), completion_(completion), result_(result) {}
    ~NotifyRunable() override;
    NotifyRunable(const NotifyRunable&) = delete;
    NotifyRunable& operator=(const NotifyRunable&) = delete;

    // Main thread: raises AppNotify with the text and takes param2 as the
    // answer; undelivered when there is no UiContext or param2 stays 0.
    void run() override;

private:
    void complete(int32_t answer, bool delivered);

    const char* text_;
    HANDLE completion_;
    NotifyResult* result_;
    bool completed_ = false;
};

} // namespace nelvo
