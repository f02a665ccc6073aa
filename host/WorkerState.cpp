#include "host/WorkerState.h"

#include "base/PathChecks.h"
#include "base/RunLog.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "base/UserRights.h"
#include "host/ScriptGuards.h"
#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"
#include "script/SystemFunctions.h"
#include "store/MemberFile.h"
#include "store/MemberPrefetcher.h"

#include <windows.h>

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <algorithm>
#include <new>
#include <string>

namespace nelvo {
namespace {

// The error that ends a script whose notification nobody answered.
constexpr char kUnanswered[] = "安装向导已关闭，安装停止。";

// [-0, +1] notifyMessage(text) -> number; blocks until the answer is there.
// Raises an error when nobody answers.
int notifyMessage(lua_State* L) {
    auto* sink = static_cast<NotificationSink*>(lua_touserdata(L, lua_upvalueindex(1)));
    if (sink->unanswered) return luaL_error(L, kUnanswered);
    // The bytes stay on the stack, so the sink may read them until it returns.
    const std::string_view text = argBytes(L, 1);
    RunLog::write("notify", text);
    const NotifyResult result = sink->notify(text.empty() ? "" : text.data());
    if (RunLog::active()) {
        const std::string answer = result.delivered ? std::to_string(result.answer) : std::string("none");
        RunLog::write("answer", std::string_view(answer));
    }
    if (!result.delivered) {
        sink->unanswered = true;
        return luaL_error(L, kUnanswered);
    }
    pushInteger(L, result.answer);
    return 1;
}

// Members decoded ahead of the script, and the one it writes, stay below
// this: room for the second core to decode while the script's thread
// decodes a large member straight into its file, little enough for the peak
// working set of an installation.
constexpr size_t kDecodeAheadBudget = 2048u << 10;
// Larger members are always the script's thread's: held whole, one of them
// would leave the budget to little else.
constexpr size_t kLargestAhead = 1024u << 10;

// The registry key of the state's prefetcher.
const char kPrefetcherKey = 0;

// [-0, +(1|2)] extractFile(member, path) -> boolean[, system error]
//
// On failure the second result is the system's error code of what went
// wrong: ERROR_INVALID_DATA for a member that is missing from the package
// or does not decode whole, ERROR_ACCESS_DENIED for a target this worker
// refuses to write, otherwise the code of the step that failed (the disk
// full, the file in use, ...); 0 when the system gave none.
int extractFile(lua_State* L) {
    const auto* package = static_cast<const LzPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    auto* prefetcher = static_cast<MemberPrefetcher*>(lua_touserdata(L, lua_upvalueindex(2)));
    auto* journal = static_cast<UndoJournal*>(lua_touserdata(L, lua_upvalueindex(3)));
    // The install script names members as paths of the install folder;
    // packages separate folders with "/".
    std::u16string name = argText(L, 1);
    std::replace(name.begin(), name.end(), u'\\', u'/');
    const std::wstring path = argWideText(L, 2);
    const LzPackage::Entry* entry = package->find(name);
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool stored = false;
    bool streamed = false;
    HeapBlock block;
    // The elevated worker writes no member through a link in the target's
    // path (base/PathChecks.h), nor keeps a copy of what such a path names:
    // such a target fails like one it cannot write.
    if (path.empty() || !entry || passesThroughLink(path)) {
        // Nothing on disk changes.
    } else if (entry->stored()) {
        // Written straight from the package.
        stored = true;
    } else if (const auto decoded = prefetcher->take(name, block)) {
        // A member that did not decode to its full size never reaches the
        // disk.
        if (*decoded == LzPackage::Decode::Ok) {
            data = block.data();
            size = block.size();
        }
    } else {
        // Not decoded ahead: decoded here, straight into its file.
        streamed = true;
    }
    bool ok = false;
    DWORD error = ERROR_INVALID_DATA;
    if (!path.empty() && entry && passesThroughLink(path)) error = ERROR_ACCESS_DENIED;
    size_t change = 0;
    if (stored || streamed || data) {
        SetLastError(ERROR_SUCCESS);
        if (!journal || journal->recordWrite(path, change)) {
            ok = stored     ? writeStoredMember(*package, *entry, path)
                 : streamed ? writeCompressedMember(*package, *entry, path)
                            : writeMemberFile(path, data, size);
            // A write that failed puts the file it set aside back at once.
            const DWORD written = GetLastError();
            if (journal) ok ? journal->made(change) : journal->cancel(change);
            SetLastError(written);
        }
        error = ok ? ERROR_SUCCESS : GetLastError();
    }
    if (RunLog::active()) {
        const DWORD error = ok ? 0 : GetLastError();
        std::wstring line = path + L" (" + std::to_wstring(!entry ? 0u : entry->stored() ? entry->packedSize : entry->unpackedSize) + L" bytes)";
        if (!ok) line += L" failed: " + std::to_wstring(error);
        RunLog::write(ok ? "file" : "failure", line);
    }
    // Written (or not): its room goes back to decoding ahead.
    block = HeapBlock();
    prefetcher->release();
    lua_pushboolean(L, ok);
    if (ok) return 1;
    pushInteger(L, static_cast<int32_t>(error));
    return 2;
}

// [-0, +1] asUser(f) -> boolean: calls f with no arguments while the worker
// acts with the user's own rights (base/UserRights.h), for the work in the
// user's places; false, without calling f, when there are no such rights.
// An error of f is raised again once the program's own rights are back.
// The run's log says which rights the span had, as the system gave them.
int asUser(lua_State* L) {
    luaL_checktype(L, 1, LUA_TFUNCTION);
    lua_settop(L, 1);
    int status = LUA_OK;
    {
        const ActingAsUser user;
        if (!user.acting()) {
            RunLog::write("rights", std::string_view("no token of the user: the user's places are left alone"));
            lua_pushboolean(L, 0);
            return 1;
        }
        RunLog::write("rights", std::string_view(administratorsEnabled()
                                                     ? "the user's, an administrator"
                                                     : "the user's, without administrator rights"));
        status = lua_pcall(L, 0, 0, 0);
    }
    RunLog::write("rights", std::string_view("the program's"));
    if (status != LUA_OK) return lua_error(L);
    lua_pushboolean(L, 1);
    return 1;
}

UndoJournal& journalOf(lua_State* L) { return *static_cast<UndoJournal*>(lua_touserdata(L, lua_upvalueindex(1))); }

// Calls the wrapped system function (upvalue 2) with the arguments as given;
// its results replace them.
int callWrapped(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(2));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// [-0, +(1|2)] createDirectory(path) and createProtectedDirectory(path) ->
// boolean[, system error], the folders they make recorded (with a
// journal); on failure the
// second result is the system's error code of the failed step (0 when it
// gave none), as for extractFile
int recordingCreateDirectory(lua_State* L) {
    // Without a journal, only the error is added.
    if (auto* journal = static_cast<UndoJournal*>(lua_touserdata(L, lua_upvalueindex(1))))
        journal->recordFolders(argWideText(L, 1));
    SetLastError(ERROR_SUCCESS);
    const int results = callWrapped(L);
    const DWORD error = GetLastError();
    if (results != 1 || lua_toboolean(L, 1)) return results;
    pushInteger(L, static_cast<int32_t>(error));
    return 2;
}

// [-0, +1] moveFile(source, target) -> boolean, the move recorded; false
// without moving when the file at the target cannot be kept
int recordingMoveFile(lua_State* L) {
    size_t change = 0;
    if (!journalOf(L).recordMove(argWideText(L, 1), argWideText(L, 2), change)) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const int results = callWrapped(L);
    if (results > 0 && lua_toboolean(L, 1)) journalOf(L).made(change);
    return results;
}

std::wstring lowered(std::wstring text) {
    for (wchar_t& c : text) c = towlower(c);
    return text;
}

// How long a registration may take: the worker never waits for ever.
constexpr DWORD kRegistrationWaitMs = 60000;

// Runs regsvr32 of the system folder with `parameters` and waits a bounded
// time. true and its exit code; true and nothing when it did not end in
// time (it is ended then); false when it did not start.
int runRegistration(lua_State* L, const std::wstring& parameters) {
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
        RunLog::write("failure", L"cannot start " + commandLine + L": " + std::to_wstring(GetLastError()));
        lua_pushboolean(L, 0);
        return 1;
    }
    RunLog::write("program", commandLine);
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    lua_pushboolean(L, 1);
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), kRegistrationWaitMs) != WAIT_OBJECT_0) {
        // Its registration is taken back with the run.
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        RunLog::write("failure", L"did not end in time: " + commandLine);
        return 1;
    }
    if (!GetExitCodeProcess(process.get(), &code)) return 1;
    RunLog::write("program", L"exit " + std::to_wstring(static_cast<int32_t>(code)) + L": " + program);
    pushInteger(L, static_cast<int32_t>(code));
    return 2;
}

