#pragma once
// What a program without administrator rights, running as this test's
// user, would make.

#include <windows.h>
#include <sddl.h>

#include <string>

namespace nelvo::test {

// The text of a security descriptor owned by this test's user that lets
// everyone in; "" when the user's SID cannot be read.
inline std::wstring descriptorOwnedByThisUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    alignas(TOKEN_USER) BYTE buffer[256];
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    wchar_t* user = nullptr;
    if (!read || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &user)) return {};
    std::wstring text = L"O:" + std::wstring(user) + L"D:(A;;GA;;;WD)";
    LocalFree(user);
    return text;
}

} // namespace nelvo::test
