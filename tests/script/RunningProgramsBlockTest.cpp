// The running-programs block: splitting its text into entries, and the
// bounded copies in and out of the shared memory.

#include "script/RunningProgramsBlock.h"

#include <gtest/gtest.h>

#include <thread>

namespace nelvo {
namespace {

using Entries = std::vector<std::wstring>;

constexpr wchar_t kMutexName[] = L"B225A8E1-72D4-4ED6-834F-55BD8E70E63A";
constexpr wchar_t kMappingName[] = L"4DC1097A-58F5-40F4-AD49-F77C1C1B9858";

TEST(RunningProgramsEntries, EachEntryEndsWithASemicolon) {
    EXPECT_EQ(RunningProgramsBlock::entries(L"C:\\P\\a.exe;D:\\b.exe;"), (Entries{L"C:\\P\\a.exe", L"D:\\b.exe"}));
    EXPECT_EQ(RunningProgramsBlock::entries(L"C:\\P\\a.exe;D:\\b.exe"), (Entries{L"C:\\P\\a.exe"}));
    EXPECT_EQ(RunningProgramsBlock::entries(L";;a.exe;;;b.exe;"), (Entries{L"a.exe", L"b.exe"}));
    EXPECT_EQ(RunningProgramsBlock::entries(L""), Entries{});
    EXPECT_EQ(RunningProgramsBlock::entries(L"no separator"), Entries{});
}

TEST(RunningProgramsEntries, FileNameAfterTheLastSeparator) {
    EXPECT_EQ(programFileName(L"C:\\P\\a.exe"), L"a.exe");
    EXPECT_EQ(programFileName(L"C:/P\\x/b.exe"), L"b.exe");
    EXPECT_EQ(programFileName(L"Nelvo.exe"), L"Nelvo.exe");
    EXPECT_EQ(programFileName(L"C:\\P\\"), L"");
}

// These share the machine-wide block with other tests: CTest runs them under
// the same resource lock as the script tests of the block.
TEST(RunningProgramsBlockShared, WriteThenReadInAnotherObject) {
    RunningProgramsBlock writer;
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.write(L"C:\\程序\\a.exe;b.exe;"));
    EXPECT_EQ(readRunningPrograms(), L"C:\\程序\\a.exe;b.exe;");
    ASSERT_TRUE(writer.write(L"short;"));
    EXPECT_EQ(readRunningPrograms(), L"short;");
    ASSERT_TRUE(writer.write(L""));
    EXPECT_EQ(readRunningPrograms(), L"");
}

TEST(RunningProgramsBlockShared, LongTextIsCutToTheBlock) {
    RunningProgramsBlock writer;
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.write(std::wstring(5000, L'x')));
    const std::wstring text = readRunningPrograms();
    EXPECT_EQ(text, std::wstring(RunningProgramsBlock::kUnits - 1, L'x'));
    ASSERT_TRUE(writer.write(L""));
}

TEST(RunningProgramsBlockShared, FullBlockWithoutZeroReadsAs2048Units) {
    // Another process may fill every unit; the reader's copy still ends.
    RunningProgramsBlock writer;
    ASSERT_TRUE(writer.open());
    UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMappingName));
    ASSERT_TRUE(mapping);
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_TRUE(view);
    auto* units = static_cast<wchar_t*>(view.get());
    for (size_t i = 0; i < RunningProgramsBlock::kUnits; ++i) units[i] = L'y';
    EXPECT_EQ(readRunningPrograms(), std::wstring(RunningProgramsBlock::kUnits, L'y'));
    ASSERT_TRUE(writer.write(L""));
}

TEST(RunningProgramsBlockShared, MutexHeldElsewhereReadsAsEmpty) {
    RunningProgramsBlock writer;
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.write(L"a.exe;"));
    UniqueKernelHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // A mutex belongs to a thread, so another thread has to hold it.
    std::thread holder([&] {
        UniqueKernelHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
        if (mutex && WaitForSingleObject(mutex.get(), 1000) == WAIT_OBJECT_0) {
            SetEvent(held.get());
            WaitForSingleObject(done.get(), 10000);
            ReleaseMutex(mutex.get());
        }
        SetEvent(held.get());
    });
    ASSERT_EQ(WaitForSingleObject(held.get(), 5000), WAIT_OBJECT_0);
    const DWORD start = GetTickCount();
    EXPECT_EQ(writer.read(), L"");
    EXPECT_EQ(readRunningPrograms(), L"");
    EXPECT_LT(GetTickCount() - start, 2000u);
    SetEvent(done.get());
    holder.join();
    EXPECT_EQ(readRunningPrograms(), L"a.exe;");
    ASSERT_TRUE(writer.write(L""));
}

TEST(RunningProgramsBlockShared, UnopenedObjectReadsNothing) {
    RunningProgramsBlock block;
    EXPECT_EQ(block.read(), L"");
    EXPECT_FALSE(block.write(L"x;"));
}

} // namespace
} // namespace nelvo
