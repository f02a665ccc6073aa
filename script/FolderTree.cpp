#include "script/FolderTree.h"

#include "base/UniqueHandle.h"

#include <cwctype>

namespace nelvo {

namespace {

constexpr DWORD kRemoveAccess = DELETE | FILE_LIST_DIRECTORY | FILE_TRAVERSE;

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

    Node makeFolder(Node parent, const std::wstring& name, FileKind& kind) override {
        // Only walked through: what may be made inside is the folder's own
        // access list's to say, for the rights of the thread (a standard
        // user may add nothing to the folders above his own).
        OpenedFile opened = parent ? openOrMakeFolder(reinterpret_cast<HANDLE>(parent), name, FILE_TRAVERSE)
                                   : openWithoutLinks(name, FILE_TRAVERSE);
        kind = opened.kind;
        return kind == FileKind::Folder && opened.handle ? reinterpret_cast<Node>(opened.handle.release()) : 0;
    }

    Node open(Node parent, const std::wstring& name, FileKind& kind) override {
        OpenedFile opened = parent ? openInFolder(reinterpret_cast<HANDLE>(parent), name, kRemoveAccess)
                                   : openWithoutLinks(name, kRemoveAccess);
        kind = opened.kind;
        return opened.handle ? reinterpret_cast<Node>(opened.handle.release()) : 0;
    }

    bool listOpened(Node folder, std::vector<Entry>& entries) override {
        std::vector<FolderEntry> found;
        if (!listFolder(reinterpret_cast<HANDLE>(folder), found)) return false;
        for (FolderEntry& entry : found) entries.push_back({std::move(entry.name), entry.attributes});
        return true;
    }

    bool remove(Node node) override { return deleteByHandle(reinterpret_cast<HANDLE>(node)); }
    void close(Node node) override { CloseHandle(reinterpret_cast<HANDLE>(node)); }
};

bool isDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

// Closes a node of `ops` when it goes out of scope.
class OpenedNode {
public:
    OpenedNode(FolderOps& ops, FolderOps::Node node) : ops_(ops), node_(node) {}
    ~OpenedNode() {
        if (node_) ops_.close(node_);
    }
    OpenedNode(const OpenedNode&) = delete;
    OpenedNode& operator=(const OpenedNode&) = delete;
    FolderOps::Node get() const { return node_; }

private:
    FolderOps& ops_;
    FolderOps::Node node_;
};

void removeOpened(const OpenedNode& node, FileKind kind, FolderOps& ops);

void removeContents(const OpenedNode& folder, FolderOps& ops) {
    std::vector<FolderOps::Entry> entries;
    ops.listOpened(folder.get(), entries);
    for (const FolderOps::Entry& entry : entries) {
        if (isDotEntry(entry.name)) continue;
        // What the listing said is only a hint: the entry may have been
        // replaced since. The handle decides.
        FileKind kind = FileKind::Failed;
        const OpenedNode child(ops, ops.open(folder.get(), entry.name, kind));
        removeOpened(child, kind, ops);
    }
}

void removeOpened(const OpenedNode& node, FileKind kind, FolderOps& ops) {
    if (!node.get()) return;  // absent, unopenable, or a link only its target could be opened of
    if (kind == FileKind::Folder) removeContents(node, ops);
    ops.remove(node.get());  // a file, the emptied folder, or the link itself
}

} // namespace

FolderOps& systemFolderOps() {
    static SystemFolderOps ops;
    return ops;
}

bool createFolderPath(std::wstring_view path, FolderOps& ops) {
    if (path.empty()) return false;
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(std::wstring(path).c_str(), MAX_PATH * 2, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH * 2) return false;
    std::wstring full(buffer, n);
    for (wchar_t& c : full)
        if (c == L'/') c = L'\\';
    const bool drive = full.size() >= 3 && iswalpha(full[0]) && full[1] == L':' && full[2] == L'\\';
    if (!drive) return false;

    FileKind kind = FileKind::Failed;
    FolderOps::Node current = ops.makeFolder(0, full.substr(0, 3), kind);
    for (size_t start = 3; current && start < full.size();) {
        size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        if (end > start) {
            const FolderOps::Node next = ops.makeFolder(current, full.substr(start, end - start), kind);
            const DWORD error = GetLastError();
            ops.close(current);
            current = next;
            SetLastError(error);
        }
        start = end + 1;
    }
    // The system's error for what ended the walk, as making the folder by
    // name would give it: a file in the folder's place, a link refused.
    if (kind == FileKind::File) SetLastError(ERROR_ALREADY_EXISTS);
    if (kind == FileKind::Link) SetLastError(ERROR_ACCESS_DENIED);
    if (!current) return false;
    ops.close(current);
    return kind == FileKind::Folder;
}

void removeFolderTree(std::wstring_view path, FolderOps& ops) {
    // A link is opened by its own name: with a separator after it the system
    // may answer for the folder it points to. A drive root ("C:\") keeps its
    // separator; "C:" names the current folder of the drive.
    std::wstring own(path);
    while (own.size() > 1 && (own.back() == L'\\' || own.back() == L'/') && own[own.size() - 2] != L':')
        own.pop_back();
    if (own.empty()) return;
    FileKind kind = FileKind::Failed;
    const OpenedNode top(ops, ops.open(0, own, kind));
    if (kind == FileKind::File) return;  // not a folder: nothing of a tree
    removeOpened(top, kind, ops);
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
