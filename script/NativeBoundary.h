#pragma once
// The frame between the interpreter and a native function. A native function
// of the bridge reports failure through its results, never by raising a
// script error, and no C++ exception may unwind into the interpreter: a
// failed allocation inside one of them ends it with no results and the
// stack as the script left it.
//
// Only std::exception is caught. The interpreter, compiled as C++, raises its
// own errors as exceptions of another type; those must pass through.

#include <lua.h>

#include <exception>

namespace nelvo {

template <lua_CFunction Function>
int nativeBoundary(lua_State* L) {
    const int top = lua_gettop(L);
    try {
        return Function(L);
    } catch (const std::exception&) {
        lua_settop(L, top);
        return 0;
    }
}

} // namespace nelvo
