#include "base/FileHandles.h"

#include <winternl.h>

#include <cstdint>
#include <string_view>

namespace nelvo {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ULONG kFileOpen = 1;  // FILE_OPEN: only what exists
constexpr NTSTATUS kNameNotFound = NTSTATUS(0xC0000034L);
constexpr NTSTATUS kPathNotFound = NTSTATUS(0xC000003AL);

bool isName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/") == std::wstring::npos;
}

UNICODE_STRING counted(const std::wstring& text) {
    UNICODE_STRING s;
    s.Buffer = const_cast<wchar_t*>(text.c_str());
    s.Length = USHORT(text.size() * sizeof(wchar_t));
    s.MaximumLength = s.Length;
    return s;
}

// What the handle shows of itself: Link when it is a name surrogate (a
// junction, a symbolic link, a mount point); other reparse points (files
// kept in the cloud, deduplicated files) are the file itself.
FileKind kindOfHandle(HANDLE handle, bool& reparse) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    reparse = false;
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return FileKind::Failed;
    reparse = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (reparse && (tag.ReparseTag == 0 || IsReparseTagNameSurrogate(tag.ReparseTag))) return FileKind::Link;
    return (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder : FileKind::File;
}

// The attributes of `name` in `folder` by name, a link not followed;
// INVALID_FILE_ATTRIBUTES when unknown. Asked by the folder's path: Wine
// answers no query relative to a handle.
DWORD attributesByName(HANDLE folder, const std::wstring& name) {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetFinalPathNameByHandleW(folder, path, MAX_PATH * 2, VOLUME_NAME_DOS);
    if (n == 0 || n >= MAX_PATH * 2) return INVALID_FILE_ATTRIBUTES;
    std::wstring child(path, n);
    if (child.back() != L'\\') child += L'\\';
    return GetFileAttributesW((child + name).c_str());
}

OpenedFile openName(HANDLE folder, const std::wstring& name, DWORD access) {
    OpenedFile opened;
    UNICODE_STRING text = counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);

    // What the name itself is, asked by name before the open: a system that
    // follows a link when it opens it (Wine, for a link of the host's file
    // system) still marks the link there. Only a hint: the handle decides,
    // and a name marked so whose handle is not a link is left alone.
    // A drive root (opened without a folder) is no link and is opened as the
    // volume's root: Wine would otherwise open the link its drive is made of.
    const bool root = folder == nullptr;
    const DWORD byName = root ? INVALID_FILE_ATTRIBUTES : attributesByName(folder, name);

    HANDLE handle = nullptr;
    IO_STATUS_BLOCK io{};
    const NTSTATUS status =
        NtCreateFile(&handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll,
                     kFileOpen, (root ? 0 : FILE_OPEN_REPARSE_POINT) | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        opened.kind = (status == kNameNotFound || status == kPathNotFound) ? FileKind::Absent : FileKind::Failed;
        SetLastError(RtlNtStatusToDosError(status));
        return opened;
    }
    opened.handle.reset(handle);
    bool reparse = false;
    opened.kind = kindOfHandle(handle, reparse);
    if (opened.kind == FileKind::Failed) {
        opened.handle.reset();
        return opened;
    }
    // The name is a link but the handle is not: the handle is what the link
    // reaches. Nothing may be done through it.
    if (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT) && !reparse) {
        opened.handle.reset();
        opened.kind = FileKind::Link;
    }
    return opened;
}

} // namespace

OpenedFile openInFolder(HANDLE folder, const std::wstring& name, DWORD access) {
    if (!folder || !isName(name)) return {};
    return openName(folder, name, access);
}

namespace {

// A new file or folder `name` in `folder`, never over anything there.
NTSTATUS createName(HANDLE folder, const std::wstring& name, DWORD access, ULONG share, ULONG options,
                    HANDLE& handle) {
    UNICODE_STRING text = counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    constexpr ULONG kFileCreate = 2;  // FILE_CREATE: fails when the name exists
    return NtCreateFile(&handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr,
                        FILE_ATTRIBUTE_NORMAL, share, kFileCreate, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr,
                        0);
}

} // namespace

OpenedFile createInFolder(HANDLE folder, const std::wstring& name, DWORD access) {
    OpenedFile made;
    if (!folder || !isName(name)) return made;
    HANDLE handle = nullptr;
    const NTSTATUS status =
        createName(folder, name, access, kShareAll & ~FILE_SHARE_WRITE, FILE_NON_DIRECTORY_FILE, handle);
    if (!NT_SUCCESS(status)) {
        SetLastError(RtlNtStatusToDosError(status));
        return made;
    }
    made.handle.reset(handle);
    made.kind = FileKind::File;
    return made;
}

