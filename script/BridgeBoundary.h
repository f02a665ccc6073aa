#pragma once
// The frame of every native function of the bridge (control and window
// methods, createWindow, startWork): nothing is thrown into the interpreter
// (nativeBoundary), and a script callback that failed while the function ran
// — or before it was called — makes the function raise that error in the
// calling script, which carries it to the run's protected call.

#include "script/CallbackFailure.h"
#include "script/NativeBoundary.h"

namespace nelvo {

template <lua_CFunction Function>
int bridgeBoundary(lua_State* L) {
    if (CallbackFailure::pending()) CallbackFailure::raise(L);
    const int results = nativeBoundary<Function>(L);
    if (CallbackFailure::pending()) CallbackFailure::raise(L);
    return results;
}

} // namespace nelvo
