#include "script/LuaBridge.h"

#include "dui/Control.h"
#include "dui/WindowImpl.h"
#include "script/CallbackFailure.h"
#include "script/LuaControl.h"
#include "script/LuaConvert.h"
#include "script/LuaHost.h"
#include "script/LuaWindow.h"

#include <lauxlib.h>

#include <cstdio>
#include <set>
#include <string>

namespace nelvo::bridge {

int32_t handleOf(const void* object) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(object));
}

void* fromHandle(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TNUMBER) return nullptr;
    const int32_t h = toInteger32(lua_tonumber(L, index));
    return reinterpret_cast<void*>(static_cast<intptr_t>(h));
}

void pushHandle(lua_State* L, const void* object) { pushInteger(L, handleOf(object)); }

namespace {

struct Entry {
    EntryBody body;
    void* context;
};

// The C function of every entry: its first argument is the Entry.
int enter(lua_State* L) {
    const Entry* entry = static_cast<const Entry*>(lua_touserdata(L, 1));
    lua_remove(L, 1);
    return entry->body(L, entry->context);
}

// The error value's text, made without allocating in the interpreter.
std::string errorText(lua_State* L) {
    switch (lua_type(L, -1)) {
    case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        return std::string(text, length);
    }
    case LUA_TNUMBER: {
        char buffer[LUAI_MAXNUMBER2STR];
        const int length = std::snprintf(buffer, sizeof buffer, LUA_NUMBER_FMT, lua_tonumber(L, -1));
        return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    }
    default:
        return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
    }
}

// The controls the script holds objects for. Scripts hand back whatever
// they kept, so a receiver counts only while its control is listed here.
std::set<const Control*>& boundControls() {
    static std::set<const Control*> set;
    return set;
}

// The control's object, made and registered on first use. Inside an entry.
// [-0, +1]
void pushControlObject(lua_State* L, Control& control) {
    pushHandle(L, &control);
    callBootstrap(L, "lua_queryControl", kControls, 1, 1);
    if (!lua_isnil(L, -1)) return;
    lua_pop(L, 1);
    pushNewControlObject(L, control);
    lua_pushvalue(L, -1);
    pushHandle(L, &control);
    callBootstrap(L, "lua_addControl", kControls, 2, 0);
    boundControls().insert(&control);
    control.setFlag(ControlFlag::ScriptBound, true);
}

} // namespace

bool runProtected(lua_State* L, int nargs, int nresults, EntryBody body, void* context) {
    Entry entry{body, context};
    if (!lua_checkstack(L, 2 + nresults)) {
        lua_pop(L, nargs);
        CallbackFailure::record("stack overflow");
        return false;
    }
    lua_pushcfunction(L, &enter);
    lua_insert(L, -(nargs + 1));
    lua_pushlightuserdata(L, &entry);
    lua_insert(L, -(nargs + 1));
    if (lua_pcall(L, nargs + 1, nresults, 0) == LUA_OK) return true;
    CallbackFailure::record(errorText(L));
    lua_pop(L, 1);
    for (int i = 0; i < nresults; ++i) lua_pushnil(L);
    return false;
}

void callBootstrap(lua_State* L, const char* name, const char* key, int nargs, int nresults) {
    lua_getglobal(L, name);
    if (lua_type(L, -1) != LUA_TFUNCTION) {
        // Worded as the interpreter words a call of an undefined global,
        // placed at the script line that led here (level 0 is the entry,
        // 1 the native function the script called).
        const char* type = luaL_typename(L, -1);
        luaL_where(L, 2);
        lua_pushfstring(L, "attempt to call global '%s' (a %s value)", name, type);
        lua_concat(L, 2);
        lua_error(L);
    }
    lua_insert(L, -(nargs + 1));
    if (key) {
        lua_getfield(L, LUA_REGISTRYINDEX, key);
        lua_insert(L, -(nargs + 1));
        ++nargs;
    }
    lua_call(L, nargs, nresults);
}

bool protectedBootstrap(lua_State* L, const char* name, const char* key, int nargs, int nresults) {
    return protectedEntry(L, nargs, nresults, [=](lua_State* S) {
        callBootstrap(S, name, key, nargs, nresults);
        return nresults;
    });
}

void pushControl(lua_State* L, Control* control) {
    if (!control) {
        lua_pushnil(L);
        return;
    }
    protectedEntry(L, 0, 1, [control](lua_State* S) {
        pushControlObject(S, *control);
        return 1;
    });
}

