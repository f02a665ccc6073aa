#pragma once
// The access lists of what the elevated programs make for themselves, as
// security descriptor texts, and the calls that put them on a folder or a
// kernel object.
//
//   kInstallFolderAccess  the install folder: owned by Administrators, full
//                         control for SYSTEM and Administrators, read and
//                         execute for Users, nothing inherited from the
//                         parent; files and folders inside inherit it.
//   kPrivateFolderAccess  a folder only SYSTEM and Administrators may open
//                         (the uninstaller's hand-over).
//   kInstanceMutexAccess  the instance mutex: owned by Administrators, only
//                         SYSTEM and Administrators may open it.


#include "base/FolderTrust.h"

#include <windows.h>

#include <string>

namespace nelvo {

inline constexpr wchar_t kInstallFolderAccess[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
inline constexpr wchar_t kPrivateFolderAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
inline constexpr wchar_t kInstanceMutexAccess[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";

// A security descriptor built from its text; empty when the text is not
// one. Owns the block the system allocates.
class SecurityDescriptor {
public:
    explicit SecurityDescriptor(const wchar_t* text);
    ~SecurityDescriptor();
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

    explicit operator bool() const { return descriptor_ != nullptr; }
    PSECURITY_DESCRIPTOR get() const { return descriptor_; }
    // For the Create... calls; valid while this object lives.
    SECURITY_ATTRIBUTES* attributes(bool inheritHandle = false);

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// The security of a descriptor as base/FolderTrust.h weighs it: each
// owner and entry's holder sorted, the entries' rights and inheritance as
// they are. An entry of a kind other than allow or deny counts as one that
// allows another everything.
ObjectSecurity describeSecurity(PSECURITY_DESCRIPTOR descriptor);

// Whether the system keeps the access lists of files. A system that makes
// one up for every file and forgets what is set (Wine) shows the system
// folder owned by the user; on Windows its owner is TrustedInstaller.
bool systemKeepsFileSecurity();

// judgeInstallFolder over the disk, each part opened as itself. Where the
// system keeps no access lists of files there is nothing to judge: an
// existing folder is Protected, a missing one Placeable.
FolderTrust installFolderTrust(const std::wstring& path);

// Makes `path` the install folder: refused (false) unless
// installFolderTrust judges it Protected or Placeable. A folder that
// exists keeps its own access list (it passed because only administrators
// can change it) and must take a new file; a missing one is created, with every missing folder above
// it, owned by Administrators with kInstallFolderAccess, and that is set once
// more through the handle of the new folder, opened as itself. False when a
// folder cannot be made or its security cannot be set.
bool makeInstallFolder(const std::wstring& path);

// Whether a kernel object's owner is the Administrators group or SYSTEM,
// which only an elevated program can make it. False when the owner cannot
// be read.
bool ownedByAdministrators(HANDLE object);

} // namespace nelvo
