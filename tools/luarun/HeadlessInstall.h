#pragma once
// luarun --package PKG [--answer CODE=N]... SCRIPT.lua [--config TEXT]
//
// Runs an install script as the setup program's install worker does (the
// same interpreter state, the configuration chunk, extractFile over the
// package), with the package and the script read from files and the wizard
// replaced by a table of answers. Each notification is printed to stdout
// with the answer it got, one per line: "{code=4,...} -> 1" (line breaks
// inside a notification are written as \r and \n).

namespace luarun {

// True when the arguments ask for a headless install: they start with one of
// its options.
bool wantsHeadlessInstall(int argc, wchar_t** argv);

// Runs it. Exit code: 0 when the script ran to its end, 1 when the package
// or the script cannot be read or the script failed (its message on stderr,
// after the code-6 notification the worker would send), 2 for a usage error.
int runHeadlessInstall(int argc, wchar_t** argv);

} // namespace luarun
