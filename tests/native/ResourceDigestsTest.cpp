#include "store/ResourceDigests.h"

#include <gtest/gtest.h>

#include <string>

namespace nelvo {
namespace {

std::string hex(const Sha256::Digest& d) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : d) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

// The standard's examples, and a long message added in uneven pieces so
// that every path through the block buffer is taken.
TEST(Sha256, MatchesTheStandardExamples) {
    EXPECT_EQ(hex(Sha256::of("", 0)), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex(Sha256::of("abc", 3)), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(hex(Sha256::of(two.data(), two.size())),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    Sha256 h;
    const std::string a(1000000, 'a');
    for (size_t at = 0, step = 1; at < a.size(); at += step, step = step % 97 + 1)
        h.update(a.data() + at, std::min(step, a.size() - at));
    EXPECT_EQ(hex(h.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // In one piece, whole blocks go through the processor's SHA extensions
    // where it has them.
    EXPECT_EQ(hex(Sha256::of(a.data(), a.size())), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(ResourceDigests, RoundTripAndRefuseEveryMalformedRecord) {
    std::vector<ResourceDigest> in(2);
    in[0] = {111, 3, Sha256::of("abc", 3)};
    in[1] = {115, 0, Sha256::of("", 0)};
    const std::string bytes = serializeDigests(in);
    ASSERT_EQ(bytes.size(), 8 + 2 * kDigestEntryBytes);
    std::vector<ResourceDigest> out;
    ASSERT_TRUE(parseDigests(bytes, out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].id, 111u);
    EXPECT_EQ(out[0].size, 3u);
    EXPECT_EQ(out[1].sha, in[1].sha);

    EXPECT_FALSE(parseDigests(bytes.substr(0, bytes.size() - 1), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(parseDigests(bytes + "x", out));
    EXPECT_FALSE(parseDigests("NVRX" + bytes.substr(4), out));
    EXPECT_FALSE(parseDigests(bytes.substr(0, 6), out));
    std::string tooMany = bytes;
    tooMany[4] = static_cast<char>(kMaxDigestEntries + 1);
    EXPECT_FALSE(parseDigests(tooMany, out));
    EXPECT_TRUE(parseDigests(serializeDigests({}), out));
    EXPECT_TRUE(out.empty());
}

} // namespace
} // namespace nelvo
