// The install worker and the main-thread dispatcher in one process, started
// as setup.exe starts them: the resource store over this program's resources
// (WorkerTest.rc: a test install script and a small package), the framework,
// the dispatcher, and an application-level handler of AppNotify standing in
// for the wizard's message handler.

#include "base/TextConvert.h"
#include "base/UserRights.h"
#include "dui/Framework.h"
#include "dui/UiContext.h"
#include "host/LuaWork.h"
#include "host/MainThreadDispatcher.h"
#include "host/WorkerState.h"
#include "store/ResourceFileSystem.h"
#include "tests/support/FolderLink.h"
#include "tests/support/MessagePump.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace nelvo {
namespace {

// Where the main thread was when a notification arrived.
bool g_inBox = false;
bool g_inMove = false;
HWND g_moveWindow = nullptr;

struct Seen {
    std::string text;
    bool inBox;
    bool inMove;
};
std::vector<Seen> g_seen;
std::deque<int32_t> g_answers;  // the wizard's answers in order; 1 when none is left

BOOL CALLBACK closeIfMessageBox(HWND hwnd, LPARAM) {
    wchar_t name[16] = {};
    if (GetClassNameW(hwnd, name, 16) && std::wstring(name) == L"#32770") PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// Ends the message box of this thread and the move loop, if any.
void endNestedLoops() {
    EnumThreadWindows(GetCurrentThreadId(), closeIfMessageBox, 0);
    if (g_inMove) PostMessageW(g_moveWindow, WM_KEYDOWN, VK_RETURN, 0);
}

void CALLBACK endNestedLoopsLate(HWND, UINT, UINT_PTR, DWORD) { endNestedLoops(); }

// The wizard's part: records, answers, and ends the nested loop once the
// script has said which answers it got.
void wizard(void*, Control*, Event* event) {
    const std::string text = reinterpret_cast<const char*>(event->param1);
    g_seen.push_back({text, g_inBox, g_inMove});
    event->param2 = 1;
    if (!g_answers.empty()) {
        event->param2 = g_answers.front();
        g_answers.pop_front();
    }
    if (text.starts_with("{code=2,answers=")) endNestedLoops();
}

LRESULT CALLBACK moveWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERSIZEMOVE) {
        g_inMove = true;
        // Started from inside the loop, so that every notification meets it.
        EXPECT_TRUE(LuaWork::start(u"LG.lua", u"program.lz", "{mode='two'}"));
    } else if (message == WM_EXITSIZEMOVE) {
        g_inMove = false;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A "错误" box of the worker, if one is open.
HWND errorBox() { return FindWindowW(L"#32770", L"错误"); }

std::string readFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring tempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}

class WorkerTest : public ::testing::Test {
protected:
    WorkerTest() {
        registerSetupResources(store_);
        store_.registerName(u"damaged.lz", 200);
    }
    void SetUp() override {
        setCurrentFileSystem(&store_);
        ASSERT_TRUE(framework_.started());
        ASSERT_TRUE(MainThreadDispatcher::start());
        ASSERT_TRUE(UiContext::current()->addAppHandler(EventCode::AppNotify, nullptr, &wizard));
        g_seen.clear();
        g_answers.clear();
    }
    void TearDown() override {
        MainThreadDispatcher::stop();
        EXPECT_FALSE(LuaWork::running());
        setCurrentFileSystem(nullptr);
    }

    // Answers notifications until the worker has ended. A box the worker
    // shows is closed, and the run fails.
    static bool waitForWorker() {
        if (test::pumpUntil(20000, [] { return !LuaWork::running() || errorBox(); }) && !LuaWork::running()) return true;
        if (HWND box = errorBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        test::pumpUntil(5000, [] { return !LuaWork::running(); });
        return false;
    }
    static bool runToEnd(std::u16string script, std::u16string package, std::string configuration) {
        return LuaWork::start(std::move(script), std::move(package), std::move(configuration)) && waitForWorker();
    }

    ResourceFileSystem store_{GetModuleHandleW(nullptr)};
    FrameworkScope framework_;
};

TEST_F(WorkerTest, NotificationsAreAnsweredInOrderInsideNestedLoops) {
    const UINT_PTR late = SetTimer(nullptr, 0, 15000, endNestedLoopsLate);

    // In a message box.
    g_answers = {4, 7};
    ASSERT_TRUE(LuaWork::start(u"LG.lua", u"program.lz", "{mode='two'}"));
    g_inBox = true;
    MessageBoxW(nullptr, L"等待安装通知", L"通知测试", MB_OK);
    g_inBox = false;
    ASSERT_TRUE(waitForWorker());
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].text, "{code=4,position=1,text=[[第一步]]}");
    EXPECT_EQ(g_seen[1].text, "{code=4,position=2,text=[[第二步]]}");
    EXPECT_EQ(g_seen[2].text, "{code=2,answers=[[4 7]]}");
    for (const Seen& seen : g_seen) EXPECT_TRUE(seen.inBox) << seen.text;

