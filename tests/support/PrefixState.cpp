#include "tests/support/PrefixState.h"

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "tests/support/TestPaths.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace nelvo::test {
namespace {

// Keys Wine writes on its own while programs start and windows open.
const wchar_t* const kVolatileKeys[] = {
    L"[HKEY_CURRENT_USER\\Software\\Wine",
    L"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    L"[HKEY_LOCAL_MACHINE\\Software\\Wine",
    L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib",
};

bool volatileKey(const std::wstring& line) {
    return std::any_of(std::begin(kVolatileKeys), std::end(kVolatileKeys),
                       [&](const wchar_t* key) { return line.compare(0, wcslen(key), key) == 0; });
}

void walk(const std::wstring& folder, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + name;
        if (_wcsicmp(path.c_str(), L"C:\\windows") == 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(path + L"\\");
            // Wine links the user's folders to the home folder: not the
            // prefix's.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) walk(path + L"\\", out);
        } else {
            out.insert(path);
        }
    } while (FindNextFileW(find.get(), &found));
}

bool runQuietly(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return false;
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    GetExitCodeProcess(process.get(), &code);
    return code == 0;
}

// Reads a `reg export` file (UTF-16 with a byte-order mark) into lines of
// the form "[key]" and "[key] name=data"; continued lines are joined.
bool exportRegistry(const std::wstring& key, std::set<std::wstring>& out) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring file = outDir() + L"\\tests\\prefix-state.reg";
    DeleteFileW(file.c_str());
    if (!runQuietly(L"\"" + std::wstring(system) + L"\\reg.exe\" export \"" + key + L"\" \"" + file +
                    L"\" /y /reg:64"))
        return false;
    const std::string bytes = readFileBytes(file);
    DeleteFileW(file.c_str());
    if (bytes.size() < 2) return false;
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);

    std::wstring currentKey, pending;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        // Long data goes on over lines that end with "\".
        if (!pending.empty()) {
            line.erase(0, line.find_first_not_of(L' '));
            line = pending + line;
            pending.clear();
        }
        if (!line.empty() && line.back() == L'\\' && line.front() != L'[') {
            line.pop_back();
            pending = line;
            continue;
        }
        if (line.empty() || line.front() == L'#' || line.rfind(L"Windows Registry", 0) == 0) continue;
        if (line.front() == L'[') {
            currentKey = line;
            if (!volatileKey(currentKey)) out.insert(currentKey);
        } else if (!volatileKey(currentKey)) {
            out.insert(currentKey + L" " + line);
        }
    }
    return true;
}

} // namespace

std::string readFileBytes(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) return bytes;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return bytes;
    bytes.resize(size_t(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

PrefixState capturePrefix() {
    PrefixState state;
    walk(L"C:\\", state.files);
    if (!exportRegistry(L"HKLM\\Software", state.registry) || !exportRegistry(L"HKCU\\Software", state.registry))
        state.registry.clear();
    return state;
}

std::vector<std::wstring> prefixChanges(const PrefixState& before, const PrefixState& after) {
    std::vector<std::wstring> changes;
    auto compare = [&](const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
        std::vector<std::wstring> gone, added;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(gone));
        std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(added));
        for (const auto& line : gone) changes.push_back(L"- " + line);
        for (const auto& line : added) changes.push_back(L"+ " + line);
    };
    compare(before.files, after.files);
    compare(before.registry, after.registry);
    return changes;
}

std::string describeChanges(const std::vector<std::wstring>& changes) {
    std::string out;
    for (const auto& line : changes) out += wideToUtf8(line) + "\n";
    return out.empty() ? "(none)" : out;
}

namespace {

void collect(const std::wstring& folder, const std::wstring& below, std::map<std::wstring, FileCopy>& out) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(FindFirstFileW((folder + below + L"*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[below + name + L"\\"] = {found.dwFileAttributes, {}};
            collect(folder, below + name + L"\\", out);
        } else {
            out[below + name] = {found.dwFileAttributes, readFileBytes(folder + below + name)};
        }
    } while (FindNextFileW(find.get(), &found));
}

} // namespace

std::map<std::wstring, FileCopy> folderContents(const std::wstring& folder) {
    std::map<std::wstring, FileCopy> out;
    collect(folder, L"", out);
    return out;
}

} // namespace nelvo::test
