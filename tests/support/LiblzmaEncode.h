#pragma once
// Raw LZMA1 streams from liblzma, an encoder that shares no code with ours,
// for the native tests: the 5 property bytes, then the stream.

#include <gtest/gtest.h>
#include <lzma.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nelvo::test {

// With or without an end marker (without one, the size is the caller's to
// announce); `preset` 0 is fast enough for members of many megabytes.
inline std::vector<uint8_t> liblzmaEncode(const std::string& data, bool endMarker, uint32_t dictionary = 1 << 20,
                                          uint32_t preset = 6) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, preset);
    opt.dict_size = dictionary;
    lzma_filter filters[2];
    lzma_stream strm = LZMA_STREAM_INIT;
    if (endMarker) {
        filters[0] = {LZMA_FILTER_LZMA1, &opt};
    } else {
        opt.ext_flags = 0;
        opt.ext_size_low = uint32_t(data.size());
        opt.ext_size_high = uint32_t(uint64_t(data.size()) >> 32);
        filters[0] = {LZMA_FILTER_LZMA1EXT, &opt};
    }
    filters[1] = {LZMA_VLI_UNKNOWN, nullptr};
    EXPECT_EQ(lzma_raw_encoder(&strm, filters), LZMA_OK);
    std::vector<uint8_t> out(data.size() + data.size() / 2 + 4096);
    strm.next_in = reinterpret_cast<const uint8_t*>(data.data());
    strm.avail_in = data.size();
    strm.next_out = out.data();
    strm.avail_out = out.size();
    const lzma_ret r = lzma_code(&strm, LZMA_FINISH);
    EXPECT_EQ(r, LZMA_STREAM_END);
    out.resize(strm.total_out);
    lzma_end(&strm);

    std::vector<uint8_t> withProps;
    withProps.push_back(uint8_t((opt.pb * 5 + opt.lp) * 9 + opt.lc));
    for (int i = 0; i < 4; ++i) withProps.push_back(uint8_t(opt.dict_size >> (8 * i)));
    withProps.insert(withProps.end(), out.begin(), out.end());
    return withProps;
}

// The stream of `times` copies of `chunk`, fed in one copy at a time, so
// that a member of many megabytes is never held whole (without an end
// marker; the unpacked size is the caller's to announce).
inline std::vector<uint8_t> liblzmaEncodeRepeated(const std::string& chunk, size_t times, uint32_t dictionary,
                                                  uint32_t preset = 0) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, preset);
    opt.dict_size = dictionary;
    const uint64_t total = uint64_t(chunk.size()) * times;
    opt.ext_flags = 0;
    opt.ext_size_low = uint32_t(total);
    opt.ext_size_high = uint32_t(total >> 32);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream strm = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_raw_encoder(&strm, filters), LZMA_OK);
    std::vector<uint8_t> out;
    for (int i = 0; i < 5; ++i) out.push_back(i == 0 ? uint8_t((opt.pb * 5 + opt.lp) * 9 + opt.lc)
                                                     : uint8_t(opt.dict_size >> (8 * (i - 1))));
    uint8_t buffer[1 << 16];
    for (size_t fed = 0;; ++fed) {
        const bool last = fed == times;
        strm.next_in = reinterpret_cast<const uint8_t*>(chunk.data());
        strm.avail_in = last ? 0 : chunk.size();
        lzma_ret r;
        do {
            strm.next_out = buffer;
            strm.avail_out = sizeof buffer;
            r = lzma_code(&strm, last ? LZMA_FINISH : LZMA_RUN);
            out.insert(out.end(), buffer, buffer + (sizeof buffer - strm.avail_out));
        } while (r == LZMA_OK && (strm.avail_in > 0 || (last && strm.avail_out == 0) || (last && r == LZMA_OK)));
        if (last) {
            EXPECT_EQ(r, LZMA_STREAM_END);
            break;
        }
    }
    lzma_end(&strm);
    return out;
}

} // namespace nelvo::test