OpenedFile openOrMakeFolder(HANDLE folder, const std::wstring& name, DWORD access) {
    if (!folder || !isName(name)) return {};
    OpenedFile opened = openName(folder, name, access);
    if (opened.kind != FileKind::Absent) {
        if (opened.kind != FileKind::Folder) opened.handle.reset();
        return opened;
    }
    HANDLE handle = nullptr;
    const NTSTATUS status = createName(folder, name, access, kShareAll, FILE_DIRECTORY_FILE, handle);
    constexpr NTSTATUS kNameCollision = NTSTATUS(0xC0000035L);
    if (status == kNameCollision) {
        // Made by someone else meanwhile: judged as any folder that was there.
        opened = openName(folder, name, access);
        if (opened.kind != FileKind::Folder) opened.handle.reset();
        return opened;
    }
    if (!NT_SUCCESS(status)) {
        SetLastError(RtlNtStatusToDosError(status));
        return {};
    }
    opened.handle.reset(handle);
    opened.kind = FileKind::Folder;
    return opened;
}

bool splitLastPart(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    std::wstring p = path;
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    const size_t slash = p.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 >= p.size()) return false;
    folder = p.substr(0, slash == 2 && p[1] == L':' ? 3 : slash);
    name = p.substr(slash + 1);
    return true;
}

OpenedFile openWithoutLinks(const std::wstring& path, DWORD access) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH * 2) return {};
    const std::wstring full(buffer, n);
    const bool drive = full.size() >= 3 && full[1] == L':' && full[2] == L'\\' &&
                       ((full[0] >= L'A' && full[0] <= L'Z') || (full[0] >= L'a' && full[0] <= L'z'));
    if (!drive) return {};

    std::vector<std::wstring> parts;
    for (size_t start = 3; start < full.size();) {
        size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        if (end > start) parts.push_back(full.substr(start, end - start));
        start = end + 1;
    }
    // The drive root, by its NT name: the walk starts where no link can be.
    const std::wstring root = L"\\??\\" + full.substr(0, 3);
    constexpr DWORD kWalk = FILE_TRAVERSE | FILE_LIST_DIRECTORY;
    OpenedFile current = openName(nullptr, root, parts.empty() ? access : kWalk);
    for (size_t i = 0; i < parts.size() && current.kind == FileKind::Folder; ++i) {
        const bool last = i + 1 == parts.size();
        OpenedFile next = openName(current.handle.get(), parts[i], last ? access : kWalk);
        if (!last && next.kind == FileKind::Link) next.handle.reset();
        current = std::move(next);
        if (last) return current;
    }
    if (!parts.empty() && current.kind == FileKind::File) return {};  // a file on the way
    return current;
}

OpenedFile openParentWithoutLinks(const std::wstring& path, std::wstring& name, DWORD access) {
    std::wstring folder;
    if (!splitLastPart(path, folder, name)) return {};
    return openWithoutLinks(folder, access);
}

bool listFolder(HANDLE folder, std::vector<FolderEntry>& entries) {
    alignas(8) unsigned char buffer[16384];
    FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(folder, infoClass, buffer, sizeof buffer))
            return GetLastError() == ERROR_NO_MORE_FILES;
        infoClass = FileIdBothDirectoryInfo;
        size_t offset = 0;
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") entries.push_back({std::move(name), info->FileAttributes});
            if (info->NextEntryOffset == 0) break;
            offset += info->NextEntryOffset;
        }
    }
}

bool deleteByHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

namespace {

bool renameTo(HANDLE file, HANDLE root, const std::wstring& name, bool replace) {
    const size_t size = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
    std::vector<uint8_t> block(size, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = replace;
    info->RootDirectory = root;
    info->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    name.copy(info->FileName, name.size());
    return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(size)) != FALSE;
}

} // namespace

bool renameByHandle(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
    if (!folder || !isName(name)) return false;
    if (renameTo(file, folder, name, replace)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_PARAMETER)
        return false;
    // A system that takes no folder handle in a rename (Wine): the full NT
    // name of the same folder, as its handle names it now.
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetFinalPathNameByHandleW(folder, path, MAX_PATH * 2, VOLUME_NAME_DOS);
    if (n < 4 || n >= MAX_PATH * 2 || std::wstring_view(path, 4) != L"\\\\?\\") return false;
    std::wstring target = L"\\??\\" + std::wstring(path + 4, n - 4);
    if (target.back() != L'\\') target += L'\\';
    return renameTo(file, nullptr, target + name, replace);
}

} // namespace nelvo
