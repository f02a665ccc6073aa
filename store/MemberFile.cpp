#include "store/MemberFile.h"

#include "base/NewSiblingFile.h"
#include "base/UniqueHandle.h"

#include <windows.h>

namespace nelvo {

bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path) {
    // A stored member is written straight from the package.
    const LzPackage::Entry* entry = package.find(name);
    if (entry && entry->stored()) return writeStoredMember(package, *entry, path);
    HeapBlock block;
    const LzPackage::Decode decoded = package.lookupChecked(name, block);
    // A member that did not decode to its full size is not a whole member:
    // nothing of it reaches the disk.
    if (decoded != LzPackage::Decode::Ok) return false;
    return writeMemberFile(path, block.data(), block.size());
}

namespace {

// Makes the temporary file beside `path`, lets `fill` write the content to
// it, and moves it over `path`; see writeMemberFile.
template <typename Fill>
bool replaceWithNewFile(const std::wstring& path, Fill&& fill) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    // The new content goes to a file of its own in the target's folder, so
    // that it replaces the target in one rename on the same volume.
    // Made new (never a name someone else may have put a link at), hidden
    // until it becomes the target.
    UniqueFileHandle file;
    const std::wstring temporary = createNewSibling(folder, L"nlw", [&](const std::wstring& name) {
        file.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
        return bool(file);
    });
    if (temporary.empty()) return false;
    bool written = fill(file.get()) && FlushFileBuffers(file.get());
    file.reset();
    if (written) {
        // A read-only target is replaced all the same; it keeps its
        // attribute if the replacement fails.
        const DWORD old = GetFileAttributesW(path.c_str());
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) && !(old & FILE_ATTRIBUTE_DIRECTORY))
            SetFileAttributesW(path.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY));
        written = MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        if (written)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        else if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(path.c_str(), old);
    }
    if (!written) DeleteFileW(temporary.c_str());
    return written;
}

bool writeAll(HANDLE file, const uint8_t* data, size_t size) {
    DWORD count = 0;
    return WriteFile(file, data, DWORD(size), &count, nullptr) && count == size;
}

} // namespace

bool writeMemberFile(const std::wstring& path, const uint8_t* data, size_t size) {
    if (size > MAXDWORD) return false;
    return replaceWithNewFile(path, [&](HANDLE file) { return writeAll(file, data, size); });
}

bool writeStoredMember(const LzPackage& package, const LzPackage::Entry& entry, const std::wstring& path) {
    if (!entry.stored()) return false;
    if (const uint8_t* data = package.storedBytes(entry)) return writeMemberFile(path, data, entry.packedSize);
    HeapBlock window = HeapBlock::allocate(kSourceWindow);
    if (!window) return false;
    return replaceWithNewFile(path, [&](HANDLE file) {
        for (uint32_t done = 0; done < entry.packedSize;) {
            const size_t n = entry.packedSize - done < kSourceWindow ? entry.packedSize - done : kSourceWindow;
            if (!package.source().read(uint64_t(entry.offset) + done, window.data(), n) ||
                !writeAll(file, window.data(), n))
                return false;
            done += uint32_t(n);
        }
        return true;
    });
}

} // namespace nelvo
