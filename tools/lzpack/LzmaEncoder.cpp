#include "tools/lzpack/LzmaEncoder.h"

#include "store/PackageFormat.h"

#include <cstdlib>

extern "C" {
#include <LzmaEnc.h>
}

namespace nelvo {

namespace {
void* encAlloc(void*, size_t size) { return std::malloc(size); }
void encFree(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {encAlloc, encFree};
} // namespace

std::optional<std::vector<uint8_t>> lzmaEncode(std::string_view data, uint32_t dictionary) {
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = 9;
    props.lc = 3;
    props.lp = 0;
    props.pb = 2;
    props.algo = 1;
    props.btMode = 1;
    props.numHashBytes = 4;
    props.fb = 273;
    props.numThreads = 1;
    props.writeEndMark = 0;
    // The header still announces 64 MiB, which is valid for any stream made
    // with less.
    props.dictSize = dictionary;
    props.reduceSize = uint32_t(data.size());

    // LZMA never grows incompressible data by more than a small fraction.
    std::vector<uint8_t> out(package::kLzmaPropsSize + data.size() + data.size() / 32 + 1024);
    SizeT destLen = out.size() - package::kLzmaPropsSize;
    SizeT propsSize = package::kLzmaPropsSize;
    const SRes res = LzmaEncode(out.data() + package::kLzmaPropsSize, &destLen,
                                reinterpret_cast<const Byte*>(data.data()), data.size(), &props, out.data(),
                                &propsSize, 0, nullptr, &g_alloc, &g_alloc);
    if (res != SZ_OK || propsSize != package::kLzmaPropsSize) return std::nullopt;
    out.resize(package::kLzmaPropsSize + destLen);
    out[0] = package::kPropsByte;
    package::writeLe32(out.data() + 1, package::kAnnouncedDictionary);
    return out;
}

} // namespace nelvo
