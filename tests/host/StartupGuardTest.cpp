// The start-up guards of setup.exe, seen as a person sees them: which
// message box appears, what happens to the restart marker, the exit code.

#include "base/ProtectedAccess.h"
#include "base/UniqueHandle.h"
#include "host/RestartMarker.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ThisUser.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>


#include <optional>
#include <string>
#include <vector>

using namespace nelvo;
using namespace nelvo::test;

namespace {

const wchar_t* const kAlreadyRunning = L"检测到Quent安装或卸载程序正在运行，请结束后重试。";
const wchar_t* const kRestartPending = L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。";
const wchar_t* const kShutdownKey = L"SYSTEM\\CurrentControlSet\\Control\\Windows";

std::wstring setupExe() { return outDir() + L"\\setup.exe"; }
std::wstring brokenSetupExe() { return outDir() + L"\\tests\\setup-script-error.exe"; }

const wchar_t* const kMarkerKey = L"Software\\QuentNelvo";

// The machine's marker, as an administrator's program writes it.
void writeMarker(const std::vector<uint8_t>& bytes) {
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMarkerKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"RestartPending", 0, REG_BINARY, bytes.data(), DWORD(bytes.size())),
              ERROR_SUCCESS);
}

std::optional<std::vector<uint8_t>> readMarker() {
    std::vector<uint8_t> bytes(64);
    DWORD size = DWORD(bytes.size());
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kMarkerKey, L"RestartPending", RRF_RT_REG_BINARY,
                     nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

// A marker file where earlier versions wrote it, in the user's temporary
// folder.
void writeLegacyMarker(const std::vector<uint8_t>& bytes) {
    UniqueFileHandle f(CreateFileW(legacyRestartMarkerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
}

bool legacyMarkerExists() { return GetFileAttributesW(legacyRestartMarkerPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sets or removes the machine's ShutdownTime for one test and puts the
// original back afterwards.
class ShutdownTimeOverride {
public:
    ShutdownTimeOverride() {
        UniqueRegKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kShutdownKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
            DWORD size = sizeof original_, type = 0;
            hadValue_ = RegQueryValueExW(key.get(), L"ShutdownTime", nullptr, &type, original_, &size) ==
                            ERROR_SUCCESS &&
                        size == 8;
        }
    }
    ~ShutdownTimeOverride() {
        if (hadValue_)
            set(original_);
        else
            remove();
    }
    void set(const uint8_t (&value)[8]) {
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kShutdownKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), L"ShutdownTime", 0, REG_BINARY, value, 8), ERROR_SUCCESS);
    }
    void remove() {
        UniqueRegKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kShutdownKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
            RegDeleteValueW(key.get(), L"ShutdownTime");
    }

private:
    uint8_t original_[8] = {};
    bool hadValue_ = false;
};

class StartupGuard : public ::testing::Test {
protected:
    void SetUp() override { clearRestartMarker(); }
    void TearDown() override { clearRestartMarker(); }

    RunResult run(const std::wstring& shot, const std::wstring& exe = setupExe()) {
        RunOptions o;
        o.screenshotPrefix = shot;
        closeWizardsOnSight(o);
        RunResult r = runAndAnswer(exe, o);
        EXPECT_TRUE(r.started) << "could not start the setup program";
        EXPECT_TRUE(r.finished) << "the setup program did not end in time";
        EXPECT_EQ(r.exitCode, 0u);
        return r;
    }

    static bool sawMessage(const RunResult& r, const std::wstring& caption, const std::wstring& text) {
        for (const SeenWindow& w : r.windows)
            if (w.caption == caption && w.text == text) return true;
        return false;
    }
};

} // namespace

TEST_F(StartupGuard, SecondCopyShowsItsMessageAndLeavesTheMarkerAlone) {
    // This process plays the first copy, with the mutex made as setup makes it.
    SecurityDescriptor access(kInstanceMutexAccess);
    UniqueKernelHandle first(CreateMutexW(access.attributes(), TRUE, L"Global\\QUENTINSTALLER"));
    ASSERT_TRUE(first);
    writeMarker({1, 2, 3});
    const RunResult r = run(L"guard-second-instance");
    EXPECT_TRUE(sawMessage(r, L"提示", kAlreadyRunning));
    EXPECT_EQ(r.windows.size(), 1u);
    EXPECT_EQ(readMarker(), std::vector<uint8_t>({1, 2, 3}));
}

