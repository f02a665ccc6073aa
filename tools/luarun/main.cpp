// luarun FILE.lua [ARG...]
// luarun --ui FILE.lua [--frame PKG] [--style PKG] [--resources DIR]
// luarun --package PKG [--answer CODE=N]... SCRIPT.lua [--config TEXT]
//
// Runs a script in an interpreter state like the install worker's: the
// standard libraries, the system functions and the HKEY_* numbers, plus the
// usual `arg` table (arg[0] the file, arg[1..] the arguments, which are also
// the chunk's `...`). A script error is printed with its position and a
// traceback to stderr and the exit code is 1; otherwise 0 (or whatever the
// script hands to os.exit). Note that print is the system print: it writes
// to the debugger output. Use io.write for the console.
//
// With --ui the file runs as the setup program runs its wizard: the control
// framework with the skin and layout packages, an interpreter state with
// createWindow and startWork and the bridge's tables, errors shown in the
// "错误" box, exit code 0. Resources are read from files: by default
// frame.lz, style.lz and the others from the folder `resources` beside
// luarun.exe, where the build puts the shipped ones, then beside FILE.lua
// (for an install script that the wizard script starts with startWork).
//
// With --package an install script runs as the install worker runs it; see
// HeadlessInstall.h.

#include "HeadlessInstall.h"
#include "ResourceFolder.h"
#include "base/LibrarySearch.h"
#include "base/TextConvert.h"
#include "dui/controls/ShippedControls.h"
#include "host/ScriptGuards.h"
#include "host/WizardRun.h"
#include "script/SystemFunctions.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Message handler: the error text with a traceback below it.
int traceback(lua_State* L) {
    const char* message = luaL_tolstring(L, 1, nullptr);
    luaL_traceback(L, L, message, 1);
    return 1;
}

int run(lua_State* L, int argc, wchar_t** argv) {
    const std::string scriptName = nelvo::wideToUtf8(argv[1]);
    std::string source;
    if (!nelvo::readWholeFile(argv[1], source)) {
        std::fprintf(stderr, "luarun: cannot read %s\n", scriptName.c_str());
        return 1;
    }
    // A first line starting with "#" is skipped, as the stand-alone
    // interpreter does; its line end stays so line numbers keep.
    if (!source.empty() && source[0] == '#') source.erase(0, source.find('\n'));

    luaL_openlibs(L);
    nelvo::registerSystemFunctions(L, nelvo::scriptGuards());

    lua_createtable(L, argc - 1, 1);
    for (int i = 1; i < argc; ++i) {
        const std::string a = nelvo::wideToUtf8(argv[i]);
        lua_pushlstring(L, a.data(), a.size());
        lua_rawseti(L, -2, i - 1);
    }
    lua_setglobal(L, "arg");

    lua_pushcfunction(L, traceback);
    const int handler = lua_gettop(L);
    int status = luaL_loadbuffer(L, source.data(), source.size(), ("@" + scriptName).c_str());
    if (status == LUA_OK) {
        for (int i = 2; i < argc; ++i) {
            const std::string a = nelvo::wideToUtf8(argv[i]);
            lua_pushlstring(L, a.data(), a.size());
        }
        status = lua_pcall(L, argc - 2, 0, handler);
    }
    if (status != LUA_OK) {
        const char* message = lua_tostring(L, -1);
        std::fprintf(stderr, "%s\n", message ? message : "(error object is not a string)");
        return 1;
    }
    return 0;
}

// The folder luarun.exe lies in, without a trailing separator.
std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n < MAX_PATH ? n : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

int runUi(int argc, wchar_t** argv) {
    if (argc < 3 || (argc - 3) % 2 != 0) return 2;
    std::wstring folder = programFolder() + L"\\resources";
    std::wstring frame, style;
    for (int i = 3; i < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--frame") {
            frame = argv[i + 1];
        } else if (option == L"--style") {
            style = argv[i + 1];
        } else if (option == L"--resources") {
            folder = argv[i + 1];
        } else {
            return 2;
        }
    }
    // Names the resources lack (an install script of the author's, say) are
    // looked for beside the script.
    std::wstring scriptFolder = argv[2];
    const size_t slash = scriptFolder.find_last_of(L"\\/");
    scriptFolder = slash == std::wstring::npos ? L"." : scriptFolder.substr(0, slash);
    nelvo::ResourceFolder store({folder, scriptFolder});
    store.map(u"UI.lua", argv[2]);
    if (!frame.empty()) store.map(u"frame.lz", frame);
    if (!style.empty()) store.map(u"style.lz", style);
    nelvo::setCurrentFileSystem(&store);
    nelvo::runWizard(store, u"UI.lua", nelvo::registerShippedControls);
    nelvo::setCurrentFileSystem(nullptr);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    nelvo::hardenLibrarySearch();
    if (argc >= 2 && std::wstring(argv[1]) == L"--ui") {
        const int rc = runUi(argc, argv);
        if (rc == 2)
            std::fputs("usage: luarun --ui FILE.lua [--frame PKG] [--style PKG] [--resources DIR]\n", stderr);
        return rc;
    }
    if (argc < 2) {
        std::fputs("usage: luarun FILE.lua [ARG...]\n", stderr);
        return 2;
    }
    // Like the install worker's thread.
    OleInitialize(nullptr);
    if (luarun::wantsHeadlessInstall(argc, argv)) {
        const int rc = luarun::runHeadlessInstall(argc, argv);
        std::fflush(stdout);
        OleUninitialize();
        return rc;
    }
    lua_State* L = luaL_newstate();
    int rc = 1;
    if (L) {
        rc = run(L, argc, argv);
        lua_close(L);
    } else {
        std::fputs("luarun: cannot create the interpreter state\n", stderr);
    }
    std::fflush(stdout);
    OleUninitialize();
    return rc;
}
