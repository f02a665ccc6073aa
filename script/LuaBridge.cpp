#include "script/LuaBridge.h"

#include "dui/Control.h"
#include "dui/WindowImpl.h"
#include "script/CallbackFailure.h"
#include "script/LuaControl.h"
#include "script/LuaConvert.h"
#include "script/LuaHost.h"
#include "script/LuaWindow.h"

#include <lauxlib.h>

#include <cmath>
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

bool pushBootstrap(lua_State* L, const char* name, const char* key) {
    lua_getglobal(L, name);
    if (lua_type(L, -1) != LUA_TFUNCTION) {
        lua_pop(L, 1);
        // Worded as the interpreter words a call of an undefined global,
        // placed at the script line that led here.
        luaL_where(L, 1);
        std::string text = lua_tostring(L, -1);
        lua_pop(L, 1);
        text += "attempt to call global '";
        text += name;
        text += "' (a nil value)";
        CallbackFailure::record(std::move(text));
        return false;
    }
    if (key) lua_getfield(L, LUA_REGISTRYINDEX, key);
    return true;
}

bool protectedCall(lua_State* L, int nargs, int nresults) {
    if (lua_pcall(L, nargs, nresults, 0) == LUA_OK) return true;
    const char* message = lua_tostring(L, -1);
    CallbackFailure::record(message ? message
                                    : std::string("(error object is a ") + luaL_typename(L, -1) + " value)");
    lua_pop(L, 1);
    for (int i = 0; i < nresults; ++i) lua_pushnil(L);
    return false;
}

namespace {

// Calls bootstrap `name` with the registry table and `nargs` arguments
// already pushed above it by `pushArgs`, leaving one result (nil on any
// failure). [-0, +1]
template <typename PushArgs>
void callForOne(lua_State* L, const char* name, const char* key, int nargs, PushArgs pushArgs) {
    if (!pushBootstrap(L, name, key)) {
        lua_pushnil(L);
        return;
    }
    pushArgs();
    protectedCall(L, 1 + nargs, 1);
}

template <typename PushArgs>
void callForNone(lua_State* L, const char* name, const char* key, int nargs, PushArgs pushArgs) {
    if (!pushBootstrap(L, name, key)) return;
    pushArgs();
    protectedCall(L, 1 + nargs, 0);
}

} // namespace

void pushControl(lua_State* L, Control* control) {
    if (!control) {
        lua_pushnil(L);
        return;
    }
    const int top = lua_gettop(L);
    callForOne(L, "lua_queryControl", kControls, 1, [&] { pushHandle(L, control); });
    if (!lua_isnil(L, -1)) return;
    lua_pop(L, 1);
    if (CallbackFailure::pending()) {
        lua_pushnil(L);
        return;
    }
    pushNewControlObject(L, *control);
    const int object = lua_gettop(L);
    callForNone(L, "lua_addControl", kControls, 2, [&] {
        lua_pushvalue(L, object);
        pushHandle(L, control);
    });
    if (CallbackFailure::pending()) {
        lua_settop(L, top);
        lua_pushnil(L);
        return;
    }
    control->setFlag(ControlFlag::ScriptBound, true);
}

Control* controlOfSelf(lua_State* L, int index) {
    index = lua_absindex(L, index);
    callForOne(L, "lua_queryControlHandle", kControls, 1, [&] { lua_pushvalue(L, index); });
    auto* control = static_cast<Control*>(fromHandle(L, -1));
    lua_pop(L, 1);
    return control;
}

void removeControl(Control* control) {
    lua_State* L = LuaHost::mainState();
    if (!L || !control) return;
    const int top = lua_gettop(L);
    callForNone(L, "lua_removeControl", kControls, 1, [&] { pushHandle(L, control); });
    lua_settop(L, top);
    control->setFlag(ControlFlag::ScriptBound, false);
}

void pushWindow(lua_State* L, WindowImpl* window) {
    if (!window) {
        lua_pushnil(L);
        return;
    }
    callForOne(L, "lua_queryWindow", kWindows, 1, [&] { pushHandle(L, window); });
}

WindowImpl* windowOfSelf(lua_State* L, int index) {
    index = lua_absindex(L, index);
    callForOne(L, "lua_queryWindowHandle", kWindows, 1, [&] { lua_pushvalue(L, index); });
    auto* window = static_cast<WindowImpl*>(fromHandle(L, -1));
    lua_pop(L, 1);
    // Scripts hand back whatever they kept; only a window of ours that is
    // still alive counts.
    return LuaWindow::isLive(window) ? window : nullptr;
}

void windowDestroyed(WindowImpl& window) {
    if (lua_State* L = LuaHost::mainState()) {
        const int top = lua_gettop(L);
        callForNone(L, "lua_removeWindow", kWindows, 1, [&] { pushHandle(L, &window); });
        callForNone(L, "lua_removeTimer", kTimers, 1, [&] { pushHandle(L, &window); });
        lua_settop(L, top);
    }
    LuaWindow::release(window);
}

void deliverEvent(void* object, Control*, Event* event) {
    lua_State* L = LuaHost::mainState();
    auto* control = static_cast<Control*>(object);
    if (!L || !control || !event || CallbackFailure::pending()) return;
    const int top = lua_gettop(L);
    pushControl(L, control);
    const int self = lua_gettop(L);
    callForOne(L, "lua_queryControlDispatcher", kControls, 1, [&] { lua_pushvalue(L, self); });
    const int dispatcher = lua_gettop(L);
    if (!CallbackFailure::pending() && pushBootstrap(L, "lua_invokeHandlers", nullptr)) {
        lua_pushvalue(L, dispatcher);
        lua_pushvalue(L, self);
        pushInteger(L, event->code);
        pushInteger(L, static_cast<int32_t>(event->param1));
        pushInteger(L, static_cast<int32_t>(event->param2));
        if (protectedCall(L, 5, 1)) event->handled = lua_toboolean(L, -1) ? 1 : 0;
    }
    lua_settop(L, top);
}

void timerTick(const void* timer) {
    lua_State* L = LuaHost::mainState();
    if (!L || CallbackFailure::pending()) return;
    const int top = lua_gettop(L);
    callForNone(L, "lua_onTimer", kTimers, 1, [&] { pushHandle(L, timer); });
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
    pushWindow(L, static_cast<WindowImpl*>(object));
    const int window = lua_gettop(L);
    const char* text = reinterpret_cast<const char*>(event->param1);
    callForOne(L, "lua_invokeMessageHandler", kWindows, 2, [&] {
        lua_pushvalue(L, window);
        lua_pushstring(L, text ? text : "");
    });
    if (CallbackFailure::pending()) {
        event->param2 = 2;
    } else {
        int isNumber = 0;
        const lua_Number answer = lua_tonumberx(L, -1, &isNumber);
        event->param2 = isNumber ? toInteger32(answer) : 0;
    }
    lua_settop(L, top);
}

} // namespace nelvo::bridge
