#include "base/FolderTrust.h"

namespace nelvo {

namespace {

// What another may not do to the install folder or to anything in it.
constexpr uint32_t kChangeRights = rights::kWriteData | rights::kAppendData | rights::kWriteExtendedAttributes |
                                   rights::kDeleteChild | rights::kWriteAttributes | rights::kDelete |
                                   rights::kWriteDac | rights::kWriteOwner | rights::kGenericAll |
                                   rights::kGenericWrite;
// What another may not do to a folder above: take out what it holds, change
// who may; below the root also rename or delete the folder itself.
constexpr uint32_t kRootMoveRights = rights::kDeleteChild | rights::kWriteDac | rights::kWriteOwner | rights::kGenericAll;
constexpr uint32_t kMoveRights = kRootMoveRights | rights::kDelete;

std::wstring withoutTrailingSeparators(std::wstring_view path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
    return std::wstring(path);
}

bool isDriveRoot(const std::wstring& path) { return path.size() <= 3; }

// "C:\a\b" gives "C:\a", "C:\a" gives "C:\", the root nothing.
std::wstring parentOf(const std::wstring& path) {
    if (isDriveRoot(path)) return {};
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return slash <= 2 ? path.substr(0, 3) : path.substr(0, slash);
}

} // namespace

bool othersHold(const ObjectSecurity& security, uint32_t wanted) {
    if (!security.known || security.owner == Holder::Other || !security.hasAccessList) return true;
    for (const AccessEntry& entry : security.entries)
        if (entry.allows && !entry.inheritOnly && entry.holder == Holder::Other && (entry.mask & wanted)) return true;
    return false;
}

FolderTrust judgeInstallFolder(SecuritySource& source, std::wstring_view text) {
    const std::wstring folder = withoutTrailingSeparators(text);
    if (folder.size() < 3 || folder[1] != L':') return FolderTrust::OthersCanMove;

    // Pass 1: the folders above, from the parent up.
    for (std::wstring above = parentOf(folder); !above.empty(); above = parentOf(above)) {
        if (source.isProgramFolder(above)) break;
        if (!source.exists(above)) continue;
        if (othersHold(source.security(above), isDriveRoot(above) ? kRootMoveRights : kMoveRights))
            return FolderTrust::OthersCanMove;
    }

    // Pass 2: the folder and everything in it, deepest last.
    if (!source.exists(folder)) return FolderTrust::Placeable;
    if (!source.isPlainFolder(folder)) return FolderTrust::OthersCanChange;
    std::vector<std::wstring> pending{folder};
    std::vector<FolderItem> entries;
    while (!pending.empty()) {
        const std::wstring current = std::move(pending.back());
        pending.pop_back();
        if (othersHold(source.security(current), kChangeRights)) return FolderTrust::OthersCanChange;
        entries.clear();
        if (!source.list(current, entries)) return FolderTrust::OthersCanChange;
        for (const FolderItem& entry : entries) {
            // What a link leads to is not the folder's to vouch for.
            if (entry.link) return FolderTrust::OthersCanChange;
            const std::wstring path = current + L"\\" + entry.name;
            if (entry.folder) {
                pending.push_back(path);
            } else if (othersHold(source.security(path), kChangeRights)) {
                return FolderTrust::OthersCanChange;
            }
        }
    }
    return FolderTrust::Protected;
}

} // namespace nelvo
