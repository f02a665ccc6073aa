#include "script/LuaHost.h"

#include "base/FileSystem.h"
#include "base/TextConvert.h"
#include "base/UserQuestion.h"
#include "dui/Control.h"
#include "dui/WindowImpl.h"
#include "script/CallbackFailure.h"
#include "script/LuaBridge.h"
#include "script/LuaWindow.h"
#include "script/SystemFunctions.h"

#include <windows.h>

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <cstring>
#include <string>

namespace nelvo {

namespace {
lua_State* g_main = nullptr;

// Error texts are decoded leniently: the chunk name is cut at a byte count,
// which may split a character, and the rest must still be readable.
void showScriptError(std::string_view text) {
    const std::wstring message = utf8ToWideLenient(text);
    askUser(nullptr, message, L"错误", MB_OK);
}
} // namespace

lua_State* LuaHost::mainState() { return g_main; }

LuaHost::~LuaHost() { close(); }

bool LuaHost::create(const ProcessGuards& guards) {
    L_ = luaL_newstate();
    if (!L_) return false;
    luaL_openlibs(L_);
    // After the libraries, so that the system print replaces theirs.
    registerSystemFunctions(L_, guards);
    LuaWindow::registerFunctions(L_);

    // The bridge's tables in the registry: windows, timers, and controls
    // (keyed both ways).
    lua_newtable(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, bridge::kWindows);
    lua_newtable(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, bridge::kTimers);
    lua_createtable(L_, 2, 0);
    lua_newtable(L_);
    lua_rawseti(L_, -2, 1);
    lua_newtable(L_);
    lua_rawseti(L_, -2, 2);
    lua_setfield(L_, LUA_REGISTRYINDEX, bridge::kControls);

    Control::setScriptReleaseHook(&bridge::removeControl);
    WindowImpl::setDestroyHook(&bridge::windowDestroyed);
    CallbackFailure::clear();
    g_main = L_;
    return true;
}

void LuaHost::run(const char16_t* resourceName) {
    if (!L_) return;
    FileSystem* fs = currentFileSystem();
    HeapBlock script = fs ? fs->load(resourceName) : HeapBlock();
    if (script) {
        // The block ends in zero bytes.
        runText(reinterpret_cast<const char*>(script.data()));
        fs->release(std::move(script));
    } else {
        const std::string name = utf16ToUtf8(resourceName);
        showScriptError("无法载入脚本 " + name);
    }
    close();
}

void LuaHost::runText(std::string_view text) {
    if (!L_) return;
    const std::string chunk(text.substr(0, text.find('\0')));
    const int top = lua_gettop(L_);
    // The chunk's name is the text itself, so messages start with the
    // script's first line in brackets.
    int status = luaL_loadbuffer(L_, chunk.data(), chunk.size(), chunk.c_str());
    if (status == LUA_OK) status = lua_pcall(L_, 0, LUA_MULTRET, 0);
    if (CallbackFailure::pending()) {
        // A callback failed: its error is the one to report, even if the
        // script caught what the bridge raised again.
        showScriptError(CallbackFailure::text());
    } else if (status != LUA_OK) {
        // As the stand-alone interpreter does for error values that are not
        // text.
        const char* message = lua_tostring(L_, -1);
        if (!message) message = lua_pushfstring(L_, "(error object is a %s value)", luaL_typename(L_, -1));
        showScriptError(message);
    }
    lua_settop(L_, top);
}

void LuaHost::close() {
    if (!L_) return;
    // No script timer may tick into the closed state; windows the script
    // left behind find no state when they go.
    LuaWindow::stopAllTimers();
    g_main = nullptr;
    lua_close(L_);
    L_ = nullptr;
    CallbackFailure::clear();
}

} // namespace nelvo
