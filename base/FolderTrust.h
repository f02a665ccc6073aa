#pragma once
// Whether a folder may hold programs that administrators will run: the
// decision over the security of the folder, of everything in it and of the
// folders above it, as a SecuritySource describes them. No operating system
// here: base/ProtectedAccess.h gives the source that reads the disk, tests
// describe their own.
//
// Trusted holders are the Administrators group, SYSTEM and TrustedInstaller;
// anyone else (a user, Users, Everyone, Authenticated Users) is another.
//
//   the folder       exists: a folder, no link; it and everything in it is
//                    owned by a trusted
//                    holder, has an access list, and no entry lets another
//                    write, add, delete or change permissions or owner; no
//                    link lies inside. Absent: it will be made protected.
//   the folders      each existing one from the parent up to the drive root
//   above            is owned by a trusted holder and lets no other delete
//                    what it holds or change its permissions or owner; below
//                    the root, nor delete (rename) the folder itself. Missing
//                    ones are made protected with the folder. The system's
//                    program folders (Program Files) end the walk: they and
//                    all above them pass.
//
// A user who owns a folder can always give himself the right to write it
// back; a user who may rename a folder above can move the installation away
// and put his own in its place. Either way the administrator would run what
// the user put there.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

enum class Holder { Administrators, System, TrustedInstaller, Other };

// Access rights as the system numbers them.
namespace rights {
inline constexpr uint32_t kWriteData = 0x2;  // a folder: add a file
inline constexpr uint32_t kAppendData = 0x4;  // a folder: add a folder
inline constexpr uint32_t kWriteExtendedAttributes = 0x10;
inline constexpr uint32_t kDeleteChild = 0x40;
inline constexpr uint32_t kWriteAttributes = 0x100;
inline constexpr uint32_t kDelete = 0x10000;
inline constexpr uint32_t kWriteDac = 0x40000;
inline constexpr uint32_t kWriteOwner = 0x80000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
} // namespace rights

struct AccessEntry {
    Holder holder = Holder::Other;
    bool allows = true;        // false: a deny entry, which only narrows
    bool inheritOnly = false;  // for what is made inside, not for the object
    uint32_t mask = 0;
};

struct ObjectSecurity {
    bool known = false;          // false: unreadable, which trusts nothing
    Holder owner = Holder::Other;
    bool hasAccessList = false;  // no list at all lets everyone do anything
    std::vector<AccessEntry> entries;
};

struct FolderItem {
    std::wstring name;
    bool folder = false;
    bool link = false;  // a reparse point: a junction or a symbolic link
};

class SecuritySource {
public:
    virtual ~SecuritySource() = default;
    // Whether something is at `path` (a link counts as itself).
    virtual bool exists(const std::wstring& path) = 0;
    // Whether `path` is a folder itself: no file, no link to one elsewhere.
    virtual bool isPlainFolder(const std::wstring& path) = 0;
    // The security of the object at `path` itself, a link not followed.
    virtual ObjectSecurity security(const std::wstring& path) = 0;
    // What a folder holds, without "." and ".."; false when it cannot be
    // listed.
    virtual bool list(const std::wstring& folder, std::vector<FolderItem>& out) = 0;
    // Whether `folder` is one of the system's program folders.
    virtual bool isProgramFolder(const std::wstring& folder) = 0;
};

enum class FolderTrust {
    Protected,        // exists, and only trusted holders can change it
    Placeable,        // does not exist; the folders above are sound
    OthersCanChange,  // it or something in it is another's or open to others
    OthersCanMove,    // a folder above lets another move or replace it
};

// `path` is a full path with a drive ("C:\a\b", a trailing "\" allowed).
// The folders above are judged first.
FolderTrust judgeInstallFolder(SecuritySource& source, std::wstring_view path);

// Whether another holds one of `rights` over the object (its owner being
// another counts as holding all).
bool othersHold(const ObjectSecurity& security, uint32_t rights);

} // namespace nelvo
