// luarun FILE.lua [ARG...]
//
// Runs a script in an interpreter state like the install worker's: the
// standard libraries, the system functions and the HKEY_* numbers, plus the
// usual `arg` table (arg[0] the file, arg[1..] the arguments, which are also
// the chunk's `...`). A script error is printed with its position and a
// traceback to stderr and the exit code is 1; otherwise 0 (or whatever the
// script hands to os.exit). Note that print is the system print: it writes
// to the debugger output. Use io.write for the console.

#include "host/LibrarySearch.h"
#include "host/TextConvert.h"
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

bool readWholeFile(const wchar_t* path, std::string& content) {
    FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// Message handler: the error text with a traceback below it.
int traceback(lua_State* L) {
    const char* message = luaL_tolstring(L, 1, nullptr);
    luaL_traceback(L, L, message, 1);
    return 1;
}

int run(lua_State* L, int argc, wchar_t** argv) {
    const std::string scriptName = nelvo::wideToUtf8(argv[1]);
    std::string source;
    if (!readWholeFile(argv[1], source)) {
        std::fprintf(stderr, "luarun: cannot read %s\n", scriptName.c_str());
        return 1;
    }
    // A first line starting with "#" is skipped, as the stand-alone
    // interpreter does; its line end stays so line numbers keep.
    if (!source.empty() && source[0] == '#') source.erase(0, source.find('\n'));

    luaL_openlibs(L);
    nelvo::registerSystemFunctions(L);

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

} // namespace

int wmain(int argc, wchar_t** argv) {
    nelvo::hardenLibrarySearch();
    if (argc < 2) {
        std::fputs("usage: luarun FILE.lua [ARG...]\n", stderr);
        return 2;
    }
    // Like the install worker's thread.
    OleInitialize(nullptr);
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
