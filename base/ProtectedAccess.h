#pragma once
// The access lists of what the elevated programs make for themselves, as
// security descriptor texts, and the calls that put them on a folder or a
// kernel object.
//
//   kInstallFolderAccess  the install folder: full control for SYSTEM and
//                         Administrators, read and execute for Users,
//                         nothing inherited from the parent; files and
//                         folders inside inherit it.
//   kPrivateFolderAccess  a folder only SYSTEM and Administrators may open
//                         (the uninstaller's hand-over).
//   kInstanceMutexAccess  the instance mutex: owned by Administrators, only
//                         SYSTEM and Administrators may open it.


#include <windows.h>

#include <string>

namespace nelvo {

inline constexpr wchar_t kInstallFolderAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
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

// Makes `path` (its parent must exist) a folder with the access list
// `text`: a new folder is created with it, an existing folder gets it in
// place of its own. True when the folder has it afterwards, or when its
// volume keeps no access lists at all (where there is nothing to protect
// with). False when the path is a file or the list cannot be set.
bool createProtectedFolder(const std::wstring& path, const wchar_t* text);

// Whether a kernel object's owner is the Administrators group or SYSTEM,
// which only an elevated program can make it. False when the owner cannot
// be read.
bool ownedByAdministrators(HANDLE object);

} // namespace nelvo
