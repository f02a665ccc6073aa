#include "tests/support/FolderLink.h"

#include "base/UniqueHandle.h"

#include <windows.h>

#include <functional>

namespace nelvo::test {
namespace {

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Runs a program of the host under Wine (which does not follow it to its
// end) and waits until `done` holds.
bool runUnix(std::wstring commandLine, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    // For a host program Wine gives no process handle and leaves whatever
    // was on its stack in the thread handle and the ids. Closing that value
    // closed some other handle of this process: once it was the registry's
    // own key for HKEY_LOCAL_MACHINE, and every later read there failed.
    UniqueKernelHandle process(started.hProcess), thread(started.hProcess ? started.hThread : nullptr);
    for (int i = 0; i < 100; ++i, Sleep(100))
        if (done()) return true;
    return false;
}

} // namespace

std::wstring unixPath(std::wstring path) {
    wchar_t prefix[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return std::wstring(prefix) + L"/drive_c" + path.substr(2);
}

bool isFolderLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool makeFolderLink(const std::wstring& link, const std::wstring& target) {
    return runUnix(L"Z:\\bin\\ln -s " + quoted(unixPath(target)) + L" " + quoted(unixPath(link)),
                   [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

void removeFolderLink(const std::wstring& link) {
    runUnix(L"Z:\\bin\\rm -f " + quoted(unixPath(link)), [&] { return !isFolderLink(link); });
    Sleep(300);
}

} // namespace nelvo::test
