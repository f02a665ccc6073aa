#include "host/UndoJournal.h"

#include "base/FileCopy.h"
#include "base/FileHandles.h"
#include "base/NewSiblingFile.h"
#include "base/ProtectedAccess.h"
#include "base/RunLog.h"
#include "base/UniqueHandle.h"
#include "base/UserRights.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <optional>

namespace nelvo {
namespace {

// How long undo waits for a program it starts (regsvr32, the device tool).
constexpr DWORD kProgramWaitMs = 120000;

// A program the run started without waiting (the usage counter) may still
// hold its file for a moment.
constexpr int kBusyTries = 10;
constexpr DWORD kBusyPauseMs = 300;

constexpr char kMagic[4] = {'N', 'L', 'V', 'J'};
constexpr uint32_t kVersion = 1;
// No record is larger: four texts of at most 32767 units and a value's data
// (the script writes texts, REG_SZ at most a few KB).
constexpr uint32_t kLargestRecord = 1u << 20;

enum class Record : uint8_t { Entry = 1, Made = 2, Cancel = 3, Commit = 4, Removed = 5 };

// In the `root` of a file's or folder's entry: the change was made with the
// user's rights (inside asUser), so it is taken back with them. 0, as in
// journals of earlier versions: with the program's own.
constexpr uint32_t kUserSide = 1;

// The side a change of a file or folder is made on, as the thread acts now.
uint32_t fileSide() { return threadActsAsUser() ? kUserSide : 0; }

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

uint32_t fnv1a(const std::string& bytes) {
    uint32_t hash = 2166136261u;
    for (const char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return hash;
}

// The body of a record, written field by field.
class Writer {
public:
    explicit Writer(Record kind) { bytes_.push_back(static_cast<char>(kind)); }
    Writer& u8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); return *this; }
    Writer& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Writer& text(const std::wstring& t) {
        u32(static_cast<uint32_t>(t.size()));
        for (const wchar_t c : t) {
            bytes_.push_back(static_cast<char>(c & 0xFF));
            bytes_.push_back(static_cast<char>((c >> 8) & 0xFF));
        }
        return *this;
    }
    Writer& data(const std::string& d) {
        u32(static_cast<uint32_t>(d.size()));
        bytes_ += d;
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Reads what Writer wrote; every read past the end fails the reader.
class Reader {
public:
    Reader(const char* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    uint8_t u8() {
        if (!need(1)) return 0;
        return static_cast<uint8_t>(data_[at_++]);
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(data_[at_++])) << (8 * i);
        return v;
    }
    std::wstring text() {
        const uint32_t count = u32();
        if (!need(size_t(count) * 2)) return {};
        std::wstring t(count, L'\0');
        for (uint32_t i = 0; i < count; ++i, at_ += 2)
            t[i] = static_cast<wchar_t>(static_cast<uint8_t>(data_[at_]) | (static_cast<uint8_t>(data_[at_ + 1]) << 8));
        return t;
    }
    std::string data() {
        const uint32_t count = u32();
        if (!need(count)) return {};
        std::string d(data_ + at_, count);
        at_ += count;
        return d;
    }

private:
    bool need(size_t n) {
        if (!ok_ || size_ - at_ < n) ok_ = false;
        return ok_;
    }
    const char* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

HKEY rootKey(uint32_t root) { return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root))); }

// What a new file is made in, and a file renamed into: the folder is opened
// to add it.
constexpr DWORD kAddFile = FILE_ADD_FILE | FILE_TRAVERSE;

bool setAttributesByHandle(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

bool busy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

// A plain file (no link, no other reparse point) opened as openInFolder
// opens it.
bool plainFile(const OpenedFile& file, DWORD* attributes = nullptr) {
    FILE_BASIC_INFO basic{};
    if (file.kind != FileKind::File ||
        !GetFileInformationByHandleEx(file.handle.get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    if (attributes) *attributes = basic.FileAttributes;
    return true;
}

// The file `name` in the opened folder, as itself, for deleting or renaming
// and giving attributes; a program that holds it is waited for a while.
OpenedFile openWaiting(HANDLE folder, const std::wstring& name, DWORD access) {
    OpenedFile file;
    for (int i = 0; i < kBusyTries; ++i) {
        file = openInFolder(folder, name, access);
        if (file.kind != FileKind::Failed || !busy(GetLastError())) break;
        Sleep(kBusyPauseMs);
    }
    return file;
}

// A read-only file at `name` loses that attribute, through its own handle.
void clearReadOnly(const OpenedFile& file) {
    DWORD attributes = 0;
    if (plainFile(file, &attributes) && (attributes & FILE_ATTRIBUTE_READONLY))
        setAttributesByHandle(file.handle.get(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Deletes the file at `path` through its handle: its folder opened with no
// link on the way, the file inside it as itself (a link or a folder at the
// name is not deleted). A file that a program holds is waited for a while.
// True when nothing is there afterwards.
bool deleteFileWaiting(const std::wstring& path) {
    std::wstring name;
    const OpenedFile folder = openParentWithoutLinks(path, name, FILE_TRAVERSE);
    if (folder.kind == FileKind::Absent) return true;
    if (folder.kind != FileKind::Folder) return false;
    for (int i = 0; i < kBusyTries; ++i) {
        const OpenedFile file = openWaiting(folder.handle.get(), name, DELETE | FILE_WRITE_ATTRIBUTES);
        if (file.kind == FileKind::Absent) return true;
        if (!plainFile(file)) return false;
        clearReadOnly(file);
        if (deleteByHandle(file.handle.get())) return true;
        if (!busy(GetLastError())) break;
        Sleep(kBusyPauseMs);
    }
    return false;
}

enum class Restored { Done, AtRestart, Failed };

// Renames the kept file back over `path` and gives it its old attributes:
// the folder opened with no link on the way, the kept file inside it as
// itself, the rename through its handle inside the folder's handle. A file
// held at `path` is waited for as deletes wait; then the rename is left to
// the next restart, but never in the user's places (`userSide`), where the
// system would make it by name with its own rights.
Restored restore(const std::wstring& kept, const std::wstring& path, DWORD attributes, bool userSide) {
    std::wstring name, keptName, keptFolder;
    const OpenedFile folder = openParentWithoutLinks(path, name, kAddFile);
    if (folder.kind != FileKind::Folder || !splitLastPart(kept, keptFolder, keptName)) return Restored::Failed;
    const OpenedFile file = openInFolder(folder.handle.get(), keptName, DELETE | FILE_WRITE_ATTRIBUTES);
    if (!plainFile(file)) return Restored::Failed;
    // The system replaces no read-only file.
    clearReadOnly(openInFolder(folder.handle.get(), name, FILE_WRITE_ATTRIBUTES));
    for (int i = 0; i < kBusyTries; ++i) {
        if (renameByHandle(file.handle.get(), folder.handle.get(), name, true)) {
            setAttributesByHandle(file.handle.get(), attributes);
            return Restored::Done;
        }
        if (!busy(GetLastError())) break;
        Sleep(kBusyPauseMs);
    }
    // Shown as it was once it is back.
    setAttributesByHandle(file.handle.get(), attributes);
    if (userSide) return Restored::Failed;
    if (MoveFileExW(kept.c_str(), path.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return Restored::AtRestart;
    return Restored::Failed;
}

// Takes a move back: the file at `target`, opened with the thread's rights
// (the user's, for a move into the user's folder) with no link on its way,
// is copied into the folder of `source`, opened with the program's own
// rights (the install folder), and then deleted through its handle. A file
// the product still holds is waited for a while.
bool moveBack(const std::wstring& target, const std::wstring& source) {
    std::wstring targetName;
    const OpenedFile targetFolder = openParentWithoutLinks(target, targetName, FILE_TRAVERSE);
    if (targetFolder.kind != FileKind::Folder) return false;
    const OpenedFile moved = openWaiting(targetFolder.handle.get(), targetName, GENERIC_READ | DELETE);
    if (!plainFile(moved)) return false;
    bool copied = false;
    {
        const ActingAsProgram program;
        std::wstring name;
        const OpenedFile folder = openParentWithoutLinks(source, name, kAddFile);
        copied = folder.kind == FileKind::Folder && copyIntoFolder(moved.handle.get(), folder.handle.get(), name);
    }
    return copied && deleteByHandle(moved.handle.get());
}

// Starts `program` (a full path) with `arguments`, no window, and waits a
// bounded time for it. Its exit code, or -1 when it did not run or end.
long runAndWait(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return -1;
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), kProgramWaitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 1;
    if (!GetExitCodeProcess(process.get(), &code)) return -1;
    return static_cast<long>(code);
}

std::wstring regsvr32() {
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(system) + L"\\regsvr32.exe";
}

bool keyEmpty(HKEY root, const std::wstring& key) {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 1, values = 1;
    if (RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

} // namespace

std::wstring undoJournalPath() {
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring path(windows, length);
    if (path.back() != L'\\') path += L'\\';
    return path + L"NelvoSetup\\undo.jnl";
}

UndoJournal::~UndoJournal() {
    // A run that ends by an unexpected way still leaves the machine as it was.
    if (!finished_) undo();
    closeFile();
}

namespace {

// The journal's folder: made new with an access list for SYSTEM and
// Administrators only, or one that exists already, is no link and is owned
// by Administrators or SYSTEM (only an elevated program could have made
// it). Where the system keeps no access lists there is nothing to check.
bool privateFolder(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    SecurityDescriptor access(kPrivateFolderAccess);
    if (!access) return false;
    if (CreateDirectoryW(folder.c_str(), access.attributes())) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const UniqueFileHandle existing(CreateFileW(folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!existing) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(existing.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return !systemKeepsFileSecurity() || ownedByAdministrators(existing.get());
}

} // namespace

bool UndoJournal::keepOnDisk(const std::wstring& file) {
    if (file.empty()) return false;
    // Only the Windows folder's administrators could have made the folder,
    // and its list keeps everyone else from reading or planting a journal.
    if (!privateFolder(folderOf(file))) return false;
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    handle_ = handle;
    file_ = file;
    std::string header(kMagic, sizeof kMagic);
    for (int i = 0; i < 4; ++i) header.push_back(static_cast<char>((kVersion >> (8 * i)) & 0xFF));
    DWORD written = 0;
    if (!WriteFile(handle_, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
        written != header.size() || !FlushFileBuffers(handle_)) {
        closeFile();
        return false;
    }
    return true;
}

void UndoJournal::closeFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool UndoJournal::append(const std::string& body) {
    if (handle_ == INVALID_HANDLE_VALUE) return healthy_;
    std::string record;
    const uint32_t size = static_cast<uint32_t>(body.size()), check = fnv1a(body);
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((check >> (8 * i)) & 0xFF));
    record += body;
    DWORD written = 0;
    if (!WriteFile(handle_, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) ||
        written != record.size() || !FlushFileBuffers(handle_))
        healthy_ = false;
    return healthy_;
}

size_t UndoJournal::add(Entry entry) {
    Writer body(Record::Entry);
    body.u8(static_cast<uint8_t>(entry.kind)).u32(entry.attributes).u32(entry.root).u32(entry.type);
    body.text(entry.path).text(entry.other).text(entry.kept).data(entry.data);
    append(body.bytes());
    const bool made = entry.made;
    entries_.push_back(std::move(entry));
    const size_t change = entries_.size() - 1;
    if (made) append(Writer(Record::Made).u32(static_cast<uint32_t>(change)).bytes());
    return change;
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
        add({Kind::FolderCreated, current, {}, {}, 0, fileSide(), 0, {}, true});
    }
}

bool UndoJournal::keep(Entry entry, size_t& change) {
    // The folder is opened part by part with no link on its way (the user's
    // folder swapped for a junction to a place only administrators may
    // reach ends it before anything is touched), the file inside it as
    // itself, and the file is renamed aside through that handle inside the
    // folder's: what was checked (a plain file) is what moves, and nothing
    // is copied.
    std::wstring name;
    const OpenedFile folder = openParentWithoutLinks(entry.path, name, kAddFile);
    if (folder.kind != FileKind::Folder) return false;
    const OpenedFile file = openInFolder(folder.handle.get(), name, DELETE | FILE_WRITE_ATTRIBUTES);
    DWORD attributes = 0;
    if (!plainFile(file, &attributes)) return false;
    // A name nobody could have guessed or taken beforehand; the rename
    // below refuses one that is taken.
    const std::wstring keptName = randomFileName(L"nlu");
    if (keptName.empty()) return false;
    entry.kept = folderOf(entry.path) + L"\\" + keptName;
    entry.attributes = attributes;
    entry.root = fileSide();
    // In the journal with the name it goes to before it moves: a run killed
    // after the rename finds it there.
    change = add(std::move(entry));
    if (!healthy_ || !renameByHandle(file.handle.get(), folder.handle.get(), keptName, false)) {
        cancel(change);
        return false;
    }
    setAttributesByHandle(file.handle.get(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

bool UndoJournal::recordWrite(const std::wstring& path, size_t& change) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if ((entry.kind == Kind::FileCreated || entry.kind == Kind::FileReplaced) && !entry.cancelled &&
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
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        change = add({Kind::FileCreated, path, {}, {}, 0, fileSide(), 0, {}, false});
        return healthy_;
    }
    return keep({Kind::FileReplaced, path, {}, {}, 0, 0, 0, {}, false}, change);
}

void UndoJournal::cancel(size_t change) {
    // A change made earlier in the run (a path written twice) stays made:
    // a failed write leaves the file as it was.
    if (change >= entries_.size() || entries_[change].cancelled || entries_[change].made) return;
    Entry& entry = entries_[change];
    if (!entry.kept.empty() && GetFileAttributesW(entry.kept.c_str()) != INVALID_FILE_ATTRIBUTES &&
        restore(entry.kept, entry.path, entry.attributes, entry.root == kUserSide) != Restored::Done)
        return;  // still aside: undo tries again
    entry.cancelled = true;
    append(Writer(Record::Cancel).u32(static_cast<uint32_t>(change)).bytes());
}

bool UndoJournal::recordMove(const std::wstring& source, const std::wstring& target, size_t& change) {
    Entry entry{Kind::FileMoved, target, source, {}, 0, fileSide(), 0, {}, false};
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return keep(std::move(entry), change);
    change = add(std::move(entry));
    return healthy_;
}

void UndoJournal::recordRegistration(const std::wstring& library) {
    // A library this run created is unregistered; one it replaced is
    // unregistered and the previous file registered again once it is back.
    for (const Entry& entry : entries_)
        if ((entry.kind == Kind::FileCreated || entry.kind == Kind::FileReplaced) && !entry.cancelled &&
            _wcsicmp(entry.path.c_str(), library.c_str()) == 0) {
            add({Kind::FilterRegistered, library, {}, {}, entry.kind == Kind::FileReplaced ? 1ul : 0ul, 0, 0, {},
                 true});
            return;
        }
}

void UndoJournal::recordDriverInstall(const std::wstring& tool, const std::wstring& hardwareId, size_t& change) {
    change = add({Kind::DriverInstalled, tool, hardwareId, {}, 0, 0, 0, {}, false});
}

void UndoJournal::noteDriverRemoved() {
    driverRemoved_ = true;
    append(Writer(Record::Removed).bytes());
}

void UndoJournal::recordRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    const uint32_t rootValue = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root));
    for (const Entry& entry : entries_)
        if (entry.kind == Kind::RegistryValue && entry.root == rootValue && _wcsicmp(entry.path.c_str(), key.c_str()) == 0 &&
            _wcsicmp(entry.other.c_str(), name.c_str()) == 0)
            return;
    // The keys the write makes, outermost first.
    size_t end = 0;
    while (end != std::wstring::npos) {
        end = key.find(L'\\', end + 1);
        const std::wstring part = key.substr(0, end);
        UniqueRegKey opened;
        const LONG status = RegOpenKeyExW(root, part.c_str(), 0, KEY_READ, opened.put());
        if (status == ERROR_FILE_NOT_FOUND) add({Kind::RegistryKeyCreated, part, {}, {}, 0, rootValue, 0, {}, true});
    }
    Entry entry{Kind::RegistryValue, key, name, {}, 0, rootValue, 0, {}, true};
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            entry.data.resize(size);
            if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(entry.data.data()), &size) == ERROR_SUCCESS) {
                entry.data.resize(size);
                entry.type = type;
                entry.attributes = 1;
            }
        }
    }
    add(std::move(entry));
}

void UndoJournal::made(size_t change) {
    if (change >= entries_.size() || entries_[change].made) return;
    entries_[change].made = true;
    append(Writer(Record::Made).u32(static_cast<uint32_t>(change)).bytes());
}

bool UndoJournal::undoEntry(const Entry& entry, UndoReport& report) {
    if (entry.cancelled) return true;
    // What was changed with the user's rights (in the user's folder, under
    // HKEY_CURRENT_USER) is taken back with them: a link the user has put
    // there since reaches only what he could change anyway. At the next
    // start (finishLeftOver) they are the rights of the user who runs that
    // program; what they do not reach is left, and said so.
    const bool fileKind = entry.kind == Kind::FolderCreated || entry.kind == Kind::FileCreated ||
                          entry.kind == Kind::FileReplaced || entry.kind == Kind::FileMoved;
    const bool registryKind = entry.kind == Kind::RegistryKeyCreated || entry.kind == Kind::RegistryValue;
    const bool userSide =
        (fileKind && entry.root == kUserSide) || (registryKind && rootKey(entry.root) == HKEY_CURRENT_USER);
    if (!userSide) return undoChange(entry, report, false);
    const ActingAsUser user;
    if (user.acting()) return undoChange(entry, report, true);
    report.left.push_back(entry.path);
    return false;
}

bool UndoJournal::undoChange(const Entry& entry, UndoReport& report, bool userSide) {
    auto keptBack = [&](const std::wstring& kept, const std::wstring& path, DWORD attributes) {
        if (GetFileAttributesW(kept.c_str()) == INVALID_FILE_ATTRIBUTES) {
            // Never renamed aside (the run ended before), or lost.
            if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            report.left.push_back(path);
            return false;
        }
        switch (restore(kept, path, attributes, userSide)) {
        case Restored::Done: return true;
        case Restored::AtRestart:
            report.atRestart.push_back(path);
            report.restartNeeded = true;
            return false;
        case Restored::Failed: break;
        }
        report.left.push_back(path);
        return false;
    };
    switch (entry.kind) {
    case Kind::FolderCreated: {
        // Only when empty (the system refuses a folder with entries): what
        // is still in it is not the run's. Through a handle opened with no
        // link on the way.
        const OpenedFile folder = openWithoutLinks(entry.path, DELETE);
        if (folder.kind == FileKind::Folder) deleteByHandle(folder.handle.get());
        return true;
    }
    case Kind::FileCreated:
        if (deleteFileWaiting(entry.path)) return true;
        report.left.push_back(entry.path);
        return false;
    case Kind::FileReplaced: {
        if (!keptBack(entry.kept, entry.path, entry.attributes)) return false;
        // The previous library of a registration this run replaced.
        for (const Entry& other : entries_)
            if (other.kind == Kind::FilterRegistered && other.attributes == 1 &&
                _wcsicmp(other.path.c_str(), entry.path.c_str()) == 0 &&
                runAndWait(regsvr32(), L"/s \"" + entry.path + L"\"") != 0) {
                report.left.push_back(L"注册：" + entry.path);
                return false;
            }
        return true;
    }
    case Kind::FileMoved: {
        bool ok = true;
        if (entry.made && !moveBack(entry.path, entry.other)) {
            report.left.push_back(entry.other);
            ok = false;
        }
        if (!entry.kept.empty()) ok = keptBack(entry.kept, entry.path, entry.attributes) && ok;
        return ok;
    }
    case Kind::FilterRegistered:
        // regsvr32 from the system folder, the file by the full path this run
        // wrote it to.
        if (runAndWait(regsvr32(), L"/s /u \"" + entry.path + L"\"") == 0) return true;
        report.left.push_back(L"注册：" + entry.path);
        return false;
    case Kind::DriverInstalled: {
        // The tool this run extracted, by its full path.
        if (!entry.made) return true;
        // Over an earlier installation the driver this one replaced is gone
        // with it, as when the update removes it on its own.
        for (const Entry& file : entries_)
            if (file.kind == Kind::FileReplaced && _wcsicmp(file.path.c_str(), entry.path.c_str()) == 0)
                driverRemoved_ = true;
        const long code = runAndWait(entry.path, L"remove " + entry.other);
        // 1: removed, once the machine restarts.
        if (code == 1) report.restartNeeded = true;
        if (code == 0 || code == 1) return true;
        report.left.push_back(L"虚拟摄像头驱动程序");
        return false;
    }
    case Kind::RegistryKeyCreated:
        if (keyEmpty(rootKey(entry.root), entry.path)) RegDeleteKeyW(rootKey(entry.root), entry.path.c_str());
        return true;
    case Kind::RegistryValue: {
        UniqueRegKey key;
        if (RegOpenKeyExW(rootKey(entry.root), entry.path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
            return true;  // nothing was written
        const LONG status =
            entry.attributes == 1
                ? RegSetValueExW(key.get(), entry.other.c_str(), 0, entry.type,
                                 reinterpret_cast<const BYTE*>(entry.data.data()), static_cast<DWORD>(entry.data.size()))
                : RegDeleteValueW(key.get(), entry.other.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    }
    return false;
}

UndoReport UndoJournal::undo() {
    finished_ = true;
    UndoReport report;
    // The install script makes the install folder current, and a current
    // folder cannot be removed.
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(system);
    RunLog::write("undo", std::string_view("taking the run back"));
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const bool back = undoEntry(*it, report);
        if (RunLog::active() && !it->cancelled) {
            std::wstring line = it->path;
            if (!it->other.empty()) line += L" | " + it->other;
            line += back ? L": taken back" : L": left";
            RunLog::write("undo", line);
        }
    }
    entries_.clear();
    // Done: the changes are back, or scheduled, or named in the report.
    closeFile();
    if (!file_.empty()) {
        DeleteFileW(file_.c_str());
        RemoveDirectoryW(folderOf(file_).c_str());
    }
    return report;
}

void UndoJournal::commit() {
    finished_ = true;
    append(Writer(Record::Commit).bytes());
    for (const Entry& entry : entries_) {
        if (entry.kept.empty() || entry.cancelled) continue;
        // In the user's places with the user's rights, and never by name at
        // the next restart.
        std::optional<ActingAsUser> user;
        if (entry.root == kUserSide) user.emplace();
        if (user && !user->acting()) continue;
        if (!deleteFileWaiting(entry.kept) && !user)
            MoveFileExW(entry.kept.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    entries_.clear();
    closeFile();
    if (!file_.empty()) {
        DeleteFileW(file_.c_str());
        RemoveDirectoryW(folderOf(file_).c_str());
    }
}

UndoJournal::LeftOver UndoJournal::finishLeftOver(const std::wstring& file, UndoReport& report) {
    if (file.empty()) return LeftOver::None;
    std::string bytes;
    {
        UniqueFileHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!handle) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                                ? LeftOver::None
                                : LeftOver::Unreadable;
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle.get(), &size) || size.QuadPart > 64ll * kLargestRecord) return LeftOver::Unreadable;
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && (!ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                               read != bytes.size()))
            return LeftOver::Unreadable;
    }
    UndoJournal journal;
    journal.file_ = file;
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kMagic, 4) != 0) {
        // Cut before its header was whole: nothing was changed yet.
        journal.commit();
        return bytes.size() < 8 ? LeftOver::None : LeftOver::Unreadable;
    }
    bool committed = false;
    size_t at = 8;
    while (bytes.size() - at >= 8) {
        Reader head(bytes.data() + at, 8);
        const uint32_t size = head.u32(), check = head.u32();
        if (size == 0 || size > kLargestRecord || bytes.size() - at - 8 < size) break;
        const std::string body = bytes.substr(at + 8, size);
        if (fnv1a(body) != check) break;
        at += 8 + size;
        Reader r(body.data(), body.size());
        const auto kind = static_cast<Record>(r.u8());
        if (kind == Record::Entry) {
            Entry entry{};
            entry.kind = static_cast<Kind>(r.u8());
            entry.attributes = r.u32();
            entry.root = r.u32();
            entry.type = r.u32();
            entry.path = r.text();
            entry.other = r.text();
            entry.kept = r.text();
            entry.data = r.data();
            if (!r.ok() || entry.kind > Kind::RegistryValue) break;
            journal.entries_.push_back(std::move(entry));
        } else if (kind == Record::Made || kind == Record::Cancel) {
            const uint32_t index = r.u32();
            if (!r.ok() || index >= journal.entries_.size()) break;
            (kind == Record::Made ? journal.entries_[index].made : journal.entries_[index].cancelled) = true;
        } else if (kind == Record::Removed) {
            journal.driverRemoved_ = true;
        } else if (kind == Record::Commit) {
            committed = true;
        } else {
            break;
        }
    }
    if (committed) {
        journal.commit();
        return LeftOver::Committed;
    }
    report = journal.undo();
    return LeftOver::Undone;
}

} // namespace nelvo
