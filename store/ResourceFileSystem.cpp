#include "store/ResourceFileSystem.h"

#include "base/ModulePath.h"
#include "store/FileRangeSource.h"
#include "store/ImageFileRange.h"
#include "store/ResourceIds.h"

#include <cstring>
#include <string>

namespace nelvo {

namespace {

// The resource of that identifier: found (and its bytes, null only when it is
// empty), or not.
bool findResource(HMODULE module, int id, const void*& bytes, DWORD& size) {
    // Type names match without regard to case: the resource directory holds
    // "_QUENTRESC".
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), L"_QuentResc");
    if (!res) return false;
    size = SizeofResource(module, res);
    HGLOBAL loaded = LoadResource(module, res);
    bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes || size == 0;
}

// The `size` bytes of `module`'s image at `bytes` as a range of the module's
// file, read through a handle that keeps writers out.
//
// What is trusted: the mapped image, which the loader made from the file as
// it was when the process started (the file the user, or the elevation
// prompt, agreed to run); its section table says where the resource lies in
// the file. The file itself is not: the folder it lies in is usually a
// download folder anyone may write to, and it may have been changed or
// replaced since the start. So it is opened once, sharing it with readers
// only (no one can change it while we hold it), the range is checked to lie
// inside the file as it is now, and the bytes read through this handle are
// the ones the digest record of the mapped image is checked against before
// any member is extracted through the same handle.
std::unique_ptr<ByteSource> openInFile(HMODULE module, const void* bytes, DWORD size) {
    // A module loaded as a data file or as an image resource (the low bits
    // of its handle set) is not laid out by its section table.
    if (reinterpret_cast<uintptr_t>(module) & 3) return nullptr;
    const std::wstring path = modulePath(module);
    if (path.empty()) return nullptr;
    std::unique_ptr<FileRangeSource> file = FileRangeSource::open(path.c_str());
    if (!file) return nullptr;
    // The headers are the image's first pages, which are mapped alike.
    MEMORY_BASIC_INFORMATION headers{};
    if (!VirtualQuery(module, &headers, sizeof headers) || headers.BaseAddress != module) return nullptr;
    const uintptr_t rva = static_cast<const uint8_t*>(bytes) - reinterpret_cast<const uint8_t*>(module);
    if (rva > UINT32_MAX) return nullptr;
    const std::optional<uint64_t> offset =
        imageRangeInFile({reinterpret_cast<const uint8_t*>(module), headers.RegionSize}, uint32_t(rva), size,
                         file->fileSize());
    if (!offset || !file->narrow(*offset, size)) return nullptr;
    return file;
}

} // namespace

const ByteSource* ResourceFileSystem::source(std::u16string_view name) {
    auto it = names_.find(name);
    return it == names_.end() ? nullptr : source(it->second);
}

const ByteSource* ResourceFileSystem::source(int id) {
    struct Held {
        SRWLOCK& lock;
        explicit Held(SRWLOCK& l) : lock(l) { AcquireSRWLockExclusive(&lock); }
        ~Held() { ReleaseSRWLockExclusive(&lock); }
    } held(sourcesLock_);
    std::unique_ptr<ByteSource>& slot = sources_[id];
    if (!slot) {
        const void* bytes = nullptr;
        DWORD size = 0;
        if (findResource(module_, id, bytes, size) && size != 0) {
            slot = openInFile(module_, bytes, size);
            if (!slot) slot = std::make_unique<MemorySource>(static_cast<const uint8_t*>(bytes), size);
        }
    }
    return slot.get();
}

std::span<const uint8_t> ResourceFileSystem::view(std::u16string_view name) const {
    auto it = names_.find(name);
    const void* bytes = nullptr;
    DWORD size = 0;
    if (it == names_.end() || !findResource(module_, it->second, bytes, size) || size == 0) return {};
    return {static_cast<const uint8_t*>(bytes), size};
}

HeapBlock ResourceFileSystem::load(std::u16string_view name) {
    auto it = names_.find(name);
    const void* bytes = nullptr;
    DWORD size = 0;
    if (it == names_.end() || !findResource(module_, it->second, bytes, size)) return {};
    HeapBlock block = HeapBlock::allocate(size_t(size) + 4);
    if (!block) return {};
    if (size) std::memcpy(block.data(), bytes, size);
    std::memset(block.data() + size, 0, 4);
    block.truncate(size);
    return block;
}

void ResourceFileSystem::release(HeapBlock block) { (void)block; }

void registerSetupResources(ResourceFileSystem& fs) {
    fs.registerName(u"UI.lua", NELVO_RES_UI_LUA);
    fs.registerName(u"frame.lz", NELVO_RES_FRAME_LZ);
    fs.registerName(u"LG.lua", NELVO_RES_LG_LUA);
    fs.registerName(u"program.lz", NELVO_RES_PROGRAM_LZ);
    fs.registerName(u"style.lz", NELVO_RES_STYLE_LZ);
    fs.registerName(u"SL.lua", NELVO_RES_SL_LUA);
}

} // namespace nelvo