// [-0, +(1|2)] shellExecuteEx(...) as the system function; a library
// registered with regsvr32 and a driver installed or removed by the device
// tool are recorded. regsvr32 is waited for a bounded time only: nothing
// when it did not end in time.
int recordingShellExecuteEx(lua_State* L) {
    UndoJournal& journal = journalOf(L);
    const std::wstring file = argWideText(L, 1);
    const std::wstring parameters = argWideText(L, 2);
    const size_t slash = file.find_last_of(L"\\/");
    const std::wstring name = lowered(slash == std::wstring::npos ? file : file.substr(slash + 1));
    const std::wstring lowParameters = lowered(parameters);
    if (name == L"regsvr32" || name == L"regsvr32.exe") {
        const size_t open = parameters.find(L'"');
        const size_t close = open == std::wstring::npos ? open : parameters.find(L'"', open + 1);
        if (lowParameters.find(L"/u") == std::wstring::npos && close != std::wstring::npos)
            journal.recordRegistration(parameters.substr(open + 1, close - open - 1));
        return runRegistration(L, parameters);
    }
    if (!name.starts_with(L"devconexe") || !name.ends_with(L".exe")) return callWrapped(L);
    // The script starts the tool by its bare name from the install folder,
    // which it made current; undo starts it by the full path.
    std::wstring tool = file;
    if (slash == std::wstring::npos) {
        wchar_t current[MAX_PATH + 1] = {};
        const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
        if (length > 0 && length < MAX_PATH) {
            tool = current;
            if (tool.back() != L'\\') tool += L'\\';
            tool += file;
        }
    }
    if (lowParameters.starts_with(L"install ")) {
        const size_t space = parameters.find_last_of(L' ');
        size_t change = 0;
        journal.recordDriverInstall(tool, parameters.substr(space + 1), change);
        const int results = callWrapped(L);
        if (results > 0 && lua_toboolean(L, 1)) journal.made(change);
        return results;
    }
    const int results = callWrapped(L);
    if (lowParameters.starts_with(L"remove ") && results > 1 && lua_toboolean(L, 1)) {
        const lua_Integer code = lua_tointeger(L, 2);
        if (code == 0 || code == 1) journal.noteDriverRemoved();
    }
    return results;
}

