#include "tools/lzpack/PackageWriter.h"

#include "host/PackageFormat.h"
#include "tools/lzpack/LzmaEncoder.h"

namespace nelvo {

using namespace package;

std::vector<uint8_t> scrambledNameField(std::u16string_view name) {
    const size_t bytes = (name.size() + 1) * 2;
    std::vector<uint8_t> field((bytes + 3) & ~size_t(3), 0);
    for (size_t i = 0; i < name.size(); ++i) {
        field[2 * i] = uint8_t(name[i]);
        field[2 * i + 1] = uint8_t(name[i] >> 8);
    }
    for (size_t i = 0; i < field.size(); i += 4) writeLe32(&field[i], readLe32(&field[i]) ^ kKey);
    return field;
}

bool PackageWriter::add(std::u16string name, std::string_view content, bool compress) {
    std::optional<std::vector<uint8_t>> packed;
    if (compress) {
        packed = lzmaEncode(content);
        if (!packed) return false;
    }
    const size_t packedSize = packed ? packed->size() : content.size();
    if (data_.size() + packedSize > UINT32_MAX || content.size() > UINT32_MAX) return false;

    Member m{std::move(name), uint32_t(data_.size()), uint32_t(packedSize), 0};
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
    const uint32_t dirOffset = uint32_t(out.size());
    uint8_t header[kEntryHeaderSize];
    for (const Member& m : members_) {
        const std::vector<uint8_t> field = scrambledNameField(m.name);
        writeLe32(header, uint32_t(kEntryHeaderSize + field.size()));
        writeLe32(header + 4, m.offset);
        writeLe32(header + 8, m.packedSize);
        writeLe32(header + 12, m.unpackedSize);
        out.insert(out.end(), header, header + sizeof header);
        out.insert(out.end(), field.begin(), field.end());
    }
    uint8_t trailer[kTrailerSize];
    writeLe32(trailer, 0);
    writeLe32(trailer + 4, dirOffset ^ kKey);
    out.insert(out.end(), trailer, trailer + sizeof trailer);
    return out;
}

} // namespace nelvo
