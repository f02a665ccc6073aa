// What out/setup.exe carries, read from the file as Windows would: a 32-bit
// GUI program with its manifest, icon and the six resources in language 2052,
// and packages that open.

#include "base/UniqueHandle.h"
#include "store/LzPackage.h"
#include "store/ResourceIds.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace nelvo;

namespace {

const WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

class ShippedExecutable : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring path = test::outDir() + L"\\setup.exe";
        module.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module) << "cannot load " << std::string(path.begin(), path.end());
    }

    // The bytes of one resource, or nothing.
    std::string_view resource(const wchar_t* type, int id, WORD lang) {
        HRSRC r = FindResourceExW(module.get(), type, MAKEINTRESOURCEW(id), lang);
        if (!r) return {};
        HGLOBAL g = LoadResource(module.get(), r);
        return {static_cast<const char*>(LockResource(g)), SizeofResource(module.get(), r)};
    }

    UniqueLibrary module;
};

} // namespace

TEST_F(ShippedExecutable, IsA32BitGuiProgram) {
    // A data-file mapping's handle has its low bits set; the headers follow.
    auto* base = reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(module.get()) & ~uintptr_t(3));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST_F(ShippedExecutable, CarriesTheSixResourcesInChinese) {
    for (int id : {NELVO_RES_UI_LUA, NELVO_RES_FRAME_LZ, NELVO_RES_LG_LUA, NELVO_RES_PROGRAM_LZ, NELVO_RES_STYLE_LZ,
                   NELVO_RES_SL_LUA}) {
        EXPECT_FALSE(resource(L"_QuentResc", id, kChineseSimplified).empty()) << id;
    }
    EXPECT_EQ(resource(L"_QUENTRESC", NELVO_RES_SL_LUA, kChineseSimplified), "some lua codes");

    const std::string_view frame = resource(L"_QUENTRESC", NELVO_RES_FRAME_LZ, kChineseSimplified);
    auto layout = LzPackage::open(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->members().size(), 1u);
    EXPECT_TRUE(layout->lookup(u"mainframe.xml"));

    for (int id : {NELVO_RES_STYLE_LZ, NELVO_RES_PROGRAM_LZ}) {
        const std::string_view bytes = resource(L"_QUENTRESC", id, kChineseSimplified);
        auto pkg = LzPackage::open(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ASSERT_TRUE(pkg) << id;
        for (const auto& [name, entry] : pkg->members()) {
            HeapBlock b;
            EXPECT_EQ(pkg->lookupChecked(name, b), LzPackage::Decode::Ok);
        }
    }
}

TEST_F(ShippedExecutable, HasItsIconAndManifest) {
    EXPECT_TRUE(FindResourceW(module.get(), MAKEINTRESOURCEW(NELVO_ICON_MAIN), MAKEINTRESOURCEW(14)));  // group icon

    HRSRC r = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(r);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module.get(), r))),
                               SizeofResource(module.get(), r));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);  // Vista
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // 7
    // Nothing later: the version tests rely on what Windows reports to a
    // program that declares only these two.
    size_t count = 0;
    for (size_t at = manifest.find("supportedOS"); at != std::string::npos; at = manifest.find("supportedOS", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
    // DPI-aware, so that the system never stretches the window as a bitmap:
    // per monitor where the system knows it, system-wide before.
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
}
