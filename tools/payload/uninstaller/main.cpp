// unins000.exe: removes what the installation of Nelvo wrote. The native part
// is small: the guards every setup or uninstall program of the product
// keeps, the hand-over to a copy in the temporary folder (RemovalProcess.h)
// and the run of the uninstall script UN.lua, carried as a resource, in an
// interpreter state with the system functions and the uninstaller's own
// (UninstallFunctions.h). The script reads
//   config = {stage = 'confirm' | 'remove', installPath = <folder ending with "\">,
//             selfDeleting = <whether this copy goes when it ends>}
// The exit code is the removal's (base/ExitCodes.h): the first stage waits
// for the second to send it. /S removes with no window and no box; /LOG=
// writes a log of the run, which the second stage goes on writing.

#include "base/CommandLine.h"
#include "base/ExitCodes.h"
#include "base/LibrarySearch.h"
#include "base/RunLog.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "base/UserQuestion.h"
#include "host/InstanceMutex.h"
#include "host/LeftOverRun.h"
#include "host/RestartMarker.h"
#include "host/ScriptGuards.h"
#include "host/WorkerState.h"
#include "script/SystemFunctions.h"
#include "store/ResourceFileSystem.h"
#include "tools/payload/uninstaller/RemovalProcess.h"
#include "tools/payload/uninstaller/UninstallEntry.h"
#include "tools/payload/uninstaller/UninstallFunctions.h"
#include "tools/payload/uninstaller/UninstallResources.h"

#include <windows.h>

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <memory>
#include <string>

namespace {

using namespace nelvo;
using namespace nelvo::uninstall;

void notice(const wchar_t* text) { askUser(nullptr, text, L"提示", MB_OK); }

// Whether the machine's uninstall entry names `installFolder`; says so in a
// box when it does not.
bool recordedHere(const std::wstring& installFolder) {
    if (sameFolder(recordedInstallFolder(), installFolder)) return true;
    notice((L"在文件夹 " + installFolder + L" 中没有找到 Nelvo 的安装，无法卸载。").c_str());
    return false;
}

struct StateCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};

// Runs UN.lua with the configuration `config`; its errors in the "错误" box.
void runUninstallScript(const std::string& config, const RemovalStarter* starter,
                        const ResultHandOver* handOver = nullptr) {
    ResourceFileSystem store(GetModuleHandleW(nullptr));
    store.registerName(u"UN.lua", NELVO_RES_UN_LUA);
    const HeapBlock script = store.load(u"UN.lua");
    std::string error = "UN.lua is missing";
    bool ran = false;
    if (script) {
        const std::unique_ptr<lua_State, StateCloser> state(luaL_newstate());
        if (state) {
            lua_State* L = state.get();
            luaL_openlibs(L);
            // After the libraries, so that the system print replaces theirs.
            registerSystemFunctions(L, scriptGuards());
            registerUninstallFunctions(L, starter, handOver);
            // The removal in the user's folder runs with the user's rights.
            // Both stages have them: the second runs with the token the
            // first was elevated with, whose linked token is the user's.
            registerAsUser(L);
            runConfiguration(L, config);
            ran = runInstallScript(
                L, std::string_view(reinterpret_cast<const char*>(script.data()), script.size()), "@UN.lua", error);
        }
    }
    if (!ran) {
        askUser(nullptr, utf8ToWideLenient(error), L"错误", MB_OK);
        exitcode::set(exitcode::kFailed);
    }
}

std::string configText(const char* stage, const std::wstring& installFolder, bool selfDeleting) {
    return std::string("{stage='") + stage + "',installPath=" + longBracket(wideToUtf8(installFolder)) +
           ",selfDeleting=" + (selfDeleting ? "true" : "false") + "}";
}

// Started from the install folder: the guards, the folder the uninstall
// entry names (no other), then the script's confirmation, which calls
// startRemoval (or removes in place when no copy can run).
void firstStage() {
    if (acquireInstanceMutex() == InstanceGuard::AlreadyRunning) {
        notice(L"检测到Quent安装或卸载程序正在运行，请结束后重试。");
        exitcode::set(exitcode::kAnotherRunning);
        return;
    }
    // An installation that was killed is taken back before anything is
    // removed.
    finishLeftOverRun();
    if (restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        exitcode::set(exitcode::kRestartPending);
        return;
    }
    const std::wstring installFolder = folderOf(programPath());
    if (installFolder.empty() || !recordedHere(installFolder)) {
        exitcode::set(exitcode::kFailed);
        return;
    }
    // The second stage sends the removal's exit code through this pipe.
    UniqueKernelHandle reportRead;
    UniqueKernelHandle reportWrite;
    if (!CreatePipe(reportRead.put(), reportWrite.put(), nullptr, 0)) {
        reportRead.release();
        reportWrite.release();
    }
    bool handedOver = false;
    const RemovalStarter starter = [&] {
        const unsigned options = (runOptions().silent ? kRemovalSilent : 0) |
                                 (runOptions().forceRestart ? kRemovalForceRestart : 0);
        handedOver = startSecondStage(installFolder, instanceMutexHandle(), reportWrite.get(),
                                      static_cast<HANDLE>(RunLog::handle()), options);
        return handedOver;
    };
    runUninstallScript(configText("confirm", installFolder, false), &starter);
    releaseInstanceMutex();
    if (!handedOver) return;
    // Ours closed, the second stage's copy is the pipe's only writer: a
    // second stage that ends without a word breaks the pipe.
    reportWrite.reset();
    int32_t code = exitcode::kSuccess;
    DWORD read = 0;
    if (!reportRead || !ReadFile(reportRead.get(), &code, sizeof code, &read, nullptr) || read != sizeof code)
        code = reportRead ? exitcode::kFailed : exitcode::kSuccess;
    exitcode::set(code);
}

