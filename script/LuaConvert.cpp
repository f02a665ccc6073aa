#include "script/LuaConvert.h"

#include "base/TextConvert.h"

#include <cmath>
#include <cstring>

namespace nelvo {

int32_t toInteger32(lua_Number value) {
    if (!std::isfinite(value)) return 0;
    // nearbyint uses the current rounding mode, which is round-to-nearest
    // with ties to even unless someone changed it; do not rely on that.
    lua_Number whole = std::floor(value);
    const lua_Number fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    // Reduce modulo 2^32 in floating point first so the integer conversion
    // below is always in range.
    lua_Number reduced = std::fmod(whole, 4294967296.0);
    if (reduced < 0) reduced += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(reduced));
}

int32_t argInteger(lua_State* L, int index) {
    int isNumber = 0;
    const lua_Number value = lua_tonumberx(L, index, &isNumber);
    return isNumber ? toInteger32(value) : 0;
}

std::string_view argBytes(lua_State* L, int index) {
    const int type = lua_type(L, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER) return {};
    const char* text = lua_tolstring(L, index, nullptr);
    return text ? std::string_view(text, std::strlen(text)) : std::string_view();
}

std::u16string argText(lua_State* L, int index) { return utf8ToUtf16(argBytes(L, index)); }

std::wstring argWideText(lua_State* L, int index) { return utf8ToWide(argBytes(L, index)); }

void pushText(lua_State* L, std::u16string_view text) {
    const std::string utf8 = utf16ToUtf8(text);
    lua_pushlstring(L, utf8.data(), utf8.size());
}

void pushWideText(lua_State* L, std::wstring_view text) { pushText(L, asUtf16(text)); }

void pushInteger(lua_State* L, int32_t value) { lua_pushnumber(L, static_cast<lua_Number>(value)); }

} // namespace nelvo
