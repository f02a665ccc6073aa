#include "tools/payload/uninstaller/RemovalProcess.h"

#include "base/ModulePath.h"
#include "base/ProtectedAccess.h"
#include "base/UniqueHandle.h"

#include <ntsecapi.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <vector>

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

// The Windows folder's temporary folder: unlike the user's, nobody without
// administrator rights may remove or rename what an administrator makes
// in it.
std::wstring systemTempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buffer, n) + L"\\Temp\\";
}

// A new folder of a random name under `parent` that only SYSTEM and
// Administrators may open; empty when none could be made. A name that
// exists already (made by someone else) is never taken.
std::wstring makePrivateFolder(const std::wstring& parent) {
    if (parent.empty()) return {};
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint8_t random[8] = {};
        if (!RtlGenRandom(random, sizeof random)) return {};
        std::wstring name = parent + L"nelvo-";
        for (uint8_t b : random) {
            wchar_t hex[3];
            swprintf(hex, 3, L"%02x", b);
            name += hex;
        }
        SecurityDescriptor access(kPrivateFolderAccess);
        if (!access) return {};
        if (CreateDirectoryW(name.c_str(), access.attributes())) return name + L"\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

// The whole file behind a handle, from its start.
bool readAll(HANDLE file, std::vector<uint8_t>& bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > (64 << 20)) return false;
    bytes.resize(size_t(size.QuadPart));
    DWORD read = 0;
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
           (bytes.empty() || (ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size()));
}

// Writes `bytes` to the new file `path` (CREATE_NEW: nothing that was there
// is ever used) and opens it again for the start: read only, shared for
// reading only, so that nobody can write, rename or delete it while the
// handle is open; with delete-on-close when asked. The copy is compared with
// `bytes` through that handle. An invalid handle when any of it fails; the
// file is then gone.
UniqueFileHandle writeCheckedCopy(const std::wstring& path, const std::vector<uint8_t>& bytes, bool deleteOnClose) {
    {
        UniqueFileHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                         nullptr));
        DWORD written = 0;
        if (!out) return {};
        if (!WriteFile(out.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size()) {
            out.reset();
            DeleteFileW(path.c_str());
            return {};
        }
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle held(CreateFileW(path.c_str(), GENERIC_READ | (deleteOnClose ? DELETE : 0), FILE_SHARE_READ,
                                      deleteOnClose ? &inherit : nullptr, OPEN_EXISTING,
                                      deleteOnClose ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<uint8_t> copied;
    if (held && readAll(held.get(), copied) && copied == bytes) return held;
    held.reset();
    DeleteFileW(path.c_str());
    return {};
}

// Starts `copy` as the second stage; `deleteOnClose` may be null.
bool launch(const std::wstring& copy, const std::wstring& installFolder, HANDLE mutex, HANDLE deleteOnClose,
            HANDLE report, HANDLE log, unsigned options, const std::wstring& workingFolder) {
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
                               L" " + handleText(deleteOnClose) + L" " + handleText(report) + L" " + handleText(log) +
                               L" " + std::to_wstring(options) + L" \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    for (HANDLE h : {mutex, report, log}) setInheritable(h, true);
    const bool ok = CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   workingFolder.c_str(), &startup, &started);
    for (HANDLE h : {mutex, report, log}) setInheritable(h, false);
    if (!ok) return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace

std::wstring programPath() { return modulePath(); }

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool parseSecondStage(const wchar_t* commandLine, SecondStage& out) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    if (!argv) return false;
    HANDLE options = nullptr;
    const bool ok = argc == 9 && std::wcscmp(argv[1], L"/remove") == 0 && parseHandle(argv[2], out.mutex) &&
                    parseHandle(argv[3], out.firstStage) && parseHandle(argv[4], out.deleteOnClose) &&
                    parseHandle(argv[5], out.report) && parseHandle(argv[6], out.log) &&
                    parseHandle(argv[7], options) && argv[8][0] != L'\0';
    if (ok) {
        out.options = HandleToULong(options);
        out.installFolder = argv[8];
        if (out.installFolder.back() != L'\\') out.installFolder += L'\\';
    }
    LocalFree(argv);
    return ok;
}

bool startSecondStage(const std::wstring& installFolder, HANDLE mutex, HANDLE report, HANDLE log, unsigned options) {
    // The running program's own bytes, read once: the copy must be them.
    std::vector<uint8_t> self;
    {
        UniqueFileHandle own(CreateFileW(programPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!own || !readAll(own.get(), self) || self.empty()) return false;
    }
    const std::wstring folder = makePrivateFolder(systemTempFolder());
    if (folder.empty()) return false;
    const std::wstring copy = folder + L"nelvo-uninstall.exe";

    // Held open for deletion on close and handed down: the copy goes when
    // the second stage, the last holder, ends. A system that does not start
    // a program from a file about to be deleted gets a second copy, written
    // and checked the same way, which the second stage schedules for
    // deletion at the next restart.
    for (const bool deleteOnClose : {true, false}) {
        const UniqueFileHandle held = writeCheckedCopy(copy, self, deleteOnClose);
        if (!held) break;
        if (launch(copy, installFolder, mutex, deleteOnClose ? held.get() : nullptr, report, log, options, folder))
            return true;
        if (!deleteOnClose) DeleteFileW(copy.c_str());
    }
    RemoveDirectoryW(folder.c_str());
    return false;
}

} // namespace nelvo::uninstall
