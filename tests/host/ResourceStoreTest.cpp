// The resource store over this test program's own resources (see
// ResourceStoreTest.rc): the same names and identifiers as setup.exe.

#include "store/ResourceFileSystem.h"
#include "store/ResourceIds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

using namespace nelvo;

namespace {

class ResourceStore : public ::testing::Test {
protected:
    ResourceStore() : store(GetModuleHandleW(nullptr)) { registerSetupResources(store); }
    ResourceFileSystem store;
};

} // namespace

TEST_F(ResourceStore, ScriptComesWithFourZeroBytes) {
    HeapBlock ui = store.load(u"UI.lua");
    ASSERT_TRUE(ui);
    const char* expected = "-- test UI script\nreturn 42\n";
    ASSERT_EQ(ui.size(), std::strlen(expected));
    EXPECT_EQ(std::memcmp(ui.data(), expected, ui.size()), 0);
    // The four bytes past the reported size are zero, so the text is usable
    // as an 8-bit or a 16-bit zero-terminated string.
    EXPECT_EQ(std::memcmp(ui.data() + ui.size(), "\0\0\0\0", 4), 0);

    HeapBlock sl = store.load(u"SL.lua");
    ASSERT_TRUE(sl);
    EXPECT_EQ(std::string(sl.text()), "some lua codes");
}

TEST_F(ResourceStore, NamesAreCaseSensitiveAndMustBeRegistered) {
    EXPECT_FALSE(store.load(u"ui.lua"));
    EXPECT_FALSE(store.load(u"UI.LUA"));
    EXPECT_FALSE(store.load(u"nothing.lz"));
    // Registered, but this program has no resource 115.
    EXPECT_FALSE(store.load(u"program.lz"));
}

TEST_F(ResourceStore, EveryLoadIsAFreshBlock) {
    HeapBlock a = store.load(u"UI.lua");
    HeapBlock b = store.load(u"UI.lua");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.data(), b.data());
    EXPECT_EQ(a.text(), b.text());
    store.release(std::move(a));
    EXPECT_EQ(std::string(b.text()).substr(0, 2), "--");
}

TEST_F(ResourceStore, EmptyResourceAndReRegistration) {
    // Resource 113 of this program is empty.
    HeapBlock empty = store.load(u"frame.lz");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(std::memcmp(empty.data(), "\0\0\0\0", 4), 0);

    // Registering a name again replaces its identifier.
    store.registerName(u"UI.lua", NELVO_RES_SL_LUA);
    EXPECT_EQ(std::string(store.load(u"UI.lua").text()), "some lua codes");
}

TEST_F(ResourceStore, CurrentFileSystemIsTheOneSet) {
    EXPECT_EQ(currentFileSystem(), nullptr);
    setCurrentFileSystem(&store);
    EXPECT_EQ(std::string(currentFileSystem()->load(u"SL.lua").text()), "some lua codes");
    setCurrentFileSystem(nullptr);
}
