#include "script/FolderTree.h"

#include "base/UniqueHandle.h"

namespace nelvo {

namespace {

class SystemFolderOps final : public FolderOps {
public:
    DWORD attributes(const std::wstring& path) override { return GetFileAttributesW(path.c_str()); }

    bool list(const std::wstring& folder, std::vector<Entry>& entries) override {
        WIN32_FIND_DATAW data;
        UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
        if (!find) return false;
        do {
            entries.push_back({data.cFileName, data.dwFileAttributes});
        } while (FindNextFileW(find.get(), &data));
        return true;
    }

    bool createFolder(const std::wstring& path) override { return CreateDirectoryW(path.c_str(), nullptr); }
    bool removeFolder(const std::wstring& path) override { return RemoveDirectoryW(path.c_str()); }
    bool deleteFile(const std::wstring& path) override { return DeleteFileW(path.c_str()); }
};

bool isDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

bool isFolderLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void removeContents(const std::wstring& folder, FolderOps& ops) {
    std::vector<FolderOps::Entry> entries;
    ops.list(folder, entries);
    for (const FolderOps::Entry& entry : entries) {
        if (isDotEntry(entry.name)) continue;
        const std::wstring child = folder + L"\\" + entry.name;
        if (isFolderLink(entry.attributes)) {
            ops.removeFolder(child);
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            removeContents(child, ops);
            ops.removeFolder(child);
        } else {
            ops.deleteFile(child);
        }
    }
}

} // namespace

FolderOps& systemFolderOps() {
    static SystemFolderOps ops;
    return ops;
}

bool createFolderPath(std::wstring_view path, FolderOps& ops) {
    std::wstring full(path);
    for (wchar_t& c : full)
        if (c == L'/') c = L'\\';

    std::wstring prefix;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        if (end > start) {
            prefix.append(full, start, end - start);
            prefix += L'\\';
            ops.createFolder(prefix);  // exists already, or a drive root: fine
        }
        start = end + 1;
    }
    const DWORD attributes = full.empty() ? INVALID_FILE_ATTRIBUTES : ops.attributes(full);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void removeFolderTree(std::wstring_view path, FolderOps& ops) {
    if (path.empty()) return;
    const std::wstring folder(path);
    // A link is asked about and removed by its own name: with a separator
    // after it the system may answer for, and remove, the folder it points
    // to. A drive root ("C:\") keeps its separator; "C:" names the current
    // folder of the drive.
    std::wstring own = folder;
    while (own.size() > 1 && (own.back() == L'\\' || own.back() == L'/') && own[own.size() - 2] != L':')
        own.pop_back();
    if (isFolderLink(ops.attributes(own))) {
        ops.removeFolder(own);
        return;
    }
    removeContents(folder, ops);
    ops.removeFolder(folder);
}

bool folderEmptyOrAbsent(std::wstring_view path, FolderOps& ops) {
    const std::wstring folder(path);
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : ops.attributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::vector<FolderOps::Entry> entries;
    if (!ops.list(folder, entries)) return false;
    for (const FolderOps::Entry& entry : entries)
        if (!isDotEntry(entry.name)) return false;
    return true;
}

} // namespace nelvo