    // In the move loop of a window (the system's, entered through
    // WM_SYSCOMMAND SC_MOVE, ended by a posted Return key).
    g_seen.clear();
    g_answers = {2, 5};
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = moveWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NelvoWorkerTestWindow";
    RegisterClassW(&windowClass);
    g_moveWindow = CreateWindowExW(0, windowClass.lpszClassName, L"移动测试", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                   100, 320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(g_moveWindow);
    test::pump(100);
    SendMessageW(g_moveWindow, WM_SYSCOMMAND, SC_MOVE, 0);
    EXPECT_FALSE(g_inMove);
    ASSERT_TRUE(waitForWorker());
    DestroyWindow(g_moveWindow);
    KillTimer(nullptr, late);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[2].text, "{code=2,answers=[[2 5]]}");
    for (const Seen& seen : g_seen) EXPECT_TRUE(seen.inMove) << seen.text;
}

TEST_F(WorkerTest, ExtractFileReadsBackslashesAsFolderSeparators) {
    // The folder's name holds "]]": the configuration chunk carries it whole.
    const std::wstring dir = tempFolder() + L"nelvo]]worker\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    DeleteFileW((dir + L"black.efc").c_str());
    DeleteFileW((dir + L"absent.efc").c_str());

    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", "{mode='extract',dir=" + longBracket(wideToUtf8(dir)) + "}"));
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].text, "{code=2,found=true,absent=false}");

    HeapBlock packageBytes = store_.load(u"program.lz");
    const auto package = LzPackage::open(packageBytes.data(), packageBytes.size());
    ASSERT_TRUE(package);
    const HeapBlock member = package->lookup(u"Effect/bg/black.efc");
    ASSERT_TRUE(member);
    EXPECT_EQ(readFile(dir + L"black.efc"), member.text());
    EXPECT_EQ(GetFileAttributesW((dir + L"absent.efc").c_str()), INVALID_FILE_ATTRIBUTES);

    DeleteFileW((dir + L"black.efc").c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST_F(WorkerTest, FailuresReachTheWizardAndAreShownOnce) {
    // A run-time error of the script goes to the wizard as code 6, the
    // character its message ends in replaced; the wizard answers 2 and the
    // worker shows nothing itself (a box would hold the worker).
    // The run is then taken back (11, 12), with nothing to take back.
    g_answers = {2};
    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", "{mode='error'}"));
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[1].text, "{code=11}");
    EXPECT_EQ(g_seen[2].text, "{code=12,complete=true,driver=false}");
    EXPECT_TRUE(g_seen[0].text.starts_with("{code=6,error=[[LG.lua:")) << g_seen[0].text;
    EXPECT_TRUE(g_seen[0].text.ends_with(": 安装失败\xEF\xBF\xBD]]}")) << g_seen[0].text;

    // A name that is not a resource, and a resource that is no package.
    const struct {
        std::u16string script, package;
        std::string notification;
    } cases[] = {
        {u"absent.lua", u"program.lz", "{code=6,error=[[找不到安装资源：absent.lua]]}"},
        {u"LG.lua", u"absent.lz", "{code=6,error=[[找不到安装资源：absent.lz]]}"},
        {u"LG.lua", u"damaged.lz", "{code=6,error=[[安装资源已损坏：damaged.lz]]}"},
    };
    for (const auto& c : cases) {
        g_seen.clear();
        g_answers = {2};
        ASSERT_TRUE(runToEnd(c.script, c.package, ""));
        ASSERT_EQ(g_seen.size(), 3u);
        EXPECT_EQ(g_seen[0].text, c.notification);
    }

    // When the wizard does not take it, the worker shows the message itself.
    g_seen.clear();
    ASSERT_TRUE(LuaWork::start(u"absent.lua", u"program.lz", ""));
    ASSERT_TRUE(test::pumpUntil(20000, [] { return errorBox() != nullptr; }));
    wchar_t text[256] = {};
    GetDlgItemTextW(errorBox(), 0xFFFF, text, 256);
    EXPECT_EQ(std::wstring(text), L"找不到安装资源：absent.lua");
    PostMessageW(errorBox(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(test::pumpUntil(20000, [] { return !LuaWork::running(); }));
    EXPECT_EQ(g_seen.size(), 3u);
}

TEST_F(WorkerTest, StopAnswersWhatCannotRunAndWaitsForTheWorker) {
    const std::wstring out = tempFolder() + L"nelvo-worker-stop.txt";
    DeleteFileW(out.c_str());
    ASSERT_TRUE(LuaWork::start(u"LG.lua", u"program.lz", "{mode='stop',out=" + longBracket(wideToUtf8(out)) + "}"));
    // One worker at a time.
    EXPECT_FALSE(LuaWork::start(u"LG.lua", u"program.lz", "{mode='two'}"));

    // This thread reads no message meanwhile, so the first notification is
    // still queued when stop drops it: nobody answers it, and the script
    // ends there (it would write the answers a second later). Stop waits
    // for the worker.
    Sleep(200);
    MainThreadDispatcher::stop();
    EXPECT_FALSE(LuaWork::running());
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES) << "the script went on";
    EXPECT_TRUE(g_seen.empty());
    DeleteFileW(out.c_str());
}

TEST_F(WorkerTest, WithoutTheFrameworkNotificationsEndTheScript) {
    // As between the framework's stop and the dispatcher's at the end of a
    // run: the tasks still run, find no UiContext, and nobody answers.
    stopFramework();
    const std::wstring out = tempFolder() + L"nelvo-worker-nocontext.txt";
    DeleteFileW(out.c_str());
    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", "{mode='stop',out=" + longBracket(wideToUtf8(out)) + "}"));
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES) << "the script went on";
    EXPECT_TRUE(g_seen.empty());
    DeleteFileW(out.c_str());
}

