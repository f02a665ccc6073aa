#include "base/PathProbe.h"

#include "base/UniqueHandle.h"

#include <windows.h>

namespace nelvo {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class SystemPathProbe final : public PathProbe {
public:
    std::wstring fullPath(const std::wstring& path) override {
        if (path.empty()) return {};
        std::wstring full(MAX_PATH, L'\0');
        DWORD n = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (n >= full.size()) {
            full.resize(n);
            n = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        }
        if (n == 0 || n >= full.size()) return {};
        full.resize(n);
        return full;
    }

    Kind kind(const std::wstring& path) override {
        const DWORD byName = GetFileAttributesW(path.c_str());
        if (byName == INVALID_FILE_ATTRIBUTES) return Kind::Absent;
        // The attributes by name are the link's own, not its target's: what
        // is no reparse point there is no link, and need not be opened.
        if (!(byName & FILE_ATTRIBUTE_REPARSE_POINT)) return Kind::Plain;
        // Opened as itself: a link is not followed, so its own attributes
        // and tag are what the handle names.
        UniqueFileHandle own(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_ATTRIBUTE_TAG_INFO tag{};
        const bool tagged = own && GetFileInformationByHandleEx(own.get(), FileAttributeTagInfo, &tag, sizeof tag);
        if (tagged && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            // Other reparse points (files kept in the cloud, deduplicated
            // files) are the file itself.
            return IsReparseTagNameSurrogate(tag.ReparseTag) ? Kind::Link : Kind::Plain;
        // A system that shows a link only in the attributes by name (Wine
        // for a link of the host's file system) and gives it no tag.
        if ((byName & FILE_ATTRIBUTE_REPARSE_POINT) && (!tagged || tag.ReparseTag == 0)) return Kind::Link;
        return Kind::Plain;
    }

    std::wstring finalPath(const std::wstring& path) override {
        UniqueFileHandle reached(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!reached) return {};
        std::wstring name(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(reached.get(), name.data(), DWORD(name.size()), VOLUME_NAME_DOS);
        if (n >= name.size()) {
            name.resize(n + 1);
            n = GetFinalPathNameByHandleW(reached.get(), name.data(), DWORD(name.size()), VOLUME_NAME_DOS);
        }
        if (n == 0 || n >= name.size()) return {};
        name.resize(n);
        if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + name.substr(7);
        if (name.rfind(L"\\\\?\\", 0) == 0) return name.substr(4);
        return name;
    }

    std::wstring longPath(const std::wstring& path) override {
        std::wstring name(MAX_PATH, L'\0');
        DWORD n = GetLongPathNameW(path.c_str(), name.data(), DWORD(name.size()));
        if (n >= name.size()) {
            name.resize(n);
            n = GetLongPathNameW(path.c_str(), name.data(), DWORD(name.size()));
        }
        if (n == 0 || n >= name.size()) return path;
        name.resize(n);
        return name;
    }
};

} // namespace

PathProbe& systemPathProbe() {
    static SystemPathProbe probe;
    return probe;
}

} // namespace nelvo
