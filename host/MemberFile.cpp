#include "host/MemberFile.h"

#include "host/UniqueHandle.h"

#include <windows.h>

namespace nelvo {

bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path) {
    // A stored member is written straight from the package.
    const LzPackage::Entry* entry = package.find(name);
    if (entry && entry->stored()) return writeMemberFile(path, package.storedBytes(*entry), entry->packedSize);
    HeapBlock block;
    const LzPackage::Decode decoded = package.lookupChecked(name, block);
    if (decoded == LzPackage::Decode::Absent || decoded == LzPackage::Decode::NoMemory) return false;
    // A member that did not decode to its full size is not a whole member,
    // even though what decoded was written.
    return writeMemberFile(path, block.data(), block.size()) && decoded == LzPackage::Decode::Ok;
}

bool writeMemberFile(const std::wstring& path, const uint8_t* data, size_t size) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
        DeleteFileW(path.c_str());
    }
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), data, DWORD(size), &written, nullptr) && written == size;
}

} // namespace nelvo
