#include "store/ResourceFileSystem.h"

#include "store/ResourceIds.h"

#include <cstring>

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

} // namespace

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