// [-0, +0] regWriteString(root, key, name, text) and regWriteInteger(root,
// key, name, number), the value's previous state and the keys they make
// recorded
int recordingRegWrite(lua_State* L) {
    const HKEY root = reinterpret_cast<HKEY>(static_cast<intptr_t>(argInteger(L, 1)));
    journalOf(L).recordRegistryValue(root, argWideText(L, 2), argWideText(L, 3));
    callWrapped(L);
    return 0;
}

// [-0, +1] createShortCut(target, link file) -> boolean, the link file
// recorded as a file written
int recordingCreateShortCut(lua_State* L) {
    size_t change = 0;
    if (!journalOf(L).recordWrite(argWideText(L, 2), change)) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const int results = callWrapped(L);
    if (results > 0 && lua_toboolean(L, 1)) journalOf(L).made(change);
    else journalOf(L).cancel(change);
    return results;
}

// Replaces the global `name` with `wrapper`, which gets the journal and the
// global's function as its upvalues.
void wrapGlobal(lua_State* L, const char* name, lua_CFunction wrapper, UndoJournal* journal) {
    lua_pushlightuserdata(L, journal);
    lua_getglobal(L, name);
    lua_pushcclosure(L, wrapper, 2);
    lua_setglobal(L, name);
}

// [-0, +0] __gc of the prefetcher: stops its thread and frees its members.
int collectPrefetcher(lua_State* L) {
    static_cast<MemberPrefetcher*>(lua_touserdata(L, 1))->~MemberPrefetcher();
    return 0;
}

} // namespace

