#include "tools/payload/uninstaller/RemovalProcess.h"

#include "host/UniqueHandle.h"

#include <shellapi.h>

#include <cwchar>

namespace nelvo::uninstall {
namespace {

std::wstring handleText(HANDLE h) { return std::to_wstring(HandleToULong(h)); }

bool parseHandle(const wchar_t* text, HANDLE& out) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0') return false;
    out = ULongToHandle(value);
    return true;
}

void setInheritable(HANDLE h, bool inheritable) {
    if (h) SetHandleInformation(h, HANDLE_FLAG_INHERIT, inheritable ? HANDLE_FLAG_INHERIT : 0);
}

std::wstring tempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

// Starts `copy` as the second stage; `deleteOnClose` may be null.
bool launch(const std::wstring& copy, const std::wstring& installFolder, HANDLE mutex, HANDLE deleteOnClose,
            const std::wstring& workingFolder) {
    UniqueKernelHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.put(), SYNCHRONIZE, TRUE,
                         0)) {
        self.release();
        return false;
    }
    // Without its trailing "\", which would escape the closing quote.
    std::wstring folder = installFolder;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    std::wstring commandLine = L"\"" + copy + L"\" /remove " + handleText(mutex) + L" " + handleText(self.get()) +
                               L" " + handleText(deleteOnClose) + L" \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    setInheritable(mutex, true);
    const bool ok = CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   workingFolder.c_str(), &startup, &started);
    setInheritable(mutex, false);
    if (!ok) return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace

std::wstring programPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool parseSecondStage(const wchar_t* commandLine, SecondStage& out) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    if (!argv) return false;
    const bool ok = argc == 6 && std::wcscmp(argv[1], L"/remove") == 0 && parseHandle(argv[2], out.mutex) &&
                    parseHandle(argv[3], out.firstStage) && parseHandle(argv[4], out.deleteOnClose) &&
                    argv[5][0] != L'\0';
    if (ok) {
        out.installFolder = argv[5];
        if (out.installFolder.back() != L'\\') out.installFolder += L'\\';
    }
    LocalFree(argv);
    return ok;
}

bool startSecondStage(const std::wstring& installFolder, HANDLE mutex) {
    const std::wstring self = programPath();
    const std::wstring temp = tempFolder();
    if (self.empty() || temp.empty()) return false;
    const std::wstring copy = temp + L"nelvo-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) return false;

    // Opened for deletion on close and handed down: the copy goes when the
    // second stage, the last holder, ends.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle deleteOnClose(CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                               &inherit, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (deleteOnClose && launch(copy, installFolder, mutex, deleteOnClose.get(), temp)) return true;
    // A system that does not start a program from a file about to be
    // deleted: closing the handle took the copy away, so copy again and let
    // the second stage schedule its deletion for the restart.
    deleteOnClose.reset();
    if (GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES && !CopyFileW(self.c_str(), copy.c_str(), FALSE))
        return false;
    if (launch(copy, installFolder, mutex, nullptr, temp)) return true;
    DeleteFileW(copy.c_str());
    return false;
}

} // namespace nelvo::uninstall