// The names in a folder (not "." and ".."), hidden ones marked "*".
std::vector<std::wstring> listing(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(name + ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ? L"*" : L""));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// One run changes a folder in every way the journal knows (a folder tree
// made, a file replaced, files created, moved over a user's file and moved
// on). Without the wizard's "done" the run is taken back exactly: the old
// files byte for byte with their attributes, nothing new left, no kept copy;
// with it the kept copies go and the changes stay; a notification nobody
// answers ends the script at once and the run is taken back silently.
TEST_F(WorkerTest, RunsWithoutSuccessAreTakenBack) {
    const std::wstring dir = tempFolder() + L"nelvo-undo\\";
    const std::string oldBytes("old\0content\r\n", 14), userBytes = "the user's own";
    HeapBlock packageBytes = store_.load(u"program.lz");
    const auto package = LzPackage::open(packageBytes.data(), packageBytes.size());
    ASSERT_TRUE(package);
    const std::string member(package->lookup(u"Effect/bg/black.efc").text());
    DWORD oldAttributes = 0;
    const auto clear = [&] {
        for (const wchar_t* name : {L"old.bin", L"user.txt", L"moved.efc", L"kept.efc", L"made\\deeper\\new.efc"}) {
            SetFileAttributesW((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((dir + name).c_str());
        }
        RemoveDirectoryW((dir + L"made\\deeper").c_str());
        RemoveDirectoryW((dir + L"made").c_str());
    };
    const auto prepare = [&] {
        clear();
        CreateDirectoryW(dir.c_str(), nullptr);
        std::ofstream((dir + L"old.bin").c_str(), std::ios::binary) << oldBytes;
        std::ofstream((dir + L"user.txt").c_str(), std::ios::binary) << userBytes;
        SetFileAttributesW((dir + L"old.bin").c_str(), FILE_ATTRIBUTE_READONLY);
        oldAttributes = GetFileAttributesW((dir + L"old.bin").c_str());
        g_seen.clear();
    };
    const auto expectUndone = [&](const char* how) {
        EXPECT_EQ(readFile(dir + L"old.bin"), oldBytes) << how;
        EXPECT_EQ(GetFileAttributesW((dir + L"old.bin").c_str()), oldAttributes) << how;
        EXPECT_EQ(readFile(dir + L"user.txt"), userBytes) << how;
        EXPECT_EQ(listing(dir), (std::vector<std::wstring>{L"old.bin", L"user.txt"})) << how;
    };
    const std::string config = "{mode='undo',dir=" + longBracket(wideToUtf8(dir));

    prepare();
    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", config + "}"));
    expectUndone("the script ended without code 2");
    ASSERT_EQ(g_seen.size(), 4u);
    EXPECT_EQ(g_seen[2].text, "{code=11}");
    EXPECT_EQ(g_seen[3].text, "{code=12,complete=true,driver=false}");

    prepare();
    g_answers = {0};
    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", config + "}"));
    expectUndone("nobody answered");
    ASSERT_EQ(g_seen.size(), 1u) << "the script went on, or the undo was announced to nobody";

    prepare();
    ASSERT_TRUE(runToEnd(u"LG.lua", u"program.lz", config + ",finish=true}"));
    EXPECT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(readFile(dir + L"old.bin"), member);
    EXPECT_EQ(readFile(dir + L"moved.efc"), member);
    EXPECT_EQ(listing(dir), (std::vector<std::wstring>{L"made", L"moved.efc", L"old.bin"}))
        << "the user's file was moved over and on, as the script asked; no kept copy stays";

    SetCurrentDirectoryW(tempFolder().c_str());
    clear();
    RemoveDirectoryW(dir.c_str());
}