void registerWorkerFunctions(lua_State* L, const LzPackage& package, NotificationSink& sink, UndoJournal* journal) {
    lua_pushlightuserdata(L, &sink);
    lua_pushcclosure(L, nativeBoundary<notifyMessage>, 1);
    lua_setglobal(L, "notifyMessage");
    // The prefetcher lives as long as the state: its __gc ends its thread
    // before the package can go.
    // The metatable is made first: nothing may raise an error between the
    // construction and the __gc that undoes it.
    lua_pushlightuserdata(L, const_cast<LzPackage*>(&package));
    lua_createtable(L, 0, 1);
    lua_pushcfunction(L, collectPrefetcher);
    lua_setfield(L, -2, "__gc");
    void* block = lua_newuserdata(L, sizeof(MemberPrefetcher));
    new (block) MemberPrefetcher(package, kDecodeAheadBudget, kLargestAhead);
    lua_insert(L, -2);
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kPrefetcherKey);
    lua_pushlightuserdata(L, journal);
    lua_pushcclosure(L, nativeBoundary<extractFile>, 3);
    lua_setglobal(L, "extractFile");
    registerAsUser(L);
    wrapGlobal(L, "createDirectory", nativeBoundary<recordingCreateDirectory>, journal);
    wrapGlobal(L, "createProtectedDirectory", nativeBoundary<recordingCreateDirectory>, journal);
    if (!journal) return;
    wrapGlobal(L, "moveFile", nativeBoundary<recordingMoveFile>, journal);
    wrapGlobal(L, "shellExecuteEx", nativeBoundary<recordingShellExecuteEx>, journal);
    wrapGlobal(L, "regWriteString", nativeBoundary<recordingRegWrite>, journal);
    wrapGlobal(L, "regWriteInteger", nativeBoundary<recordingRegWrite>, journal);
    wrapGlobal(L, "createShortCut", nativeBoundary<recordingCreateShortCut>, journal);
}

void registerAsUser(lua_State* L) {
    lua_pushcfunction(L, nativeBoundary<asUser>);
    lua_setglobal(L, "asUser");
}

int notificationCode(std::string_view text) {
    constexpr std::string_view head = "{code=";
    if (!text.starts_with(head)) return 0;
    int code = 0;
    for (size_t i = head.size(); i < text.size() && text[i] >= '0' && text[i] <= '9' && code < 100000; ++i)
        code = code * 10 + (text[i] - '0');
    return code;
}

lua_State* newWorkerState(const LzPackage& package, NotificationSink& sink, UndoJournal* journal) {
    lua_State* L = luaL_newstate();
    if (!L) return nullptr;
    luaL_openlibs(L);
    // After the libraries, so that the system print replaces theirs.
    registerSystemFunctions(L, scriptGuards());
    registerWorkerFunctions(L, package, sink, journal);
    return L;
}

void runConfiguration(lua_State* L, std::string_view configuration) {
    if (configuration.empty()) return;
    const std::string chunk = "config = " + std::string(configuration);
    OutputDebugStringW((utf8ToWideLenient(chunk) + L"\n").c_str());
    const int top = lua_gettop(L);
    if (luaL_loadbuffer(L, chunk.data(), chunk.size(), "=config") == LUA_OK) lua_pcall(L, 0, 0, 0);
    lua_settop(L, top);
}

bool runInstallScript(lua_State* L, std::string_view script, const char* chunkName, std::string& error) {
    const int top = lua_gettop(L);
    // The members the script names, in the order it names them, are the
    // order it will most likely extract them in.
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kPrefetcherKey);
    if (auto* prefetcher = static_cast<MemberPrefetcher*>(lua_touserdata(L, -1)))
        prefetcher->expect(MemberPrefetcher::quotedNames(script));
    lua_settop(L, top);
    int status = luaL_loadbuffer(L, script.data(), script.size(), chunkName);
    if (status == LUA_OK) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != LUA_OK) {
        // As the stand-alone interpreter does for error values that are not
        // text.
        const char* message = lua_tostring(L, -1);
        if (!message) message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, -1));
        // The chunk name in a message is cut by bytes and may end inside a
        // character.
        error = utf16ToUtf8(utf8ToUtf16Lenient(message));
    }
    lua_settop(L, top);
    return status == LUA_OK;
}

std::string longBracket(std::string_view text) {
    // The closing bracket must not occur in the text, nor be completed by
    // the text's last characters.
    std::string withEnd(text);
    withEnd += ']';
    std::string level;
    while (withEnd.find("]" + level + "]") != std::string::npos) level += '=';
    std::string out = "[" + level + "[";
    // The interpreter drops a line break right after the opening bracket.
    if (!text.empty() && (text.front() == '\n' || text.front() == '\r')) out += '\n';
    out += text;
    out += "]" + level + "]";
    return out;
}

std::string errorNotification(std::string_view error) { return "{code=6,error=" + longBracket(error) + "}"; }

} // namespace nelvo
