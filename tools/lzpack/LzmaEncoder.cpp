#include "tools/lzpack/LzmaEncoder.h"

#include "store/PackageFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <LzmaEnc.h>
}

namespace nelvo {

namespace {

void* encAlloc(void*, size_t size) { return std::malloc(size); }
void encFree(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {encAlloc, encFree};

CLzmaEncProps packerProps(uint32_t dictionary, uint64_t size) {
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
    props.reduceSize = size;
    return props;
}

// The SDK's stream interfaces over ours. Each struct starts with the SDK's
// record, so the SDK's `p` is the struct itself.
struct InAdapter {
    ISeqInStream vtable;
    EncoderInput* in;
    uint64_t left;
    bool failed = false;

    static SRes read(void* p, void* buf, size_t* size) {
        auto* self = static_cast<InAdapter*>(p);
        size_t n = *size;
        if (!self->in->read(static_cast<uint8_t*>(buf), n) || n > *size || n > self->left ||
            (n == 0 && self->left != 0 && *size != 0)) {
            self->failed = true;
            return SZ_ERROR_READ;
        }
        self->left -= n;
        *size = n;
        return SZ_OK;
    }
};

struct OutAdapter {
    ISeqOutStream vtable;
    EncoderOutput* out;

    static size_t write(void* p, const void* buf, size_t size) {
        auto* self = static_cast<OutAdapter*>(p);
        return self->out->write(static_cast<const uint8_t*>(buf), size) ? size : 0;
    }
};

class EncoderHandle {
public:
    EncoderHandle() : handle_(LzmaEnc_Create(&g_alloc)) {}
    ~EncoderHandle() {
        if (handle_) LzmaEnc_Destroy(handle_, &g_alloc, &g_alloc);
    }
    EncoderHandle(const EncoderHandle&) = delete;
    EncoderHandle& operator=(const EncoderHandle&) = delete;
    CLzmaEncHandle get() const { return handle_; }

private:
    CLzmaEncHandle handle_;
};

class MemoryInput final : public EncoderInput {
public:
    explicit MemoryInput(std::string_view data) : data_(data) {}
    bool read(uint8_t* out, size_t& size) override {
        size = std::min(size, data_.size() - at_);
        std::memcpy(out, data_.data() + at_, size);
        at_ += size;
        return true;
    }

private:
    std::string_view data_;
    size_t at_ = 0;
};

class MemoryOutput final : public EncoderOutput {
public:
    explicit MemoryOutput(std::vector<uint8_t>& out) : out_(out) {}
    bool write(const uint8_t* data, size_t size) override {
        out_.insert(out_.end(), data, data + size);
        return true;
    }

private:
    std::vector<uint8_t>& out_;
};

} // namespace

bool lzmaEncodeStream(EncoderInput& in, uint64_t size, EncoderOutput& out, uint32_t dictionary) {
    EncoderHandle encoder;
    if (!encoder.get()) return false;
    const CLzmaEncProps props = packerProps(dictionary, size);
    if (LzmaEnc_SetProps(encoder.get(), &props) != SZ_OK) return false;
    uint8_t header[package::kLzmaPropsSize];
    SizeT headerSize = sizeof header;
    if (LzmaEnc_WriteProperties(encoder.get(), header, &headerSize) != SZ_OK || headerSize != sizeof header)
        return false;
    header[0] = package::kPropsByte;
    package::writeLe32(header + 1, package::kAnnouncedDictionary);
    if (!out.write(header, sizeof header)) return false;

    InAdapter inAdapter{{&InAdapter::read}, &in, size};
    OutAdapter outAdapter{{&OutAdapter::write}, &out};
    if (LzmaEnc_Encode(encoder.get(), &outAdapter.vtable, &inAdapter.vtable, nullptr, &g_alloc, &g_alloc) != SZ_OK)
        return false;
    // The input must have been exactly as long as announced.
    if (inAdapter.failed || inAdapter.left != 0) return false;
    uint8_t extra;
    size_t one = 1;
    return in.read(&extra, one) && one == 0;
}

std::optional<std::vector<uint8_t>> lzmaEncode(std::string_view data, uint32_t dictionary) {
    std::vector<uint8_t> out;
    out.reserve(package::kLzmaPropsSize + data.size() + data.size() / 32 + 1024);
    MemoryInput in(data);
    MemoryOutput sink(out);
    if (!lzmaEncodeStream(in, data.size(), sink, dictionary)) return std::nullopt;
    return out;
}

} // namespace nelvo
