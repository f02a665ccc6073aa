#pragma once
// One run of a wizard script with everything it stands on, brought up and
// down in order: OLE, the main-thread dispatcher, the control framework, the
// skin and layout packages, the interpreter; the dispatcher's stop waits for
// the install worker. setup.exe runs "UI.lua" this way; luarun --ui runs a
// script author's file the same way. Main thread.

#include "base/FileSystem.h"

#include <string_view>

struct lua_State;

namespace nelvo {

class ControlFactory;

// Runs the script resource `scriptName` of `store` (which must be the current
// file system) to its end. `registerControls` fills the framework's factory
// with the controls the program's markup may name (ShippedControls.h).
// `extend` (optional) may add functions to the interpreter's state before
// the script runs; tests use it to look inside. `beforeWork` (optional) is
// asked, on the main thread, each time the script starts the install
// worker; when it answers false the worker does not start.
void runWizard(FileSystem& store, const char16_t* scriptName, void (*registerControls)(ControlFactory&),
               void (*extend)(lua_State*) = nullptr, bool (*beforeWork)() = nullptr);

} // namespace nelvo
