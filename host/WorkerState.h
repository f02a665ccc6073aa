#pragma once
// The install worker's interpreter state and how the install script runs in
// it, apart from the thread: the setup program's worker (LuaWork) and luarun's
// headless runs use the same pieces, so both run the script alike.
//
// The state holds the standard libraries, the system functions with the
// HKEY_* numbers, and three functions of its own:
//   notifyMessage(text) -> number   hands a notification to a sink and
//                                   returns its answer
//   extractFile(member, path) -> boolean[, system error]
//                                   writes a member of the worker package to
//                                   a file; "\" in the member name is read
//                                   as "/"; on failure also the system's
//                                   error code of the write (13,
//                                   ERROR_INVALID_DATA, for a member that is
//                                   missing or damaged)
//   asUser(f) -> boolean            calls f with the user's own rights (the
//                                   work in the user's places); false when
//                                   there are none, f then not called; the
//                                   run's log says which rights they were
// Members are decoded ahead of the script on a thread of the state's own,
// in the order the script being run names them (see MemberPrefetcher.h);
// what reaches the disk, and when, is still up to extractFile.
// It has no window functions, no startWork and no registries.
//
// With a journal (see UndoJournal.h), every change the script makes through
// extractFile, createDirectory, moveFile, regWriteString, regWriteInteger,
// createShortCut and the registering and driver runs of shellExecuteEx is
// recorded in it before it is made. regsvr32 is then started from the
// system folder by the worker itself and waited for a bounded time (a
// minute): one that does not end by then is ended, and shellExecuteEx
// gives true and no exit code.
//
// A notification nobody answered (NotifyResult::delivered false) ends the
// script at once with an error, whatever the script would have done with
// the answer: there is no wizard left to follow the installation.

#include "host/UndoJournal.h"
#include "store/LzPackage.h"

#include <cstdint>
#include <string>
#include <string_view>

struct lua_State;

namespace nelvo {

// The answer a notification got, and whether anyone answered it.
struct NotifyResult {
    int32_t answer = 2;  // stop: what a notification that cannot be delivered gets
    bool delivered = false;
};

// Where the worker's notifications go. Called on the worker's thread.
class NotificationSink {
public:
    // `text` is zero-terminated UTF-8 and valid until the call returns.
    virtual NotifyResult notify(const char* text) = 0;

    // Set by notifyMessage once a notification went unanswered.
    bool unanswered = false;

protected:
    ~NotificationSink() = default;
};

// A new state as described above, its own functions working on `package`,
// `sink` and `journal` (may be null), which must outlive the state. Null when
// no state can be made.
lua_State* newWorkerState(const LzPackage& package, NotificationSink& sink, UndoJournal* journal = nullptr);

// Registers notifyMessage and extractFile over `package` and `sink` as
// globals, and makes createDirectory and createProtectedDirectory return
// the system's error code after false, as extractFile does; with a journal,
// also wraps the system functions that change the machine so that they
// record first. Stack unchanged.
void registerWorkerFunctions(lua_State* L, const LzPackage& package, NotificationSink& sink,
                             UndoJournal* journal = nullptr);

// Registers asUser (above) alone as a global, for the uninstaller's state,
// whose removal in the user's places runs with the user's rights as well.
// Stack unchanged.
void registerAsUser(lua_State* L);

// The code of a notification as the install scripts write it, "{code=N" at
// its start; 0 when it has none.
int notificationCode(std::string_view text);

// The configuration chunk: "config = " followed by `configuration`, written
// to the debugger output with a line break and run protected. Its errors are
// dropped; the script then runs without `config`. Nothing for an empty text.
// Stack unchanged.
void runConfiguration(lua_State* L, std::string_view configuration);

// Tells the state's decode-ahead the order `script` names its members in,
// then compiles `script` as one chunk named `chunkName` (the interpreter's
// convention: "@LG.lua" gives messages that start "LG.lua:") and calls it
// protected with no arguments. False on a compile or run error, with its
// message in `error` as valid UTF-8 (a malformed sequence in it becomes
// U+FFFD). Stack unchanged.
bool runInstallScript(lua_State* L, std::string_view script, const char* chunkName, std::string& error);

// `text` in the longest long bracket it needs: "[[...]]" unless the text
// holds "]]", else "[=[...]=]" and so on, so that no text ends the string
// early. A text that starts with a line break gets one more, which the
// interpreter drops.
std::string longBracket(std::string_view text);

// The notification the worker sends after its script failed:
// {code=6,error=<the message in a long bracket>}. The wizard shows it in its
// "错误" box and ends the dialog.
std::string errorNotification(std::string_view error);

} // namespace nelvo
