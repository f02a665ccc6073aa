// A damaged download is refused before anything happens: copies of
// setup.exe with one byte flipped inside each of its six resources.

#include "store/IntegrityCheck.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace nelvo::test {
namespace {

std::string readFile(const std::wstring& path) {
    std::string content;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return content;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    fclose(f);
    return content;
}

bool writeFile(const std::wstring& path, const std::string& content) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(content.data(), 1, content.size(), f) == content.size();
    return fclose(f) == 0 && ok;
}

class Integrity : public testing::TestWithParam<const wchar_t*> {};

TEST_P(Integrity, AFlippedByteInAResourceIsRefused) {
    const std::string setup = readFile(outDir() + L"\\setup.exe");
    const std::string resource = readFile(outDir() + L"\\resources\\" + GetParam());
    ASSERT_FALSE(setup.empty());
    ASSERT_FALSE(resource.empty());
    // Resources sit in the file as they are.
    const size_t at = setup.find(resource);
    ASSERT_NE(at, std::string::npos);
    std::string damaged = setup;
    damaged[at + resource.size() / 2] ^= 0x10;
    const std::wstring copy = outDir() + L"\\tests\\damaged-setup.exe";
    ASSERT_TRUE(writeFile(copy, damaged));

    RunOptions options;
    options.screenshotPrefix = std::wstring(L"integrity-") + GetParam();
    const RunResult run = runAndAnswer(copy, options);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.windows.size(), 1u) << "only the refusal is shown";
    EXPECT_EQ(run.windows[0].caption, L"提示");
    EXPECT_EQ(run.windows[0].text, L"安装程序文件已损坏，请重新下载安装程序后再运行。");
    DeleteFileW(copy.c_str());
}

INSTANTIATE_TEST_SUITE_P(Resources, Integrity,
                         testing::Values(L"UI.lua", L"frame.lz", L"LG.lua", L"program.lz", L"style.lz", L"SL.lua"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             std::wstring name = info.param;
                             name = name.substr(0, name.find(L'.')) + L"_" + name.substr(name.find(L'.') + 1);
                             return std::string(name.begin(), name.end());
                         });

// The shipped program passes its own check; the time it takes is reported
// for the record, never asserted.
TEST(IntegrityOfTheShippedProgram, PassesAndReportsItsCost) {
    HMODULE module = LoadLibraryExW((outDir() + L"\\setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    ResourceFileSystem store(module);
    registerSetupResources(store);
    const bool intact = resourcesIntact(module, store);
    QueryPerformanceCounter(&b);
    FreeLibrary(module);
    EXPECT_TRUE(intact);
    std::printf("resource check: %.1f ms\n", 1000.0 * double(b.QuadPart - a.QuadPart) / double(f.QuadPart));
}

} // namespace
} // namespace nelvo::test
