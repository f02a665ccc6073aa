#include "host/WorkerState.h"

#include "host/MemberFile.h"
#include "host/TextConvert.h"
#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"
#include "script/SystemFunctions.h"

#include <windows.h>

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <algorithm>

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

// [-0, +1] extractFile(member, path) -> boolean
int extractFile(lua_State* L) {
    const auto* package = static_cast<const LzPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    // The install script names members as paths of the install folder;
    // packages separate folders with "/".
    std::u16string name = argText(L, 1);
    std::replace(name.begin(), name.end(), u'\\', u'/');
    const std::wstring path = argWideText(L, 2);
    lua_pushboolean(L, !path.empty() && extractMember(*package, name, path));
    return 1;
}

} // namespace

void registerWorkerFunctions(lua_State* L, const LzPackage& package, NotificationSink& sink) {
    lua_pushlightuserdata(L, &sink);
    lua_pushcclosure(L, nativeBoundary<notifyMessage>, 1);
    lua_setglobal(L, "notifyMessage");
    lua_pushlightuserdata(L, const_cast<LzPackage*>(&package));
    lua_pushcclosure(L, nativeBoundary<extractFile>, 1);
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
