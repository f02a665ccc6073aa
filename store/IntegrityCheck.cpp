#include "store/IntegrityCheck.h"

#include "base/HeapBlock.h"
#include "base/Sha256.h"
#include "store/ResourceDigests.h"
#include "store/ResourceIds.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace nelvo {

namespace {

constexpr wchar_t kType[] = L"_QUENTRESC";
constexpr int kRegistered[] = {NELVO_RES_UI_LUA,      NELVO_RES_FRAME_LZ, NELVO_RES_LG_LUA,
                               NELVO_RES_PROGRAM_LZ, NELVO_RES_STYLE_LZ, NELVO_RES_SL_LUA};

// The bytes of a resource where the module holds them; empty view (null
// data) when there is none.
std::string_view resourceBytes(HMODULE module, const wchar_t* type, int id) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return {};
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const char*>(data), SizeofResource(module, info)};
}

// The digest of everything `source` gives, read a window at a time.
bool digestOf(const ByteSource& source, Sha256::Digest& digest) {
    HeapBlock window = HeapBlock::allocate(kSourceWindow);
    if (!window) return false;
    Sha256 sha;
    for (uint64_t at = 0; at < source.size();) {
        const size_t n = size_t(source.size() - at < kSourceWindow ? source.size() - at : kSourceWindow);
        if (!source.read(at, window.data(), n)) return false;
        sha.update(window.data(), n);
        at += n;
    }
    digest = sha.finish();
    return true;
}

// Whether the resource is there with the recorded size, without reading it.
bool sizeMatches(HMODULE module, const ResourceDigest& d) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(static_cast<int>(d.id)), kType);
    return info && SizeofResource(module, info) == d.size;
}

// Every byte of a small resource read in place and hashed.
bool bytesMatch(HMODULE module, const ResourceDigest& d) {
    const std::string_view bytes = resourceBytes(module, kType, static_cast<int>(d.id));
    return bytes.data() && bytes.size() == d.size && Sha256::of(bytes.data(), bytes.size()) == d.sha;
}

bool readDigests(HMODULE module, std::vector<ResourceDigest>& digests) {
    const std::string_view record = resourceBytes(module, MAKEINTRESOURCEW(10) /* RT_RCDATA */, NELVO_RES_DIGESTS);
    return record.data() && parseDigests(record, digests);
}

} // namespace

bool resourcesIntact(HMODULE module, int deferredId) {
    std::vector<ResourceDigest> digests;
    if (!readDigests(module, digests)) return false;
    for (const ResourceDigest& d : digests) {
        const bool deferred = deferredId != 0 && d.id == static_cast<uint32_t>(deferredId);
        if (!(deferred ? sizeMatches(module, d) : bytesMatch(module, d))) return false;
    }
    // A registered resource the record does not know is not ours either.
    for (int id : kRegistered) {
        const bool listed = std::any_of(digests.begin(), digests.end(),
                                        [id](const ResourceDigest& d) { return d.id == static_cast<uint32_t>(id); });
        if (!listed && resourceBytes(module, kType, id).data()) return false;
    }
    return true;
}

bool resourceIntact(HMODULE module, int id, const ByteSource* source) {
    std::vector<ResourceDigest> digests;
    if (!source || !readDigests(module, digests)) return false;
    const auto it = std::find_if(digests.begin(), digests.end(),
                                 [id](const ResourceDigest& d) { return d.id == static_cast<uint32_t>(id); });
    Sha256::Digest sha;
    return it != digests.end() && source->size() == it->size && digestOf(*source, sha) && sha == it->sha;
}

} // namespace nelvo
