#include "base/NewSiblingFile.h"

#include <ntsecapi.h>

namespace nelvo {

std::wstring randomFileName(const wchar_t* prefix) {
    unsigned char bits[16];
    if (!RtlGenRandom(bits, sizeof bits)) return {};
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring name = prefix;
    for (unsigned char b : bits) {
        name += digits[b >> 4];
        name += digits[b & 15];
    }
    return name + L".tmp";
}

std::wstring randomSiblingName(const std::wstring& folder, const wchar_t* prefix) {
    std::wstring name = randomFileName(prefix);
    if (name.empty()) return {};
    return folder + (!folder.empty() && folder.back() != L'\\' ? L"\\" : L"") + name;
}

} // namespace nelvo
