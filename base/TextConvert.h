#pragma once
// UTF-8 <-> UTF-16 conversion shared by every place where text crosses
// between scripts, resources or markup (UTF-8) and native code (UTF-16).
// Free of any operating system so it builds and is tested natively too.

#include <string>
#include <string_view>

namespace nelvo {

// Decodes UTF-8 strictly: overlong forms, encoded surrogates, values above
// U+10FFFF and truncated sequences make the whole text invalid, and invalid
// text converts to the empty string. `ok` (optional) tells the two apart.
std::u16string utf8ToUtf16(std::string_view text, bool* ok = nullptr);

// Decodes UTF-8 leniently, for text shown to the user (error messages): each
// malformed sequence, or the longest start of one, becomes U+FFFD and the
// rest of the text is kept, so a message cut inside a character still
// shows. Arguments of native functions use the strict utf8ToUtf16.
std::u16string utf8ToUtf16Lenient(std::string_view text);

// Encodes UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD, as the
// system converter does.
std::string utf16ToUtf8(std::u16string_view text);

// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

} // namespace nelvo

#ifdef _WIN32
#include <cwchar>
namespace nelvo {
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 units on Windows");

// Views of the same UTF-16 units as the Win32 wide type and back.
inline std::wstring_view asWide(std::u16string_view s) {
    return {reinterpret_cast<const wchar_t*>(s.data()), s.size()};
}
inline std::u16string_view asUtf16(std::wstring_view s) {
    return {reinterpret_cast<const char16_t*>(s.data()), s.size()};
}
inline std::wstring utf8ToWide(std::string_view text) {
    std::u16string u = utf8ToUtf16(text);
    return std::wstring(asWide(u));
}
inline std::wstring utf8ToWideLenient(std::string_view text) {
    std::u16string u = utf8ToUtf16Lenient(text);
    return std::wstring(asWide(u));
}
inline std::string wideToUtf8(std::wstring_view text) { return utf16ToUtf8(asUtf16(text)); }
} // namespace nelvo
#endif