// A program without administrator rights that takes the name first does
// not keep setup from running.
TEST_F(StartupGuard, MutexTakenByAnyoneElseDoesNotStopSetup) {
    const std::wstring byThisUser = descriptorOwnedByThisUser();
    ASSERT_FALSE(byThisUser.empty());
    SecurityDescriptor someone(byThisUser.c_str());
    UniqueKernelHandle squatter(CreateMutexW(someone.attributes(), TRUE, L"Global\\QUENTINSTALLER"));
    ASSERT_TRUE(squatter);
    const RunResult r = run(L"guard-squatted-mutex");
    EXPECT_FALSE(r.sawCaption(L"提示"));
    EXPECT_TRUE(r.sawCaption(L"退出安装程序")) << "the wizard came up and was closed";
}

TEST_F(StartupGuard, StaleMarkersAreDeletedAndStartUpGoesOn) {
    writeMarker({1, 2, 3, 4, 5, 6, 7});  // 7 bytes: too short to mean anything
    RunResult r = run(L"guard-short-marker");
    EXPECT_FALSE(r.sawCaption(L"提示"));
    EXPECT_FALSE(readMarker());

    ShutdownTimeOverride shutdown;
    const uint8_t now[8] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    shutdown.set(now);
    writeMarker({0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x81});  // an older shutdown
    r = run(L"guard-old-marker");
    EXPECT_FALSE(r.sawCaption(L"提示"));
    EXPECT_FALSE(readMarker());
}

TEST_F(StartupGuard, MarkerMatchingTheShutdownTimeRefusesStartUp) {
    ShutdownTimeOverride shutdown;
    const uint8_t now[8] = {0xC7, 0x91, 0x3E, 0x5B, 0x01, 0x02, 0x03, 0x04};
    shutdown.set(now);
    uint8_t read[8] = {};
    ASSERT_TRUE(readShutdownTime(read));
    EXPECT_EQ(std::vector<uint8_t>(read, read + 8), std::vector<uint8_t>(now, now + 8));

    const std::vector<uint8_t> marker(now, now + 8);
    writeMarker(marker);
    RunResult r = run(L"guard-restart-pending");
    EXPECT_TRUE(sawMessage(r, L"提示", kRestartPending));
    // No window other than the message box.
    EXPECT_EQ(r.windows.size(), 1u);
    EXPECT_EQ(readMarker(), marker);

    // A longer marker is judged by its first 8 bytes.
    std::vector<uint8_t> longer = marker;
    longer.insert(longer.end(), {9, 9, 9, 9});
    writeMarker(longer);
    r = run(L"guard-restart-pending-12");
    EXPECT_TRUE(sawMessage(r, L"提示", kRestartPending));
    EXPECT_EQ(readMarker(), longer);
}

