#include "tools/lzpack/PackageWriter.h"

#include "store/PackageFormat.h"
#include "tools/lzpack/LzmaEncoder.h"

namespace nelvo {

using namespace package;

bool PackageWriter::add(std::u16string name, std::string_view content, bool compress) {
    std::optional<std::vector<uint8_t>> packed;
    if (compress) {
        packed = lzmaEncode(content);
        if (!packed) return false;
    }
    const size_t packedSize = packed ? packed->size() : content.size();
    if (data_.size() + packedSize > UINT32_MAX || content.size() > UINT32_MAX) return false;

    PackageMember m{std::move(name), uint32_t(data_.size()), uint32_t(packedSize), 0};
    if (packed) {
        // An empty member compresses to a few bytes; its unpacked size of 0
        // would read as "stored", so keep it stored instead.
        if (content.empty()) {
            m.packedSize = 0;
        } else {
            m.unpackedSize = uint32_t(content.size());
            data_.insert(data_.end(), packed->begin(), packed->end());
        }
    } else {
        data_.insert(data_.end(), content.begin(), content.end());
    }
    members_.push_back(std::move(m));
    return true;
}

std::vector<uint8_t> PackageWriter::finish() const {
    std::vector<uint8_t> out = data_;
    const std::vector<uint8_t> directory = packageDirectory(members_, uint32_t(data_.size()));
    out.insert(out.end(), directory.begin(), directory.end());
    return out;
}

} // namespace nelvo
