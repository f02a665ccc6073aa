#include "HeadlessInstall.h"

#include "ResourceFolder.h"

#include "base/TextConvert.h"
#include "host/WorkerState.h"
#include "store/FileRangeSource.h"
#include "store/LzPackage.h"

#include <lauxlib.h>
#include <lua.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace luarun {
namespace {

bool parseInteger(const std::wstring& text, int& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    const long v = std::wcstol(text.c_str(), &end, 10);
    if (*end != L'\0') return false;
    value = static_cast<int>(v);
    return true;
}

struct StateCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};

// The wizard's side: reads each notification's code as the wizard does (by
// evaluating the text as an expression) and answers from the table.
class AnsweringSink final : public nelvo::NotificationSink {
public:
    // Answers for a code are used in the order given; the last one stays
    // for every later notification of that code. Codes without answers, and
    // texts without a code, get 1.
    std::map<int, std::deque<int>> answers;

    AnsweringSink() : scratch_(luaL_newstate()) {}

    nelvo::NotifyResult notify(const char* text) override {
        int answer = 1;
        int code = 0;
        if (codeOf(text, code)) {
            const auto it = answers.find(code);
            if (it != answers.end() && !it->second.empty()) {
                answer = it->second.front();
                if (it->second.size() > 1) it->second.pop_front();
            }
        }
        std::string line;
        for (const char* p = text; *p; ++p) {
            if (*p == '\r') line += "\\r";
            else if (*p == '\n') line += "\\n";
            else line += *p;
        }
        std::printf("%s -> %d\n", line.c_str(), answer);
        std::fflush(stdout);
        return {answer, true};
    }

private:
    bool codeOf(const char* text, int& code) {
        lua_State* L = scratch_.get();
        if (!L) return false;
        const int top = lua_gettop(L);
        const std::string chunk = std::string("return ") + text;
        bool found = false;
        if (luaL_loadbuffer(L, chunk.data(), chunk.size(), "=notification") == LUA_OK &&
            lua_pcall(L, 0, 1, 0) == LUA_OK && lua_istable(L, -1)) {
            lua_getfield(L, -1, "code");
            int isNumber = 0;
            const lua_Number n = lua_tonumberx(L, -1, &isNumber);
            if (isNumber) {
                code = static_cast<int>(n);
                found = true;
            }
        }
        lua_settop(L, top);
        return found;
    }

    std::unique_ptr<lua_State, StateCloser> scratch_;
};

int usage() {
    std::fputs("usage: luarun --package PKG [--answer CODE=N]... SCRIPT.lua [--config TEXT]\n", stderr);
    return 2;
}

} // namespace

bool wantsHeadlessInstall(int argc, wchar_t** argv) {
    if (argc < 2) return false;
    const std::wstring first = argv[1];
    return first == L"--package" || first == L"--answer" || first == L"--config";
}

int runHeadlessInstall(int argc, wchar_t** argv) {
    std::wstring packagePath, scriptPath;
    std::string configuration;
    AnsweringSink sink;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == L"--package" && hasValue) {
            packagePath = argv[++i];
        } else if (a == L"--config" && hasValue) {
            configuration = nelvo::wideToUtf8(argv[++i]);
        } else if (a == L"--answer" && hasValue) {
            const std::wstring value = argv[++i];
            const size_t eq = value.find(L'=');
            int code = 0, answer = 0;
            if (eq == std::wstring::npos || !parseInteger(value.substr(0, eq), code) ||
                !parseInteger(value.substr(eq + 1), answer))
                return usage();
            sink.answers[code].push_back(answer);
        } else if (a.starts_with(L"--") || !scriptPath.empty()) {
            return usage();
        } else {
            scriptPath = a;
        }
    }
    if (packagePath.empty() || scriptPath.empty()) return usage();

    const std::string packageName = nelvo::wideToUtf8(packagePath);
    // Read a window at a time, as the worker reads setup.exe's payload.
    const auto packageFile = nelvo::FileRangeSource::open(packagePath.c_str());
    if (!packageFile) {
        std::fprintf(stderr, "luarun: cannot read %s\n", packageName.c_str());
        return 1;
    }
    std::string why;
    const auto package = nelvo::LzPackage::open(*packageFile, &why);
    if (!package) {
        std::fprintf(stderr, "luarun: %s is not a package: %s\n", packageName.c_str(), why.c_str());
        return 1;
    }
    const std::string scriptName = nelvo::wideToUtf8(scriptPath);
    std::string script;
    if (!nelvo::readWholeFile(scriptPath.c_str(), script)) {
        std::fprintf(stderr, "luarun: cannot read %s\n", scriptName.c_str());
        return 1;
    }

    std::unique_ptr<lua_State, StateCloser> state(nelvo::newWorkerState(*package, sink));
    if (!state) {
        std::fputs("luarun: cannot create the interpreter state\n", stderr);
        return 1;
    }
    nelvo::runConfiguration(state.get(), configuration);
    std::string error;
    if (nelvo::runInstallScript(state.get(), script, ("@" + scriptName).c_str(), error)) return 0;
    // What the worker tells the wizard.
    sink.notify(nelvo::errorNotification(error).c_str());
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
}

} // namespace luarun
