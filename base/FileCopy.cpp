#include "base/FileCopy.h"

#include "base/FileHandles.h"
#include "base/NewSiblingFile.h"

#include <vector>

namespace nelvo {
namespace {

bool copyContent(HANDLE from, HANDLE to) {
    static constexpr DWORD kChunk = 64 << 10;
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, buffer.data(), kChunk, &read, nullptr)) return false;
        if (read == 0) return true;
        DWORD written = 0;
        if (!WriteFile(to, buffer.data(), read, &written, nullptr) || written != read) return false;
    }
}

// The source's time of last write and those of its attributes a copy
// carries; the rest (creation, access) is the copy's own.
void takeTimesAndAttributes(HANDLE from, HANDLE to) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(from, FileBasicInfo, &basic, sizeof basic)) return;
    constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes &= kCarried;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(to, FileBasicInfo, &basic, sizeof basic);
}

} // namespace

bool copyIntoFolder(HANDLE source, HANDLE folder, const std::wstring& name) {
    // Only a plain file, or nothing, is replaced. The handle that shows it
    // is closed again: the system replaces no file held open.
    const FileKind existing = openInFolder(folder, name, 0).kind;
    if (existing != FileKind::Absent && existing != FileKind::File) return false;
    OpenedFile fresh;
    for (int attempt = 0; attempt < 16 && !fresh.handle; ++attempt) {
        const std::wstring freshName = randomFileName(L"nlm");
        if (freshName.empty()) return false;
        fresh = createInFolder(folder, freshName, GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES);
        if (!fresh.handle && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (!fresh.handle) return false;
    LARGE_INTEGER start{};
    const bool copied = SetFilePointerEx(source, start, nullptr, FILE_BEGIN) &&
                        copyContent(source, fresh.handle.get()) && FlushFileBuffers(fresh.handle.get()) &&
                        renameByHandle(fresh.handle.get(), folder, name, true);
    if (!copied) {
        deleteByHandle(fresh.handle.get());
        return false;
    }
    // Only once it has its name: a copy made read-only before could not be
    // deleted through its handle when the rename failed.
    takeTimesAndAttributes(source, fresh.handle.get());
    return true;
}

} // namespace nelvo
