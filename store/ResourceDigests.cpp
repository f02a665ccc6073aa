#include "store/ResourceDigests.h"

#include <cstring>

namespace nelvo {

namespace {

void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

uint32_t getU32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
}

} // namespace

std::string serializeDigests(const std::vector<ResourceDigest>& entries) {
    std::string out("NVRD");
    putU32(out, static_cast<uint32_t>(entries.size()));
    for (const ResourceDigest& e : entries) {
        putU32(out, e.id);
        putU32(out, e.size);
        out.append(reinterpret_cast<const char*>(e.sha.data()), e.sha.size());
    }
    return out;
}

bool parseDigests(std::string_view bytes, std::vector<ResourceDigest>& out) {
    out.clear();
    if (bytes.size() < 8 || bytes.substr(0, 4) != "NVRD") return false;
    const uint32_t count = getU32(bytes.data() + 4);
    if (count > kMaxDigestEntries || bytes.size() != 8 + count * kDigestEntryBytes) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const char* p = bytes.data() + 8 + i * kDigestEntryBytes;
        ResourceDigest e;
        e.id = getU32(p);
        e.size = getU32(p + 4);
        std::memcpy(e.sha.data(), p + 8, e.sha.size());
        out.push_back(e);
    }
    return true;
}

} // namespace nelvo