// The copy in the temporary folder: waits for the first stage to end, so
// that its file can go, and removes the product from the folder it was
// given, only while the uninstall entry still names that folder (anyone
// can start this program with any folder).
void secondStage(const SecondStage& stage) {
    const UniqueKernelHandle mutex(stage.mutex);
    const UniqueKernelHandle firstStageProcess(stage.firstStage);
    const UniqueKernelHandle deleteOnClose(stage.deleteOnClose);
    for (HANDLE h : {stage.mutex, stage.firstStage, stage.deleteOnClose})
        if (h) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);
    UniqueKernelHandle report(stage.report);
    if (stage.report) SetHandleInformation(stage.report, HANDLE_FLAG_INHERIT, 0);
    if (stage.log) {
        SetHandleInformation(stage.log, HANDLE_FLAG_INHERIT, 0);
        RunLog::adopt(stage.log);
    }
    setUnattended((stage.options & kRemovalSilent) != 0);
    RunOptions options;
    options.silent = (stage.options & kRemovalSilent) != 0;
    options.forceRestart = (stage.options & kRemovalForceRestart) != 0;
    setRunOptions(options);
    // Without a report to send, the first stage ends at once: its file is
    // free before the removal starts. With one, the script hands the code
    // over and waits for that end itself, before it deletes the file.
    if (stage.firstStage && !stage.report) WaitForSingleObject(stage.firstStage, 15000);
    const ResultHandOver handOver = [&](int code) {
        if (report) {
            const int32_t value = code;
            DWORD written = 0;
            WriteFile(report.get(), &value, sizeof value, &written, nullptr);
            report.reset();
        }
        if (stage.firstStage) WaitForSingleObject(stage.firstStage, 15000);
    };
    // Not the install folder, which must be free to go: the private folder
    // this copy runs from, which nobody else can write to.
    const std::wstring self = programPath();
    std::wstring folder = folderOf(self);
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
    // Started for another folder (by hand: it may be any copy anywhere), it
    // touches nothing, not even its own file.
    if (!recordedHere(stage.installFolder)) {
        if (report) handOver(exitcode::kFailed);
        return;
    }
    runUninstallScript(configText("remove", stage.installFolder, stage.deleteOnClose != nullptr), nullptr,
                       stage.report ? &handOver : nullptr);
    // A script that ended before it handed a code over failed.
    if (report) handOver(exitcode::kFailed);
    RunLog::close();
    if (!stage.deleteOnClose) MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    // The folder outlives this program's file by a moment: it goes at the
    // next restart, after the file.
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (!folder.empty()) MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}


// The first stage's command line: /S and /LOG=. False (nothing is done) for
// anything else; a person is shown the usage.
bool readCommandLine() {
    const std::u16string_view arguments = argumentsOf(asUtf16(std::wstring_view(GetCommandLineW())));
    const ParsedRunOptions parsed = parseRunOptions(arguments, kSwitchSilent | kSwitchLog);
    setUnattended(parsed.ok ? parsed.options.silent
                            : arguments.find(u"/S") != std::u16string_view::npos ||
                                  arguments.find(u"/s") != std::u16string_view::npos);
    if (!parsed.ok) {
        askUser(nullptr,
                L"无法识别的命令行参数：" + std::wstring(asWide(parsed.refused)) +
                    L"\r\n\r\n用法：unins000.exe [/S] [/LOG=日志文件]\r\n\r\n"
                    L"/S\t静默卸载，不显示任何窗口\r\n/LOG=\t把卸载过程写入新建的日志文件",
                L"卸载 Nelvo", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    setRunOptions(parsed.options);
    if (!parsed.options.logPath.empty() && RunLog::open(asWide(parsed.options.logPath))) {
        RunLog::write("program", std::string_view("unins000.exe"));
        RunLog::write("command", std::wstring_view(GetCommandLineW()));
    }
    return true;
}

int logged(int code) {
    RunLog::write("exit", std::string_view(std::to_string(code)));
    RunLog::close();
    return code;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Started from the install folder or a temporary copy: neither may lend
    // us its libraries.
    nelvo::hardenLibrarySearch();
    try {
        SecondStage stage;
        if (parseSecondStage(GetCommandLineW(), stage)) {
            secondStage(stage);
            return exitcode::get(exitcode::kFailed);
        }
        if (!readCommandLine()) return logged(exitcode::kBadCommandLine);
        firstStage();
    } catch (...) {
        // Nothing more can be done for the user than to end quietly.
        exitcode::set(exitcode::kFailed);
    }
    return logged(exitcode::get(exitcode::kFailed));
}