// The marker is the machine's: written where only administrators can
// write, nothing in the user's temporary folder. A marker file of an earlier
// version there still counts, once: it becomes the machine's marker and is
// deleted; one that cannot be opened, or that no longer matches, does not
// stop start-up.
TEST_F(StartupGuard, MarkerIsTheMachinesAndAnEarlierVersionsFileCountsOnce) {
    ShutdownTimeOverride shutdown;
    const uint8_t now[8] = {0x21, 0x43, 0x65, 0x87, 0x09, 0xBA, 0xDC, 0xFE};
    shutdown.set(now);
    const std::vector<uint8_t> marker(now, now + 8);
    writeRestartMarker();
    EXPECT_EQ(readMarker(), marker);
    EXPECT_FALSE(legacyMarkerExists());
    EXPECT_TRUE(sawMessage(run(L"guard-marker-written"), L"提示", kRestartPending));

    clearRestartMarker();
    std::vector<uint8_t> legacy = marker;
    legacy.insert(legacy.end(), {9, 9});  // judged by its first 8 bytes
    writeLegacyMarker(legacy);
    EXPECT_TRUE(sawMessage(run(L"guard-legacy-marker"), L"提示", kRestartPending));
    EXPECT_FALSE(legacyMarkerExists());
    EXPECT_EQ(readMarker(), marker);

    clearRestartMarker();
    writeLegacyMarker(marker);
    {
        // Held open without sharing: setup cannot open it (nor delete it).
        UniqueFileHandle lock(
            CreateFileW(legacyRestartMarkerPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_FALSE(run(L"guard-locked-marker").sawCaption(L"提示"));
    }
    EXPECT_FALSE(readMarker());

    writeLegacyMarker({0x21, 0x43, 0x65, 0x87, 0x09, 0xBA, 0xDC, 0xFF});  // an older shutdown
    EXPECT_FALSE(run(L"guard-old-legacy-marker").sawCaption(L"提示"));
    EXPECT_FALSE(legacyMarkerExists());
    EXPECT_FALSE(readMarker());
}

TEST_F(StartupGuard, ZeroMarkerCountsWhenTheShutdownTimeCannotBeRead) {
    ShutdownTimeOverride shutdown;
    shutdown.remove();
    uint8_t read[8] = {};
    ASSERT_FALSE(readShutdownTime(read));

    writeMarker(std::vector<uint8_t>(8, 0));
    const RunResult r = run(L"guard-zero-marker");
    EXPECT_TRUE(sawMessage(r, L"提示", kRestartPending));
    EXPECT_TRUE(readMarker());
}

TEST_F(StartupGuard, ScriptErrorIsShownAndTheExitCodeStaysZero) {
    const RunResult r = run(L"guard-script-error", brokenSetupExe());
    ASSERT_EQ(r.windows.size(), 1u);
    EXPECT_EQ(r.windows[0].caption, L"错误");
    // The chunk is named by its own text: the message starts with the
    // script's first line in brackets, then the line of the error.
    EXPECT_EQ(r.windows[0].text.rfind(L"[string \"-- A wizard script with a mistake", 0), 0u) << r.windows[0].text;
    EXPECT_NE(r.windows[0].text.find(L":3:"), std::wstring::npos) << r.windows[0].text;
}

// Watched from inside the process (tests/host/MutexProbe.cpp): the teardown
// closes the mutex before the process ends; after releaseMutex a new copy
// can take the mutex at once, and the teardown closes nothing, also not a
// handle that took the released one's place.
TEST_F(StartupGuard, TeardownClosesTheMutexOnlyWhenTheScriptDidNot) {
    const std::wstring out = outDir() + L"\\tests\\mutex-probe.txt";
    SetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_OUT", out.c_str());
    auto probe = [&](const wchar_t* release) {
        DeleteFileW(out.c_str());
        SetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_RELEASE", release);
        const RunResult r = run(std::wstring(L"guard-mutex-probe-") + release,
                                outDir() + L"\\tests\\setup-mutex-probe.exe");
        EXPECT_TRUE(r.windows.empty()) << r.windows[0].caption << ": " << r.windows[0].text;
        std::string line(96, '\0');
        UniqueFileHandle f(CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD read = 0;
        if (f) ReadFile(f.get(), line.data(), DWORD(line.size()), &read, nullptr);
        line.resize(read);
        return line;
    };
    EXPECT_EQ(probe(L"0"), "fresh=0 ownKept=0 freeAtExit=1\n");
    EXPECT_EQ(probe(L"1"), "fresh=1 ownKept=1 freeAtExit=1\n");
    SetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_OUT", nullptr);
    SetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_RELEASE", nullptr);
}

// A normal run up to the wizard's window. The elevated program writes
// nowhere an environment variable names: the start-up phases variable that
// a benchmark of an earlier build set makes no file appear.
TEST_F(StartupGuard, NormalRunEndsWithExitCodeZeroAndWritesNoPhasesFile) {
    const std::wstring phases = L"C:\\nelvo-phases-switch.txt";
    DeleteFileW(phases.c_str());
    SetEnvironmentVariableW(L"NELVO_STARTUP_PHASES", phases.c_str());
    const RunResult r = run(L"setup-run");
    SetEnvironmentVariableW(L"NELVO_STARTUP_PHASES", nullptr);
    EXPECT_FALSE(r.sawCaption(L"提示"));
    EXPECT_FALSE(r.sawCaption(L"错误"));
    EXPECT_EQ(GetFileAttributesW(phases.c_str()), INVALID_FILE_ATTRIBUTES) << "setup.exe wrote where the variable says";
    DeleteFileW(phases.c_str());
}
