#include "host/MemberFile.h"

#include "host/UniqueHandle.h"

#include <windows.h>

namespace nelvo {

bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path) {
    HeapBlock block;
    const LzPackage::Decode decoded = package.lookupChecked(name, block);
    if (decoded == LzPackage::Decode::Absent || decoded == LzPackage::Decode::NoMemory) return false;

    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
        DeleteFileW(path.c_str());
    }
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file.get(), block.data(), DWORD(block.size()), &written, nullptr) &&
                    written == block.size();
    // A member that did not decode to its full size is not a whole member,
    // even though what decoded was written.
    return ok && decoded == LzPackage::Decode::Ok;
}

} // namespace nelvo
