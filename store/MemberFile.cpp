#include "store/MemberFile.h"

#include "base/NewSiblingFile.h"
#include "base/UniqueHandle.h"
#include "store/LzmaDecoder.h"

#include <windows.h>

#include <cstring>

namespace nelvo {

bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path) {
    const LzPackage::Entry* entry = package.find(name);
    if (!entry) return false;
    return entry->stored() ? writeStoredMember(package, *entry, path) : writeCompressedMember(package, *entry, path);
}

namespace {

// Moves the open file `file` to `path`, replacing a file there, through the
// handle: the file moved is the one written, whatever happened to its name
// meanwhile. Same volume only.
bool renameTo(HANDLE file, const std::wstring& path) {
    // The name as for MoveFileEx, ended by a zero that the length leaves
    // out.
    const size_t bytes = path.size() * sizeof(wchar_t);
    HeapBlock buffer = HeapBlock::allocate(sizeof(FILE_RENAME_INFO) + bytes);
    if (!buffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    std::memset(buffer.data(), 0, buffer.size());
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(bytes);
    std::memcpy(info->FileName, path.data(), bytes);
    return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(buffer.size())) != FALSE;
}

// Whether someone holds the file at `path` open so that it cannot be
// replaced: the system refuses the replacing move with "access denied"
// both for that and for a file the folder's permissions protect, and only
// this tells them apart. The probe opens the file without changing it.
bool heldOpen(const std::wstring& path) {
    UniqueFileHandle probe(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Makes the temporary file beside `path`, lets `fill` write the content to
// it, and moves it over `path`; see writeMemberFile.
template <typename Fill>
bool replaceWithNewFile(const std::wstring& path, Fill&& fill) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    // The new content goes to a file of its own in the target's folder, so
    // that it replaces the target in one rename on the same volume.
    // Made new (never a name someone else may have put a link at), hidden
    // until it becomes the target, and kept open (shared with nobody) until
    // then.
    UniqueFileHandle file;
    const std::wstring temporary = createNewSibling(folder, L"nlw", [&](const std::wstring& name) {
        file.reset(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
        return bool(file);
    });
    if (temporary.empty()) return false;
    const DWORD old = GetFileAttributesW(path.c_str());
    const bool replacing = old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY);
    const bool readOnly = replacing && (old & FILE_ATTRIBUTE_READONLY);
    // The content reaches the disk before it replaces a file, so that a
    // loss of power cannot leave the target cut where it was whole. A new
    // name had nothing to lose: it is not held up for that.
    bool written = fill(file.get()) && (!replacing || FlushFileBuffers(file.get()));
    if (written) {
        // A read-only target is replaced all the same; it keeps its
        // attribute if the replacement fails.
        if (readOnly) SetFileAttributesW(path.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY));
        FILE_BASIC_INFO basic = {};  // times of zero are left as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        written = SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic) &&
                  renameTo(file.get(), path);
        if (!written && replacing && GetLastError() == ERROR_ACCESS_DENIED && heldOpen(path))
            SetLastError(ERROR_SHARING_VIOLATION);
        if (!written && readOnly) {
            const DWORD error = GetLastError();
            SetFileAttributesW(path.c_str(), old);
            SetLastError(error);
        }
    }
    if (!written) {
        // The caller learns why from the thread's last error: the failed
        // step's, not the clean-up's.
        const DWORD error = GetLastError();
        FILE_DISPOSITION_INFO gone = {TRUE};
        SetFileInformationByHandle(file.get(), FileDispositionInfo, &gone, sizeof gone);
        SetLastError(error);
    }
    return written;
}

bool writeAll(HANDLE file, const uint8_t* data, size_t size) {
    DWORD count = 0;
    if (!WriteFile(file, data, DWORD(size), &count, nullptr)) return false;
    // A write to a file that takes less than it was given found the disk
    // full.
    if (count != size) SetLastError(ERROR_DISK_FULL);
    return count == size;
}

// Each piece of a member written on to the file.
class FileSink final : public PieceSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool take(const uint8_t* data, size_t size) override {
        failed = !writeAll(file_, data, size);
        return !failed;
    }
    bool failed = false;

private:
    HANDLE file_;
};

} // namespace

bool writeCompressedMember(const LzPackage& package, const LzPackage::Entry& entry, const std::wstring& path) {
    if (entry.stored()) return false;
    // A member that does not decode to its full size is not a whole member:
    // nothing of it reaches the disk.
    bool undecoded = false;
    if (replaceWithNewFile(path, [&](HANDLE file) {
            FileSink sink(file);
            const bool ok = package.decodeEntryInPieces(entry, sink) == LzPackage::Decode::Ok;
            undecoded = !ok && !sink.failed;
            if (undecoded) SetLastError(ERROR_INVALID_DATA);
            return ok;
        }))
        return true;
    // Only a stream that the window could not take is tried again, whole (a
    // damaged one fails again); a file that could not be written is not.
    if (!undecoded) return false;
    HeapBlock block;
    if (package.decodeEntry(entry, block) != LzPackage::Decode::Ok) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return writeMemberFile(path, block.data(), block.size());
}

bool writeMemberFile(const std::wstring& path, const uint8_t* data, size_t size) {
    if (size > MAXDWORD) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    return replaceWithNewFile(path, [&](HANDLE file) { return writeAll(file, data, size); });
}

bool writeStoredMember(const LzPackage& package, const LzPackage::Entry& entry, const std::wstring& path) {
    if (!entry.stored()) return false;
    if (const uint8_t* data = package.storedBytes(entry)) return writeMemberFile(path, data, entry.packedSize);
    HeapBlock window = HeapBlock::allocate(kSourceWindow);
    if (!window) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return replaceWithNewFile(path, [&](HANDLE file) {
        for (uint32_t done = 0; done < entry.packedSize;) {
            const size_t n = entry.packedSize - done < kSourceWindow ? entry.packedSize - done : kSourceWindow;
            if (!package.source().read(uint64_t(entry.offset) + done, window.data(), n)) {
                SetLastError(ERROR_INVALID_DATA);
                return false;
            }
            if (!writeAll(file, window.data(), n)) return false;
            done += uint32_t(n);
        }
        return true;
    });
}

} // namespace nelvo
