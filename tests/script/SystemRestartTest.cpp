// reboot() through replaced system calls (the machine running the tests is
// never restarted), and releaseMutex with the real instance mutex.

#include "host/InstanceMutex.h"
#include "host/ScriptGuards.h"
#include "script/SystemFunctions.h"
#include "script/SystemRestart.h"

#include <lauxlib.h>
#include <lualib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nelvo {
namespace {

// What the fake calls saw and what they answer.
struct Fake {
    static inline bool privilegeOk = true;
    static inline bool restartOk = false;
    static inline DWORD error = 0;
    static inline int restarts = 0;
    static inline std::vector<std::wstring> messages;

    static void reset(bool privilege, bool restart, DWORD code) {
        privilegeOk = privilege;
        restartOk = restart;
        error = code;
        restarts = 0;
        messages.clear();
    }
    static bool enableShutdownPrivilege() { return privilegeOk; }
    static bool restart(DWORD* e) {
        ++restarts;
        if (!restartOk) *e = error;
        return restartOk;
    }
    static void showMessage(const wchar_t* text) { messages.push_back(text); }
};

constexpr RestartCalls kFakeCalls{Fake::enableShutdownPrivilege, Fake::restart, Fake::showMessage};

TEST(Reboot, TokenFailureShowsThePrivilegeMessage) {
    Fake::reset(false, true, 0);
    requestRestart(kFakeCalls);
    EXPECT_EQ(Fake::restarts, 0);
    EXPECT_EQ(Fake::messages, std::vector<std::wstring>{L"重启电脑失败，原因：提升权限失败。请手动重启电脑。"});
}

TEST(Reboot, RefusedRestartShowsTheErrorCode) {
    Fake::reset(true, false, ERROR_PRIVILEGE_NOT_HELD);
    requestRestart(kFakeCalls);
    EXPECT_EQ(Fake::restarts, 1);
    EXPECT_EQ(Fake::messages, std::vector<std::wstring>{L"重启电脑失败，原因：1314。 请手动重启电脑。"});
}

TEST(Reboot, SuccessShowsNothing) {
    Fake::reset(true, true, 0);
    requestRestart(kFakeCalls);
    EXPECT_EQ(Fake::restarts, 1);
    EXPECT_TRUE(Fake::messages.empty());
}

TEST(Reboot, EveryErrorCodeFitsTheMessageBuffer) {
    // The longest code, printed as a signed number, fills all 32 units.
    EXPECT_EQ(restartFailedText(0x80000000), L"重启电脑失败，原因：-2147483648。 请手动重启电脑。");
    EXPECT_EQ(restartFailedText(0x80000000).size(), 31u);
    EXPECT_EQ(restartFailedText(0xFFFFFFFF), L"重启电脑失败，原因：-1。 请手动重启电脑。");
    EXPECT_EQ(restartFailedText(0), L"重启电脑失败，原因：0。 请手动重启电脑。");
}

class ScriptState : public ::testing::Test {
protected:
    void SetUp() override {
        L = luaL_newstate();
        luaL_openlibs(L);
        registerSystemFunctions(L, scriptGuards());
    }
    void TearDown() override {
        setRestartCalls(nullptr);
        lua_close(L);
    }
    void run(const char* chunk) {
        ASSERT_EQ(luaL_dostring(L, chunk), LUA_OK) << lua_tostring(L, -1);
    }
    lua_State* L = nullptr;
};

TEST_F(ScriptState, RebootFromAScriptUsesTheReplacedCalls) {
    Fake::reset(true, false, 5);
    setRestartCalls(&kFakeCalls);
    run("assert(select('#', reboot()) == 0)");
    EXPECT_EQ(Fake::messages, std::vector<std::wstring>{L"重启电脑失败，原因：5。 请手动重启电脑。"});
    EXPECT_EQ(&currentRestartCalls(), &kFakeCalls);
    setRestartCalls(nullptr);
    EXPECT_EQ(&currentRestartCalls(), &systemRestartCalls());
}

TEST_F(ScriptState, ReleaseMutexLetsAnotherCopyStart) {
    ASSERT_EQ(acquireInstanceMutex(), InstanceGuard::First) << "another setup program holds the mutex";
    ASSERT_NE(instanceMutexHandle(), nullptr);
    run("releaseMutex()");
    EXPECT_EQ(instanceMutexHandle(), nullptr);
    // The only handle is gone, so the name is free: the next copy would be
    // the first again.
    HANDLE again = CreateMutexW(nullptr, TRUE, L"Global\\QUENTINSTALLER");
    const DWORD error = GetLastError();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    run("releaseMutex()");  // nothing left to release
    releaseInstanceMutex();
}

} // namespace
} // namespace nelvo
