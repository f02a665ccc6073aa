// unins000.exe: removes what the installation of Nelvo wrote. The native part
// is small: the guards every setup or uninstall program of the product
// keeps, the hand-over to a copy in the temporary folder (RemovalProcess.h)
// and the run of the uninstall script UN.lua, carried as a resource, in an
// interpreter state with the system functions and the uninstaller's own
// (UninstallFunctions.h). The script reads
//   config = {stage = 'confirm' | 'remove', installPath = <folder ending with "\">,
//             selfDeleting = <whether this copy goes when it ends>}
// The exit code is 0 on every path.

#include "base/LibrarySearch.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "host/InstanceMutex.h"
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

void notice(const wchar_t* text) { MessageBoxW(nullptr, text, L"提示", MB_OK); }

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
void runUninstallScript(const std::string& config, const RemovalStarter* starter) {
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
            registerUninstallFunctions(L, starter);
            runConfiguration(L, config);
            ran = runInstallScript(
                L, std::string_view(reinterpret_cast<const char*>(script.data()), script.size()), "@UN.lua", error);
        }
    }
    if (!ran) MessageBoxW(nullptr, utf8ToWideLenient(error).c_str(), L"错误", MB_OK);
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
        return;
    }
    if (restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        return;
    }
    const std::wstring installFolder = folderOf(programPath());
    if (installFolder.empty() || !recordedHere(installFolder)) return;
    const RemovalStarter starter = [&installFolder] {
        return startSecondStage(installFolder, instanceMutexHandle());
    };
    runUninstallScript(configText("confirm", installFolder, false), &starter);
    releaseInstanceMutex();
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
    if (stage.firstStage) WaitForSingleObject(stage.firstStage, 15000);
    // Not the install folder, which must be free to go: the private folder
    // this copy runs from, which nobody else can write to.
    const std::wstring self = programPath();
    std::wstring folder = folderOf(self);
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
    // Started for another folder (by hand: it may be any copy anywhere), it
    // touches nothing, not even its own file.
    if (!recordedHere(stage.installFolder)) return;
    runUninstallScript(configText("remove", stage.installFolder, stage.deleteOnClose != nullptr), nullptr);
    if (!stage.deleteOnClose) MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    // The folder outlives this program's file by a moment: it goes at the
    // next restart, after the file.
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (!folder.empty()) MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Started from the install folder or a temporary copy: neither may lend
    // us its libraries.
    nelvo::hardenLibrarySearch();
    try {
        SecondStage stage;
        if (parseSecondStage(GetCommandLineW(), stage))
            secondStage(stage);
        else
            firstStage();
    } catch (...) {
        // Nothing more can be done for the user than to end quietly.
    }
    return 0;
}
