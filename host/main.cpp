// Process entry of the setup program: the command line, the guards, then
// every subsystem brought up in order, the wizard script run to its end, and
// everything torn down in reverse. The exit code tells how the run ended
// (base/ExitCodes.h): the script decides it for a run that got that far.

#include "base/CommandLine.h"
#include "base/ExitCodes.h"
#include "base/LibrarySearch.h"
#include "base/RunLog.h"
#include "base/StartupPhases.h"
#include "base/TextConvert.h"
#include "base/UserQuestion.h"
#include "dui/controls/ShippedControls.h"
#include "host/InstanceMutex.h"
#include "host/LeftOverRun.h"
#include "host/PayloadCheck.h"
#include "host/RestartMarker.h"
#include "host/WizardRun.h"
#include "store/IntegrityCheck.h"
#include "store/ResourceFileSystem.h"
#include "store/ResourceIds.h"

#include <windows.h>

namespace {

constexpr wchar_t kDamaged[] = L"安装程序文件已损坏，请重新下载安装程序后再运行。";

void notice(const wchar_t* text, HWND owner = nullptr) { nelvo::askUser(owner, text, L"提示", MB_OK); }

constexpr wchar_t kUsage[] =
    L"无法识别的命令行参数：%s\r\n\r\n用法：setup.exe [/S] [/LOG=日志文件] [/FORCERESTART] [/D=安装目录]\r\n\r\n"
    L"/S\t静默安装，不显示任何窗口（视为已接受许可协议）\r\n"
    L"/LOG=\t把安装过程写入新建的日志文件\r\n"
    L"/FORCERESTART\t静默安装需要重启时自动重启电脑\r\n"
    L"/D=\t安装目录，必须放在最后，可含空格";

// The run's options from the command line; false (the program ends with the
// code for a bad command line) when it holds anything not understood. A
// run with a person is shown the usage; an unattended one only logs it.
bool readCommandLine() {
    using namespace nelvo;
    const std::u16string_view arguments = argumentsOf(asUtf16(std::wstring_view(GetCommandLineW())));
    const ParsedRunOptions parsed = parseRunOptions(
        arguments, kSwitchSilent | kSwitchFolder | kSwitchLog | kSwitchForceRestart | kSwitchNoRestart);
    // Silent as soon as the line says so, also when the rest is refused: a
    // deployment waits for no box.
    const bool silent = parsed.ok ? parsed.options.silent : arguments.find(u"/S") != std::u16string_view::npos ||
                                                                 arguments.find(u"/s") != std::u16string_view::npos;
    setUnattended(silent);
    if (parsed.ok) {
        setRunOptions(parsed.options);
        if (!parsed.options.logPath.empty()) RunLog::open(asWide(parsed.options.logPath));
        return true;
    }
    const std::wstring refused(asWide(parsed.refused));
    std::wstring text(sizeof kUsage / sizeof *kUsage + refused.size(), L'\0');
    const int n = _snwprintf(text.data(), text.size(), kUsage, refused.c_str());
    text.resize(n < 0 ? 0 : size_t(n));
    askUser(nullptr, text, L"安装Nelvo", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// The log's first lines: what ran, where, on what.
void logStart() {
    using namespace nelvo;
    if (!RunLog::active()) return;
    RunLog::write("program", std::string_view("setup.exe " NELVO_VERSION_TEXT));
    RunLog::write("command", std::wstring_view(GetCommandLineW()));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    wchar_t system[96];
    _snwprintf(system, 96, L"Windows %lu.%lu.%lu%s", version.dwMajorVersion, version.dwMinorVersion,
               version.dwBuildNumber, wow64 ? L" 64-bit" : L" 32-bit");
    system[95] = 0;
    RunLog::write("system", std::wstring_view(system));
}

// The exit code, logged, and the log closed.
int finishRun(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", code);
    nelvo::RunLog::write("exit", std::string_view(text));
    nelvo::RunLog::close();
    return code;
}

nelvo::PayloadCheck* g_payloadCheck = nullptr;

// Before the worker writes anything: a damaged payload ends the program with
// the same box as a damaged resource at start-up. The wizard's dialog ends
// on the quit message; the script has nothing left to do after it then.
bool payloadIntact() {
    if (!g_payloadCheck || g_payloadCheck->intact()) return true;
    notice(kDamaged, GetActiveWindow());
    nelvo::exitcode::set(nelvo::exitcode::kFailed);
    PostQuitMessage(0);
    return false;
}

// A timer message comes only when no window of the thread waits to be
// painted: the first time, once the wizard's window has been painted.
void CALLBACK startPayloadCheck(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_payloadCheck) g_payloadCheck->start();
}

void runSetup() {
    using namespace nelvo;

    ResourceFileSystem store(GetModuleHandleW(nullptr));
    registerSetupResources(store);
    // Destroyed before the store: its thread reads the store's source.
    PayloadCheck payload(GetModuleHandleW(nullptr), NELVO_RES_PROGRAM_LZ, store);
    g_payloadCheck = &payload;
    SetTimer(nullptr, 0, 0, &startPayloadCheck);
    setCurrentFileSystem(&store);
    runWizard(store, u"UI.lua", registerSetupControls, nullptr, &payloadIntact);
    releaseInstanceMutex();
    setCurrentFileSystem(nullptr);
    g_payloadCheck = nullptr;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace nelvo;
    // Loads no library: the search is restricted right after.
    StartupPhases::begin();
    hardenLibrarySearch();
    StartupPhases::mark("library hardening");
    if (!readCommandLine()) return finishRun(exitcode::kBadCommandLine);
    logStart();
    if (acquireInstanceMutex() == InstanceGuard::AlreadyRunning) {
        notice(L"检测到Quent安装或卸载程序正在运行，请结束后重试。");
        return finishRun(exitcode::kAnotherRunning);
    }
    // Before anything else: a run that was killed is taken back first.
    nelvo::finishLeftOverRun();
    // The mutex stays held on this path; the process's end releases it.
    if (restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        return finishRun(exitcode::kRestartPending);
    }
    StartupPhases::mark("instance guards");
    // A damaged download is refused before anything is shown or written;
    // the payload's digest is checked while the first pages show and asked
    // for before the installation starts (payloadIntact).
    if (!resourcesIntact(GetModuleHandleW(nullptr), NELVO_RES_PROGRAM_LZ)) {
        notice(kDamaged);
        return finishRun(exitcode::kFailed);
    }
    StartupPhases::mark("integrity check");
    try {
        runSetup();
    } catch (...) {
        // Nothing more can be done for the user than to end quietly.
        RunLog::write("failure", std::string_view("an exception ended the run"));
        exitcode::set(exitcode::kFailed);
    }
    // A run whose script did not say how it ended failed.
    return finishRun(exitcode::get(exitcode::kFailed));
}
