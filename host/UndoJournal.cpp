#include "host/UndoJournal.h"

#include "base/NewSiblingFile.h"
#include "base/PathChecks.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

namespace nelvo {
namespace {

// How long undo waits for a program it starts (regsvr32, the device tool).
constexpr DWORD kProgramWaitMs = 120000;

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// A program the run started without waiting (the usage counter) may still
// hold its file for a moment.
constexpr int kBusyTries = 10;
constexpr DWORD kBusyPauseMs = 300;

bool deleteFileForce(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    for (int i = 0; i < kBusyTries; ++i) {
        if (DeleteFileW(path.c_str())) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
        Sleep(kBusyPauseMs);
    }
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Moves a kept copy back over `path` and gives it its old attributes.
bool restore(const std::wstring& kept, const std::wstring& path, DWORD attributes) {
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), now & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(kept.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
    SetFileAttributesW(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    return true;
}

// Starts `program` (a full path) with `arguments`, no window, and waits for
// it. True when it ran and ended with 0.
bool runAndWait(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return false;
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), kProgramWaitMs) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    return GetExitCodeProcess(process.get(), &code) && code == 0;
}

} // namespace

UndoJournal::~UndoJournal() {
    // A run that ends by an unexpected way still leaves the machine as it was.
    if (!finished_) undo();
}

void UndoJournal::recordFolders(const std::wstring& path) {
    std::wstring current;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        current += current.empty() ? part : L"\\" + part;
        // A drive ("C:") is no folder to make.
        if (part.size() == 2 && part[1] == L':' && current.size() == 2) continue;
        if (GetFileAttributesW(current.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        entries_.push_back({Kind::FolderCreated, current, {}, {}, 0, true});
    }
}

bool UndoJournal::keep(const std::wstring& path, Entry& entry) {
    // A path through a link (the user's folder swapped for a junction to a
    // place only administrators may read) is refused before anything is
    // read: the copy would make what the link reaches readable where the
    // link's maker can read it.
    if (passesThroughLink(path)) return false;
    // Beside the file, so that putting it back is a rename on one volume;
    // copied only to a random name that was free (the copy fails if it
    // exists), so that nobody can have put a link at it beforehand.
    const std::wstring kept = createNewSibling(folderOf(path), L"nlu", [&](const std::wstring& name) {
        return CopyFileW(path.c_str(), name.c_str(), TRUE) != FALSE;
    });
    if (kept.empty()) return false;
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_HIDDEN);
    entry.kept = kept;
    entry.attributes = GetFileAttributesW(path.c_str());
    return true;
}

bool UndoJournal::recordWrite(const std::wstring& path, size_t& change) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if ((entry.kind == Kind::FileCreated || entry.kind == Kind::FileReplaced) &&
            _wcsicmp(entry.path.c_str(), path.c_str()) == 0) {
            change = i;
            return true;
        }
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // A folder at the name makes the write fail: nothing to take back.
        change = SIZE_MAX;
        return true;
    }
    Entry entry{Kind::FileCreated, path, {}, {}, 0, false};
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        entry.kind = Kind::FileReplaced;
        if (!keep(path, entry)) return false;
    }
    entries_.push_back(std::move(entry));
    change = entries_.size() - 1;
    return true;
}

bool UndoJournal::recordMove(const std::wstring& source, const std::wstring& target, size_t& change) {
    Entry entry{Kind::FileMoved, target, source, {}, 0, false};
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !keep(target, entry))
        return false;
    entries_.push_back(std::move(entry));
    change = entries_.size() - 1;
    return true;
}

void UndoJournal::recordRegistration(const std::wstring& library) {
    // Only a library this run put there is unregistered (see the header).
    for (const Entry& entry : entries_)
        if (entry.kind == Kind::FileCreated && _wcsicmp(entry.path.c_str(), library.c_str()) == 0) {
            entries_.push_back({Kind::FilterRegistered, library, {}, {}, 0, true});
            return;
        }
}

void UndoJournal::recordDriverInstall(const std::wstring& tool, const std::wstring& hardwareId, size_t& change) {
    entries_.push_back({Kind::DriverInstalled, tool, hardwareId, {}, 0, false});
    change = entries_.size() - 1;
}

void UndoJournal::made(size_t change) {
    if (change < entries_.size()) entries_[change].made = true;
}

bool UndoJournal::undoEntry(const Entry& entry) {
    switch (entry.kind) {
    case Kind::FolderCreated:
        // Only when empty: what is still in it is not the run's.
        RemoveDirectoryW(entry.path.c_str());
        return true;
    case Kind::FileCreated:
        return deleteFileForce(entry.path);
    case Kind::FileReplaced:
        if (!entry.made) return deleteFileForce(entry.kept);
        return restore(entry.kept, entry.path, entry.attributes);
    case Kind::FileMoved: {
        bool ok = true;
        if (entry.made)
            ok = MoveFileExW(entry.path.c_str(), entry.other.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
        if (!entry.kept.empty())
            ok = (entry.made ? restore(entry.kept, entry.path, entry.attributes) : deleteFileForce(entry.kept)) && ok;
        return ok;
    }
    case Kind::FilterRegistered: {
        wchar_t system[MAX_PATH + 1] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length > MAX_PATH) return false;
        // regsvr32 from the system folder, the file by the full path this run
        // wrote it to.
        return runAndWait(std::wstring(system) + L"\\regsvr32.exe", L"/s /u \"" + entry.path + L"\"");
    }
    case Kind::DriverInstalled: {
        // The tool this run extracted, by its full path.
        if (!entry.made) return true;
        // Over an earlier installation the driver this one replaced is gone
        // with it, as when the update removes it on its own.
        for (const Entry& file : entries_)
            if (file.kind == Kind::FileReplaced && _wcsicmp(file.path.c_str(), entry.path.c_str()) == 0)
                driverRemoved_ = true;
        return runAndWait(entry.path, L"remove " + entry.other);
    }
    }
    return false;
}

size_t UndoJournal::undo() {
    finished_ = true;
    // The install script makes the install folder current, and a current
    // folder cannot be removed.
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(system);
    size_t failed = 0;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (!undoEntry(*it)) ++failed;
    entries_.clear();
    return failed;
}

void UndoJournal::commit() {
    finished_ = true;
    for (const Entry& entry : entries_)
        if (!entry.kept.empty()) deleteFileForce(entry.kept);
    entries_.clear();
}

} // namespace nelvo
