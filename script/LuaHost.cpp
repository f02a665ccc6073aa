#include "script/LuaHost.h"

#include "host/FileSystem.h"
#include "host/TextConvert.h"
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

void showScriptError(const char* text) {
    const std::wstring message = utf8ToWide(text ? text : "");
    MessageBoxW(nullptr, message.c_str(), L"错误", MB_OK);
}
} // namespace

lua_State* LuaHost::mainState() { return g_main; }

LuaHost::~LuaHost() {
    if (L_) {
        lua_close(L_);
        if (g_main == L_) g_main = nullptr;
    }
}

bool LuaHost::create() {
    L_ = luaL_newstate();
    if (!L_) return false;
    luaL_openlibs(L_);
    // After the libraries, so that the system print replaces theirs.
    registerSystemFunctions(L_);

    // The bridge's tables in the registry: windows, timers, and controls
    // (keyed both ways).
    lua_newtable(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, "__window");
    lua_newtable(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, "__timer");
    lua_createtable(L_, 2, 0);
    lua_newtable(L_);
    lua_rawseti(L_, -2, 1);
    lua_newtable(L_);
    lua_rawseti(L_, -2, 2);
    lua_setfield(L_, LUA_REGISTRYINDEX, "__control");

    g_main = L_;
    return true;
}

void LuaHost::run(const char16_t* resourceName) {
    if (!L_) return;
    FileSystem* fs = currentFileSystem();
    HeapBlock script = fs ? fs->load(resourceName) : HeapBlock();
    if (script) {
        const int top = lua_gettop(L_);
        // The block ends in zero bytes; the chunk is the text up to the
        // first of them, and its name is the text itself, so messages start
        // with the script's first line in brackets.
        const char* text = reinterpret_cast<const char*>(script.data());
        int status = luaL_loadbuffer(L_, text, std::strlen(text), text);
        if (status == LUA_OK) status = lua_pcall(L_, 0, LUA_MULTRET, 0);
        if (status != LUA_OK) {
            // As the stand-alone interpreter does for error values that are
            // not text.
            const char* message = lua_tostring(L_, -1);
            if (!message) message = lua_pushfstring(L_, "(error object is a %s value)", luaL_typename(L_, -1));
            showScriptError(message);
        }
        lua_settop(L_, top);
        fs->release(std::move(script));
    }
    lua_close(L_);
    if (g_main == L_) g_main = nullptr;
    L_ = nullptr;
}

} // namespace nelvo
