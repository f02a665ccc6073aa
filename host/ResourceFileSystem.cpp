#include "host/ResourceFileSystem.h"

#include "host/ResourceIds.h"

#include <cstring>

namespace nelvo {

HeapBlock ResourceFileSystem::load(std::u16string_view name) {
    auto it = names_.find(name);
    if (it == names_.end()) return {};
    // Type names match without regard to case: the resource directory holds
    // "_QUENTRESC".
    HRSRC res = FindResourceW(module_, MAKEINTRESOURCEW(it->second), L"_QuentResc");
    if (!res) return {};
    const DWORD size = SizeofResource(module_, res);
    HGLOBAL loaded = LoadResource(module_, res);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes && size != 0) return {};
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
