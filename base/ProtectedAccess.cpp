#include "base/ProtectedAccess.h"

#include <aclapi.h>
#include <sddl.h>

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

bool volumeKeepsAccessLists(const std::wstring& path) {
    wchar_t root[MAX_PATH] = {};
    DWORD flags = 0;
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return true;
    return flags & FS_PERSISTENT_ACLS;
}

} // namespace

bool createProtectedFolder(const std::wstring& path, const wchar_t* text) {
    SecurityDescriptor descriptor(text);
    if (!descriptor || path.empty()) return false;
    if (CreateDirectoryW(path.c_str(), descriptor.attributes())) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) return false;
    // The protected flag cuts what the parent lends; what lies inside and
    // inherits is given the new list by the same call.
    std::wstring name = path;
    const DWORD set = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                            nullptr, dacl, nullptr);
    if (set == ERROR_SUCCESS || !volumeKeepsAccessLists(path)) return true;
    // Why, for the caller, as the thread's last error.
    SetLastError(set);
    return false;
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