DWORD WINAPI undoJournal(void* journal) {
    static_cast<UndoJournal*>(journal)->undo();
    return 0;
}

// The settings file's move into the user's folder (made inside asUser) is
// taken back with the rights it was made with: while the undo waits for the
// file, which the product still holds, its thread carries the user's token
// without Administrators; the file goes back and the user's earlier file
// takes its place again. A link put at the target's folder after the move
// moves nothing back from where it leads.
TEST(UndoJournalUserSide, SettingsMoveGoesBackWithTheUsersRightsAndNeverThroughALink) {
    const std::wstring dir = tempFolder() + L"nelvo-journal-user", install = dir + L"\\install",
                       codecs = dir + L"\\codecs", aside = dir + L"\\codecs-aside", victim = L"C:\\nelvo-journal-victim2";
    const std::wstring source = install + L"\\config_default", target = codecs + L"\\config_default";
    const auto clear = [&] {
        test::removeFolderLink(codecs);
        for (const std::wstring& folder : {install, codecs, aside, victim}) {
            for (std::wstring file : listing(folder + L"\\")) {
                if (file.back() == L'*') file.pop_back();
                SetFileAttributesW((folder + L"\\" + file).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((folder + L"\\" + file).c_str());
            }
            RemoveDirectoryW(folder.c_str());
        }
        RemoveDirectoryW(dir.c_str());
    };
    const auto moveAsTheScriptDoes = [&](UndoJournal& journal) {
        const ActingAsUser user;
        ASSERT_TRUE(user.acting());
        size_t change = 0;
        ASSERT_TRUE(journal.recordMove(source, target, change));
        ASSERT_TRUE(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
        journal.made(change);
    };
    clear();
    for (const std::wstring& folder : {dir, install, codecs, victim}) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::ofstream(source.c_str(), std::ios::binary) << "shipped";
    std::ofstream(target.c_str(), std::ios::binary) << "the user's";
    std::ofstream((victim + L"\\config_default").c_str(), std::ios::binary) << "victim";

    {
        UndoJournal journal;
        moveAsTheScriptDoes(journal);
        ASSERT_EQ(readFile(target), "shipped");
        HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        HANDLE thread = CreateThread(nullptr, 0, undoJournal, &journal, 0, nullptr);
        ASSERT_TRUE(thread);
        bool asUser = false, asAdministrator = false;
        while (WaitForSingleObject(thread, 5) == WAIT_TIMEOUT) {
            HANDLE token = nullptr;
            if (!OpenThreadToken(thread, TOKEN_QUERY, TRUE, &token)) continue;
            asUser = true;
            asAdministrator = asAdministrator || administratorsEnabled(token);
            CloseHandle(token);
            if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
        }
        CloseHandle(thread);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_TRUE(asUser) << "the undo did not act with the user's token";
        EXPECT_FALSE(asAdministrator);
        EXPECT_EQ(readFile(source), "shipped");
        EXPECT_EQ(readFile(target), "the user's");
        EXPECT_EQ(listing(codecs + L"\\"), std::vector<std::wstring>{L"config_default"}) << "a kept copy is left";
    }
    {
        UndoJournal journal;
        moveAsTheScriptDoes(journal);
        ASSERT_TRUE(MoveFileW(codecs.c_str(), aside.c_str()));
        ASSERT_TRUE(test::makeFolderLink(codecs, victim));
        const UndoReport report = journal.undo();
        EXPECT_EQ(readFile(victim + L"\\config_default"), "victim");
        EXPECT_EQ(listing(victim + L"\\"), std::vector<std::wstring>{L"config_default"});
        EXPECT_EQ(GetFileAttributesW(source.c_str()), INVALID_FILE_ATTRIBUTES) << "moved back through the link";
        EXPECT_FALSE(report.complete());
    }
    clear();
}

} // namespace
} // namespace nelvo

