#include "base/ProtectedAccess.h"

#include "base/UniqueHandle.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

namespace nelvo {

SecurityDescriptor::SecurityDescriptor(const wchar_t* text) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor_, nullptr))
        descriptor_ = nullptr;
}

SecurityDescriptor::~SecurityDescriptor() {
    if (descriptor_) LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* SecurityDescriptor::attributes(bool inheritHandle) {
    attributes_ = {sizeof attributes_, descriptor_, inheritHandle};
    return &attributes_;
}

namespace {

void freeLocal(HLOCAL block) { LocalFree(block); }
using UniqueLocalBlock = UniqueHandle<HLOCAL, freeLocal>;

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring withoutTrailingSeparator(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

Holder holderOf(PSID sid) {
    if (!sid || !IsValidSid(sid)) return Holder::Other;
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return Holder::Administrators;
    if (IsWellKnownSid(sid, WinLocalSystemSid)) return Holder::System;
    // NT SERVICE\TrustedInstaller, the service that owns the system's files.
    static const std::wstring trustedInstaller = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return Holder::Other;
    const bool installer = trustedInstaller == text;
    LocalFree(text);
    return installer ? Holder::TrustedInstaller : Holder::Other;
}

// An object opened as itself (a link is not followed) to read or set its
// security; folders need the backup flag to be opened at all.
UniqueFileHandle openAsItself(const std::wstring& path, DWORD access) {
    return UniqueFileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The system's program folders, as the machine names them (never the
// environment, which the user sets).
std::vector<std::wstring> programFolders() {
    std::vector<std::wstring> folders;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
            folders.push_back(withoutTrailingSeparator(path));
    }
    // The 64-bit one, which a 32-bit program is not told of.
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
        key.release();
        return folders;
    }
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof path - sizeof(wchar_t);
    if (RegGetValueW(key.get(), nullptr, L"ProgramW6432Dir", RRF_RT_REG_SZ, nullptr, path, &bytes) == ERROR_SUCCESS)
        folders.push_back(withoutTrailingSeparator(path));
    return folders;
}

class DiskSecuritySource final : public SecuritySource {
public:
    bool exists(const std::wstring& path) override { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    bool isPlainFolder(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    ObjectSecurity security(const std::wstring& path) override {
        const UniqueFileHandle object = openAsItself(path, READ_CONTROL);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!object || GetSecurityInfo(object.get(), SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                       nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
            return {};
        const UniqueLocalBlock owned(descriptor);
        return describeSecurity(descriptor);
    }

    bool list(const std::wstring& folder, std::vector<FolderItem>& out) override {
        WIN32_FIND_DATAW found;
        UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            out.push_back({name, bool(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY),
                           bool(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)});
        } while (FindNextFileW(find.get(), &found));
        return GetLastError() == ERROR_NO_MORE_FILES;
    }

    bool isProgramFolder(const std::wstring& folder) override {
        for (const std::wstring& programs : programFolders_)
            if (sameText(programs, folder)) return true;
        return false;
    }

private:
    std::vector<std::wstring> programFolders_ = programFolders();
};

// The new folder, seen through its own handle: a folder and no link, and
// its owner and list set through that handle.
bool protectNewFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
    const UniqueFileHandle folder = openAsItself(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !GetFileInformationByHandle(folder.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) ||
        !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted))
        return false;
    const DWORD set = SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                          PROTECTED_DACL_SECURITY_INFORMATION,
                                      owner, nullptr, dacl, nullptr);
    return set == ERROR_SUCCESS || !systemKeepsFileSecurity();
}

// Whether a file can be made in an existing folder (not on a read-only
// volume, say): a probe of a name of its own, gone when it is closed.
bool takesFiles(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\nelvo-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount()) + L".tmp";
    const UniqueFileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return bool(file);
}

} // namespace

ObjectSecurity describeSecurity(PSECURITY_DESCRIPTOR descriptor) {
    ObjectSecurity security;
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL dacl = nullptr;
    if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return security;
    security.known = true;
    security.owner = holderOf(owner);
    security.hasAccessList = present && dacl;
    for (DWORD i = 0; security.hasAccessList && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return ObjectSecurity{};
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        entry.inheritOnly = header->AceFlags & INHERIT_ONLY_ACE;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
            const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
            entry.allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
            entry.mask = plain->Mask;
            entry.holder = holderOf(const_cast<DWORD*>(&plain->SidStart));
        } else {
            entry.mask = 0xFFFFFFFF;
        }
        security.entries.push_back(entry);
    }
    return security;
}

bool systemKeepsFileSecurity() {
    static const bool keeps = [] {
        wchar_t system[MAX_PATH] = {};
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return true;
        DiskSecuritySource disk;
        const ObjectSecurity security = disk.security(system);
        return !security.known || security.owner != Holder::Other;
    }();
    return keeps;
}

FolderTrust installFolderTrust(const std::wstring& path) {
    DiskSecuritySource disk;
    if (systemKeepsFileSecurity()) return judgeInstallFolder(disk, path);
    const std::wstring folder = withoutTrailingSeparator(path);
    if (!disk.exists(folder)) return FolderTrust::Placeable;
    // A file, or a link to a folder elsewhere, is no install folder.
    return disk.isPlainFolder(folder) ? FolderTrust::Protected : FolderTrust::OthersCanChange;
}

bool makeInstallFolder(const std::wstring& text) {
    const std::wstring path = withoutTrailingSeparator(text);
    const FolderTrust trust = installFolderTrust(path);
    if (trust == FolderTrust::Protected) return takesFiles(path);
    if (trust != FolderTrust::Placeable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    SecurityDescriptor descriptor(kInstallFolderAccess);
    if (!descriptor) return false;
    // The missing folders, from the top down.
    std::vector<std::wstring> missing;
    for (std::wstring folder = path; folder.size() > 3 && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;) {
        missing.push_back(folder);
        const size_t slash = folder.find_last_of(L"\\/");
        if (slash == std::wstring::npos || slash < 2) return false;
        folder = slash == 2 ? folder.substr(0, 3) : folder.substr(0, slash);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!CreateDirectoryW(it->c_str(), descriptor.attributes())) return false;
        if (!protectNewFolder(*it, descriptor.get())) return false;
    }
    return true;
}

bool ownedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted =
        owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return trusted;
}

} // namespace nelvo
