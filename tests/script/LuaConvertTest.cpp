// The conversion rules every native function of the bridge shares, and the
// boundary that keeps C++ exceptions out of the interpreter.

#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"

#include <lauxlib.h>
#include <lualib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>

namespace nelvo {
namespace {

class LuaState : public ::testing::Test {
protected:
    void SetUp() override { L = luaL_newstate(); }
    void TearDown() override { lua_close(L); }
    lua_State* L = nullptr;
};

TEST(ToInteger32, RoundsHalfToEven) {
    EXPECT_EQ(toInteger32(0.5), 0);
    EXPECT_EQ(toInteger32(1.5), 2);
    EXPECT_EQ(toInteger32(2.5), 2);
    EXPECT_EQ(toInteger32(-0.5), 0);
    EXPECT_EQ(toInteger32(-1.5), -2);
    EXPECT_EQ(toInteger32(-2.5), -2);
    EXPECT_EQ(toInteger32(2.5000001), 3);
    EXPECT_EQ(toInteger32(-2.4999999), -2);
    EXPECT_EQ(toInteger32(524291.0), 524291);
}

TEST(ToInteger32, WrapsModulo32Bits) {
    EXPECT_EQ(toInteger32(2147483647.0), 2147483647);
    EXPECT_EQ(toInteger32(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(toInteger32(4294967295.0), -1);
    EXPECT_EQ(toInteger32(4294967296.0), 0);
    EXPECT_EQ(toInteger32(-2147483649.0), 2147483647);
    // Handles from a 64-bit double's whole range, not only near 2^32.
    EXPECT_EQ(toInteger32(std::ldexp(1.0, 60) + 4096.0), 4096);
    EXPECT_EQ(toInteger32(-std::ldexp(1.0, 40) - 1.0), -1);
}

TEST(ToInteger32, NonFiniteReadsAsZero) {
    EXPECT_EQ(toInteger32(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(toInteger32(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(toInteger32(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(LuaState, IntegerArgumentsOfEveryType) {
    lua_pushnumber(L, 3.5);           // 1
    lua_pushstring(L, " 0x1F ");      // 2
    lua_pushstring(L, "12abc");       // 3
    lua_pushboolean(L, 1);            // 4
    lua_pushnil(L);                   // 5
    lua_newtable(L);                  // 6
    lua_pushstring(L, "-7.5");        // 7
    EXPECT_EQ(argInteger(L, 1), 4);
    EXPECT_EQ(argInteger(L, 2), 31);
    EXPECT_EQ(argInteger(L, 3), 0);
    EXPECT_EQ(argInteger(L, 4), 0);
    EXPECT_EQ(argInteger(L, 5), 0);
    EXPECT_EQ(argInteger(L, 6), 0);
    EXPECT_EQ(argInteger(L, 7), -8);
    EXPECT_EQ(argInteger(L, 8), 0);  // beyond the top
    EXPECT_EQ(lua_gettop(L), 7);
}

TEST_F(LuaState, TextArguments) {
    lua_pushstring(L, "C:\\安装");              // 1
    lua_pushlstring(L, "ab\0cd", 5);             // 2
    lua_pushnumber(L, 42);                       // 3
    lua_pushstring(L, "ok\xff");                 // 4: invalid byte
    lua_pushstring(L, "\xc0\x80");               // 5: overlong zero
    lua_pushstring(L, "\xed\xa0\x80");           // 6: encoded surrogate
    lua_pushboolean(L, 1);                       // 7
    lua_pushstring(L, "\xf0\x9f\x98\x80");       // 8: outside the BMP
    EXPECT_EQ(argText(L, 1), u"C:\\安装");
    EXPECT_EQ(argText(L, 2), u"ab");
    EXPECT_EQ(argText(L, 3), u"42");
    EXPECT_EQ(argText(L, 4), u"");
    EXPECT_EQ(argText(L, 5), u"");
    EXPECT_EQ(argText(L, 6), u"");
    EXPECT_EQ(argText(L, 7), u"");
    EXPECT_EQ(argText(L, 8), u"\U0001F600");
    EXPECT_EQ(argText(L, 9), u"");
    EXPECT_EQ(argWideText(L, 1), L"C:\\安装");
    EXPECT_EQ(lua_gettop(L), 8);
}

TEST_F(LuaState, PushedTextIsUtf8) {
    pushText(L, u"相机");
    EXPECT_STREQ(lua_tostring(L, -1), "\xe7\x9b\xb8\xe6\x9c\xba");
    // An unpaired surrogate becomes U+FFFD.
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    pushText(L, std::u16string_view(lone, 3));
    EXPECT_STREQ(lua_tostring(L, -1), "a\xef\xbf\xbd" "b");
    pushWideText(L, std::wstring_view(L"x\0y", 3));
    size_t n = 0;
    lua_tolstring(L, -1, &n);
    EXPECT_EQ(n, 3u);
    pushInteger(L, -2147483647 - 1);
    EXPECT_EQ(lua_tonumber(L, -1), -2147483648.0);
}

int throwsBadAlloc(lua_State* L) {
    lua_pushstring(L, "half done");
    throw std::bad_alloc();
}

int raisesScriptError(lua_State* L) { return luaL_error(L, "raised on purpose"); }

TEST_F(LuaState, BoundaryTurnsExceptionsIntoNoResults) {
    lua_pushcfunction(L, nativeBoundary<throwsBadAlloc>);
    lua_pushstring(L, "argument");
    ASSERT_EQ(lua_pcall(L, 1, LUA_MULTRET, 0), LUA_OK);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaState, BoundaryLetsScriptErrorsPass) {
    // The interpreter's own errors are not C++ standard exceptions; if the
    // boundary swallowed them the state would be left broken.
    lua_pushcfunction(L, nativeBoundary<raisesScriptError>);
    ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_NE(std::string(lua_tostring(L, -1)).find("raised on purpose"), std::string::npos);
}

} // namespace
} // namespace nelvo