Control* controlOfSelf(lua_State* L, int index) {
    lua_pushvalue(L, index);
    protectedBootstrap(L, "lua_queryControlHandle", kControls, 1, 1);
    auto* control = static_cast<Control*>(fromHandle(L, -1));
    lua_pop(L, 1);
    return control && boundControls().count(control) ? control : nullptr;
}

void removeControl(Control* control) {
    if (!control) return;
    boundControls().erase(control);
    control->setFlag(ControlFlag::ScriptBound, false);
    lua_State* L = LuaHost::mainState();
    if (!L) return;
    const int top = lua_gettop(L);
    pushHandle(L, control);
    protectedBootstrap(L, "lua_removeControl", kControls, 1, 0);
    lua_settop(L, top);
}

void pushWindow(lua_State* L, WindowImpl* window) {
    if (!window) {
        lua_pushnil(L);
        return;
    }
    pushHandle(L, window);
    protectedBootstrap(L, "lua_queryWindow", kWindows, 1, 1);
}

WindowImpl* windowOfSelf(lua_State* L, int index) {
    lua_pushvalue(L, index);
    protectedBootstrap(L, "lua_queryWindowHandle", kWindows, 1, 1);
    auto* window = static_cast<WindowImpl*>(fromHandle(L, -1));
    lua_pop(L, 1);
    // Scripts hand back whatever they kept; only a window of ours that is
    // still alive counts.
    return LuaWindow::isLive(window) ? window : nullptr;
}

void windowDestroyed(WindowImpl& window) {
    if (lua_State* L = LuaHost::mainState()) {
        const int top = lua_gettop(L);
        pushHandle(L, &window);
        protectedBootstrap(L, "lua_removeWindow", kWindows, 1, 0);
        pushHandle(L, &window);
        protectedBootstrap(L, "lua_removeTimer", kTimers, 1, 0);
        lua_settop(L, top);
    }
    LuaWindow::release(window);
}

void deliverEvent(void* object, Control*, Event* event) {
    lua_State* L = LuaHost::mainState();
    auto* control = static_cast<Control*>(object);
    if (!L || !control || !event || CallbackFailure::pending()) return;
    const int top = lua_gettop(L);
    const int32_t code = event->code;
    const auto param1 = static_cast<int32_t>(event->param1);
    const auto param2 = static_cast<int32_t>(event->param2);
    const bool answered = protectedEntry(L, 0, 1, [&](lua_State* S) {
        pushControlObject(S, *control);
        const int self = lua_gettop(S);
        lua_pushvalue(S, self);
        callBootstrap(S, "lua_queryControlDispatcher", kControls, 1, 1);
        lua_pushvalue(S, self);
        pushInteger(S, code);
        pushInteger(S, param1);
        pushInteger(S, param2);
        callBootstrap(S, "lua_invokeHandlers", nullptr, 5, 1);
        return 1;
    });
    if (answered) event->handled = lua_toboolean(L, -1) ? 1 : 0;
    lua_settop(L, top);
}

void timerTick(const void* timer) {
    lua_State* L = LuaHost::mainState();
    if (!L || CallbackFailure::pending()) return;
    const int top = lua_gettop(L);
    pushHandle(L, timer);
    protectedBootstrap(L, "lua_onTimer", kTimers, 1, 0);
    lua_settop(L, top);
}

void deliverNotification(void* object, Control*, Event* event) {
    if (!event) return;
    lua_State* L = LuaHost::mainState();
    if (!L || CallbackFailure::pending()) {
        // The wizard can no longer answer: tell the worker to stop.
        event->param2 = 2;
        return;
    }
    const int top = lua_gettop(L);
    const auto* window = static_cast<const WindowImpl*>(object);
    const char* text = reinterpret_cast<const char*>(event->param1);
    const bool answered = protectedEntry(L, 0, 1, [&](lua_State* S) {
        pushHandle(S, window);
        callBootstrap(S, "lua_queryWindow", kWindows, 1, 1);
        lua_pushstring(S, text ? text : "");
        callBootstrap(S, "lua_invokeMessageHandler", kWindows, 2, 1);
        return 1;
    });
    if (!answered || CallbackFailure::pending()) {
        event->param2 = 2;
    } else {
        int isNumber = 0;
        const lua_Number answer = lua_tonumberx(L, -1, &isNumber);
        event->param2 = isNumber ? toInteger32(answer) : 0;
    }
    lua_settop(L, top);
}

} // namespace nelvo::bridge
