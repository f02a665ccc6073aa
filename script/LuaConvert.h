#pragma once
// How values cross between scripts and native code. Every native function of
// the bridge reads its arguments and pushes its results through these, so
// that all of them agree on the rules:
//  - text is UTF-8 on the script side and UTF-16 natively; a string argument
//    (or a number, which the interpreter turns into its text) is taken up to
//    its first zero byte and decoded strictly: invalid UTF-8 arrives as the
//    empty text, and so does a missing argument or one of another type;
//  - number arguments are 32-bit integers: numeric strings count as their
//    number, fractions round to the nearest integer with ties to even, values
//    outside the 32-bit range wrap modulo 2^32, and anything that is not a
//    number (or is not finite) reads as 0;
//  - none of these raises a script error for a wrong argument type.

#include <lua.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace nelvo {

// The rounding and wrapping rule for numbers, on its own.
int32_t toInteger32(lua_Number value);

// Argument `index` read as a 32-bit integer (0 when missing or not numeric).
int32_t argInteger(lua_State* L, int index);

// Argument `index` as raw bytes up to the first zero byte, unchecked; empty
// when it is neither a string nor a number.
std::string_view argBytes(lua_State* L, int index);

// Argument `index` decoded from UTF-8 (empty when invalid, missing or of
// another type).
std::u16string argText(lua_State* L, int index);
std::wstring argWideText(lua_State* L, int index);

// Pushes UTF-16 text as a new UTF-8 string. Unpaired surrogates become
// U+FFFD, as the system converter does.
void pushText(lua_State* L, std::u16string_view text);
void pushWideText(lua_State* L, std::wstring_view text);

// Pushes a number made from a signed 32-bit integer.
void pushInteger(lua_State* L, int32_t value);

} // namespace nelvo
