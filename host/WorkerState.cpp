#include "host/WorkerState.h"

#include "host/MemberFile.h"
#include "host/MemberPrefetcher.h"
#include "host/PathChecks.h"
#include "host/TextConvert.h"
#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"
#include "script/SystemFunctions.h"

#include <windows.h>

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <algorithm>
#include <new>

namespace nelvo {
namespace {

// [-0, +1] notifyMessage(text) -> number; blocks until the answer is there
int notifyMessage(lua_State* L) {
    auto* sink = static_cast<NotificationSink*>(lua_touserdata(L, lua_upvalueindex(1)));
    // The bytes stay on the stack, so the sink may read them until it returns.
    const std::string_view text = argBytes(L, 1);
    const NotifyResult result = sink->notify(text.empty() ? "" : text.data());
    pushInteger(L, result.answer);
    return 1;
}

// Members decoded ahead of the script and not yet taken stay below this.
constexpr size_t kDecodeAheadBudget = 2u << 20;

// The registry key of the state's prefetcher.
const char kPrefetcherKey = 0;

// [-0, +1] extractFile(member, path) -> boolean
int extractFile(lua_State* L) {
    const auto* package = static_cast<const LzPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    auto* prefetcher = static_cast<MemberPrefetcher*>(lua_touserdata(L, lua_upvalueindex(2)));
    // The install script names members as paths of the install folder;
    // packages separate folders with "/".
    std::u16string name = argText(L, 1);
    std::replace(name.begin(), name.end(), u'\\', u'/');
    const std::wstring path = argWideText(L, 2);
    const LzPackage::Entry* entry = package->find(name);
    bool ok = false;
    // The elevated worker writes no member through a link in the target's
    // path (host/PathChecks.h): such a target fails like one it cannot write.
    if (path.empty() || !entry || passesThroughLink(path)) {
        // Nothing on disk changes.
    } else if (entry->stored()) {
        ok = writeMemberFile(path, package->storedBytes(*entry), entry->packedSize);
    } else {
        HeapBlock block;
        const LzPackage::Decode decoded = prefetcher->take(name, block);
        // A member that did not decode to its full size is written as far
        // as it goes but is not a whole member.
        ok = decoded != LzPackage::Decode::NoMemory && writeMemberFile(path, block.data(), block.size()) &&
             decoded == LzPackage::Decode::Ok;
    }
    lua_pushboolean(L, ok);
    return 1;
}

// [-0, +0] __gc of the prefetcher: stops its thread and frees its members.
int collectPrefetcher(lua_State* L) {
    static_cast<MemberPrefetcher*>(lua_touserdata(L, 1))->~MemberPrefetcher();
    return 0;
}

} // namespace

void registerWorkerFunctions(lua_State* L, const LzPackage& package, NotificationSink& sink) {
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
    new (block) MemberPrefetcher(package, kDecodeAheadBudget);
    lua_insert(L, -2);
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kPrefetcherKey);
    lua_pushcclosure(L, nativeBoundary<extractFile>, 2);
    lua_setglobal(L, "extractFile");
}

lua_State* newWorkerState(const LzPackage& package, NotificationSink& sink) {
    lua_State* L = luaL_newstate();
    if (!L) return nullptr;
    luaL_openlibs(L);
    // After the libraries, so that the system print replaces theirs.
    registerSystemFunctions(L);
    registerWorkerFunctions(L, package, sink);
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