namespace nelvo {
namespace {

// The worker's package is read through this program's own file, by the one
// source that the store keeps: the same members as the mapped resource
// gives, and no one can write the file meanwhile. A module not laid out by
// its section table is read where it is mapped.
TEST(PayloadSource, ReadsTheProgramFileAndKeepsWritersOut) {
    ResourceFileSystem store(GetModuleHandleW(nullptr));
    registerSetupResources(store);
    const ByteSource* source = store.source(u"program.lz");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->memory(), nullptr) << "read through the file, not the mapped image";
    EXPECT_EQ(store.source(u"program.lz"), source);
    const std::span<const uint8_t> view = store.view(u"program.lz");
    ASSERT_EQ(source->size(), view.size());
    const auto fromFile = LzPackage::open(*source);
    const auto fromView = LzPackage::open(view.data(), view.size());
    ASSERT_TRUE(fromFile && fromView);
    ASSERT_FALSE(fromView->members().empty());
    EXPECT_EQ(fromFile->members().size(), fromView->members().size());
    for (const auto& [name, entry] : fromView->members()) {
        HeapBlock a, b;
        EXPECT_EQ(fromView->lookupChecked(name, a), LzPackage::Decode::Ok);
        ASSERT_EQ(fromFile->lookupChecked(name, b), LzPackage::Decode::Ok);
        EXPECT_EQ(a.text(), b.text());
    }

    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    HANDLE writer = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    const DWORD why = GetLastError();
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(why, DWORD(ERROR_SHARING_VIOLATION));

    // A copy of this program: the program itself would be given back as the
    // module it already is.
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring copy = std::wstring(temp) + L"payload-source-copy.exe";
    ASSERT_TRUE(CopyFileW(path, copy.c_str(), FALSE));
    HMODULE asData = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(asData, nullptr);
    {
        ResourceFileSystem dataStore(asData);
        registerSetupResources(dataStore);
        const ByteSource* mapped = dataStore.source(u"program.lz");
        ASSERT_NE(mapped, nullptr);
        EXPECT_NE(mapped->memory(), nullptr);
        EXPECT_EQ(mapped->size(), source->size());
    }
    FreeLibrary(asData);
    DeleteFileW(copy.c_str());
}

// The settings move's target in the user's folder, its folder swapped for
// a link to a place only administrators may read: the journal keeps no copy
// of what the link reaches (a copy would be readable in the user's folder)
// and the move is refused before anything is touched.
TEST(UndoJournalLinks, MoveTargetBehindALinkKeepsNoCopy) {
    const std::wstring dir = tempFolder() + L"nelvo-journal-link", victim = L"C:\\nelvo-journal-victim";
    const auto clear = [&] {
        test::removeFolderLink(dir + L"\\codecs");
        for (std::wstring file : listing(victim + L"\\")) {
            if (file.back() == L'*') file.pop_back();
            SetFileAttributesW((victim + L"\\" + file).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((victim + L"\\" + file).c_str());
        }
        RemoveDirectoryW(victim.c_str());
        DeleteFileW((dir + L"\\settings").c_str());
        RemoveDirectoryW(dir.c_str());
    };
    clear();
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(victim.c_str(), nullptr));
    std::ofstream((victim + L"\\config_default").c_str(), std::ios::binary) << "secret";
    std::ofstream((dir + L"\\settings").c_str(), std::ios::binary) << "settings";
    ASSERT_TRUE(test::makeFolderLink(dir + L"\\codecs", victim));
    {
        UndoJournal journal;
        size_t change = 0;
        EXPECT_FALSE(journal.recordMove(dir + L"\\settings", dir + L"\\codecs\\config_default", change));
        EXPECT_TRUE(journal.empty());
        EXPECT_EQ(listing(victim + L"\\"), std::vector<std::wstring>{L"config_default"})
            << "a copy was kept behind the link";
    }
    EXPECT_EQ(readFile(victim + L"\\config_default"), "secret");
    EXPECT_EQ(readFile(dir + L"\\settings"), "settings");
    clear();
}

} // namespace
} // namespace nelvo
