// Resource hygiene: the wizard's whole sequence on the shipped window (the
// four pages, an installation with its progress, the finish), run in this
// process as setup.exe runs it, gives back every GDI object, user object
// and handle it took. The script (ui/hygiene.lua) samples the counts before
// each window is made, on its finish page and after its dialog returns,
// three windows a run;
// the test makes three whole runs.

#include "base/FileSystem.h"
#include "dui/controls/ShippedControls.h"
#include "host/LuaWork.h"
#include "host/WizardRun.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/TestPaths.h"
#include "tools/luarun/ResourceFolder.h"

#include <gtest/gtest.h>
#include <lua.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace nelvo::test {
namespace {

struct Sample {
    std::string label;
    ProcessCounts counts;
};
std::vector<Sample> g_samples;
const ProcessCounts* g_lastAfter = nullptr;  // of the run's previous window
std::vector<std::wstring> g_errorBoxes;

// sample(label): records the counts once the install worker is done. The
// dispatcher's reaper closes a finished worker's handle when it next looks,
// up to 10 s later (the first worker's at once): after a window that is not
// its run's first, the sample waits up to 12 s for the handles to come back
// to where the previous window left them.
int sample(lua_State* L) {
    const std::string label = lua_tostring(L, 1) ? lua_tostring(L, 1) : "";
    for (int i = 0; i < 100 && LuaWork::running(); ++i) Sleep(50);
    const bool after = label.rfind("after", 0) == 0;
    if (after && g_lastAfter) {
        const uint32_t expected = g_lastAfter->handles;
        for (int i = 0; i < 24 && readProcessCounts().handles > expected; ++i) Sleep(500);
    }
    g_samples.push_back({label, readProcessCounts()});
    if (after) g_lastAfter = &g_samples.back().counts;
    return 0;
}

void addSample(lua_State* L) { lua_register(L, "sample", sample); }

// A script error would wait in its box for ever: note it and close it.
BOOL CALLBACK closeErrorBox(HWND hwnd, LPARAM) {
    wchar_t cls[16] = {}, caption[16] = {};
    GetClassNameW(hwnd, cls, 16);
    GetWindowTextW(hwnd, caption, 16);
    if (std::wstring(cls) == L"#32770" && std::wstring(caption) == L"错误") {
        wchar_t text[1024] = {};
        GetDlgItemTextW(hwnd, 0xFFFF, text, 1024);
        g_errorBoxes.push_back(text);
        PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}
void CALLBACK watchErrorBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), closeErrorBox, 0);
}

std::wstring scriptsDir() {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(L"NELVO_SOURCE", buf, 1024);
    return unixToWindows(std::wstring(buf, n)) + L"\\tests\\script\\ui";
}

std::string show(const ProcessCounts& c) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "gdi %u, user %u, handles %u", c.gdiObjects, c.userObjects, c.handles);
    return buf;
}

TEST(ResourceHygiene, WizardRunsGiveBackEveryObjectAndHandle) {
    const std::wstring install = outDir() + L"\\tests\\hygiene-install\\";
    CreateDirectoryW(install.c_str(), nullptr);
    // The script reads them with os.getenv, from the C runtime's copy.
    _wputenv_s(L"NELVO_UI_TESTS", scriptsDir().c_str());
    _wputenv_s(L"NELVO_HYGIENE_INSTALL", install.c_str());
    ResourceFolder store({outDir() + L"\\resources", scriptsDir()});
    setCurrentFileSystem(&store);
    const UINT_PTR watch = SetTimer(nullptr, 0, 250, watchErrorBoxes);

    const ProcessCounts start = readProcessCounts();
    std::vector<ProcessCounts> afterRun;
    g_samples.reserve(27);  // g_lastAfter points into it
    for (int run = 0; run < 3; ++run) {
        g_lastAfter = nullptr;
        runWizard(store, u"hygiene.lua", registerSetupControls, addSample);
        afterRun.push_back(readProcessCounts());
    }
    KillTimer(nullptr, watch);
    setCurrentFileSystem(nullptr);

    ASSERT_TRUE(g_errorBoxes.empty()) << std::string(g_errorBoxes[0].begin(), g_errorBoxes[0].end());
    std::printf("process at start: %s\n", show(start).c_str());
    for (const Sample& s : g_samples) std::printf("%-8s %s\n", s.label.c_str(), show(s.counts).c_str());
    for (size_t r = 0; r < afterRun.size(); ++r) std::printf("after run %zu: %s\n", r + 1, show(afterRun[r]).c_str());

    // Three windows a run, each ended by the finish (3) after the worker's
    // last notification.
    ASSERT_EQ(g_samples.size(), 27u);
    for (size_t i = 0; i < g_samples.size(); i += 3) {
        EXPECT_EQ(g_samples[i].label, "before");
        EXPECT_EQ(g_samples[i + 1].label, "during");
        EXPECT_EQ(g_samples[i + 2].label, "after 3");
        // The counts see the window, its back buffer and its icon.
        EXPECT_GT(g_samples[i + 1].counts.userObjects, g_samples[i].counts.userObjects);
        EXPECT_GT(g_samples[i + 1].counts.gdiObjects, g_samples[i].counts.gdiObjects);
    }
    for (size_t run = 0; run < 3; ++run) {
        const Sample* s = &g_samples[run * 9];
        // The first window of a run fills the skin's caches (fonts, the
        // images its pages paint); every later one gives back all it took.
        EXPECT_EQ(show(s[3].counts), show(s[2].counts)) << "run " << run + 1 << ", window 2 was made";
        EXPECT_EQ(show(s[5].counts), show(s[3].counts)) << "run " << run + 1 << ", window 2";
        EXPECT_EQ(show(s[8].counts), show(s[6].counts)) << "run " << run + 1 << ", window 3";
    }
    // The framework's stop empties the caches: every later run's first
    // window ends where the first run's did, and every run ends where the
    // first one did. What the first run leaves beyond the start (the system
    // libraries the framework loads on first use, their caches) is made
    // once: it does not grow.
    for (size_t run = 1; run < 3; ++run) {
        EXPECT_EQ(show(g_samples[run * 9 + 2].counts), show(g_samples[2].counts)) << "run " << run + 1;
        EXPECT_EQ(show(afterRun[run]), show(afterRun[0])) << "run " << run + 1;
    }

    // The installation did run: its members are there, whole.
    for (const wchar_t* name : {L"Nelvo.exe", L"Resource_black_skin.nz", L"Effect_bg_black.efc", L"nelvo.inf"}) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        EXPECT_TRUE(GetFileAttributesExW((install + name).c_str(), GetFileExInfoStandard, &data))
            << std::string(name, name + wcslen(name));
        DeleteFileW((install + name).c_str());
    }
    RemoveDirectoryW(install.c_str());
}

} // namespace
} // namespace nelvo::test
