// A damaged download is refused before anything happens: copies of
// setup.exe with one byte flipped inside each of its small resources are
// refused before the first window; the payload's digest is checked on a
// thread of its own while the wizard shows (its refusal, before anything is
// written, is walked end to end in fault_e2e).

#include "host/PayloadCheck.h"
#include "store/IntegrityCheck.h"
#include "store/ResourceFileSystem.h"
#include "store/ResourceIds.h"
#include "tests/support/DamagedCopy.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace nelvo::test {
namespace {

class Integrity : public testing::TestWithParam<const wchar_t*> {};

TEST_P(Integrity, AFlippedByteInAResourceIsRefused) {
    const std::wstring copy = outDir() + L"\\tests\\damaged-setup.exe";
    ASSERT_TRUE(writeDamagedCopy(outDir() + L"\\setup.exe", outDir() + L"\\resources\\" + GetParam(), copy));

    RunOptions options;
    options.screenshotPrefix = std::wstring(L"integrity-") + GetParam();
    const RunResult run = runAndAnswer(copy, options);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1603u) << "a damaged program fails";
    ASSERT_EQ(run.windows.size(), 1u) << "only the refusal is shown";
    EXPECT_EQ(run.windows[0].caption, L"提示");
    EXPECT_EQ(run.windows[0].text, L"安装程序文件已损坏，请重新下载安装程序后再运行。");
    DeleteFileW(copy.c_str());
}

INSTANTIATE_TEST_SUITE_P(Resources, Integrity,
                         testing::Values(L"UI.lua", L"frame.lz", L"LG.lua", L"style.lz", L"SL.lua"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             std::wstring name = info.param;
                             name = name.substr(0, name.find(L'.')) + L"_" + name.substr(name.find(L'.') + 1);
                             return std::string(name.begin(), name.end());
                         });

// The shipped program passes its own checks, and a flipped byte in its
// payload is found only by the payload's own check, on its thread. The time
// the checks take is reported for the record, never asserted.
TEST(IntegrityOfThePayload, IsCheckedApartAndOnItsOwnThread) {
    HMODULE module = LoadLibraryExW((outDir() + L"\\setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    LARGE_INTEGER f, a, b, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    EXPECT_TRUE(resourcesIntact(module, NELVO_RES_PROGRAM_LZ));
    QueryPerformanceCounter(&b);
    {
        ResourceFileSystem store(module);
        EXPECT_TRUE(resourceIntact(module, NELVO_RES_PROGRAM_LZ, store.source(NELVO_RES_PROGRAM_LZ)));
        QueryPerformanceCounter(&c);
        EXPECT_TRUE(resourcesIntact(module));
        EXPECT_TRUE(PayloadCheck(module, NELVO_RES_PROGRAM_LZ, store).intact());
        EXPECT_FALSE(resourceIntact(module, NELVO_RES_DIGESTS, store.source(NELVO_RES_DIGESTS)))
            << "the record does not list itself";
        EXPECT_FALSE(resourceIntact(module, NELVO_RES_PROGRAM_LZ, nullptr));
    }
    FreeLibrary(module);
    std::printf("before the first window: %.1f ms; the payload: %.1f ms\n",
                1000.0 * double(b.QuadPart - a.QuadPart) / double(f.QuadPart),
                1000.0 * double(c.QuadPart - b.QuadPart) / double(f.QuadPart));

    const std::wstring copy = outDir() + L"\\tests\\damaged-payload-setup.exe";
    ASSERT_TRUE(writeDamagedCopy(outDir() + L"\\setup.exe", outDir() + L"\\resources\\program.lz", copy));
    module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(resourcesIntact(module, NELVO_RES_PROGRAM_LZ)) << "the payload's digest is left for later";
    EXPECT_FALSE(resourcesIntact(module));
    {
        ResourceFileSystem store(module);
        EXPECT_FALSE(resourceIntact(module, NELVO_RES_PROGRAM_LZ, store.source(NELVO_RES_PROGRAM_LZ)));
        PayloadCheck check(module, NELVO_RES_PROGRAM_LZ, store);
        check.start();
        EXPECT_FALSE(check.intact());
        EXPECT_FALSE(check.intact()) << "asked again";
    }
    FreeLibrary(module);
    DeleteFileW(copy.c_str());
}

} // namespace
} // namespace nelvo::test
