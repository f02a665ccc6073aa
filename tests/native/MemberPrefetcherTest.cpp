// Decoding ahead of an install script: every member comes out as a plain
// lookup gives it or is left to the caller, whatever order the script
// really asks in, and no more than the budget is held ahead.

#include "store/MemberPrefetcher.h"
#include "tools/lzpack/PackageWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace nelvo;

namespace {

// Content that LZMA packs, different for every seed.
std::string memberContent(size_t n, unsigned seed) {
    std::string s;
    unsigned x = seed * 2654435761u + 1;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += "record " + std::to_string(x % 1000) + " of member " + std::to_string(seed) + "\n";
    }
    s.resize(n);
    return s;
}

std::string text(const HeapBlock& b) { return std::string(b.text()); }

} // namespace

TEST(MemberPrefetcher, FindsTheNamesAScriptQuotes) {
    const char* source =
        "-- don't read this comment's quotes\n"
        "local t = { { 1, 'Effect\\\\bg\\\\black.efc' }, { 1, \"a.dll\" } }\n"
        "--[[ 'in a long comment' ]] local s = [==[Resource\\pic\\top.jpg]==]\n"
        "print('it\\'s', \"\\\"q\\\"\", '')\n"
        "extractFile('unterminated\n"
        "x = [[open";
    const std::vector<std::u16string> want = {u"Effect/bg/black.efc", u"a.dll",        u"Resource/pic/top.jpg",
                                              u"it's",                u"\"q\"",         u"unterminated",
                                              u"open"};
    EXPECT_EQ(MemberPrefetcher::quotedNames(source), want);
}

TEST(MemberPrefetcher, MembersComeOutAsLookupsGiveThem) {
    PackageWriter writer;
    std::vector<std::string> contents;
    for (unsigned i = 0; i < 8; ++i) {
        contents.push_back(memberContent(60000 + i * 7000, i));
        ASSERT_TRUE(writer.add(u"dir/m" + std::u16string(1, char16_t(u'0' + i)), contents.back(), true));
    }
    ASSERT_TRUE(writer.add(u"stored.bin", "kept as is", false));
    std::vector<uint8_t> bytes = writer.finish();
    auto package = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(package);
    // m6 damaged in the middle of its stream: it must stay damaged.
    const LzPackage::Entry* m6 = package->find(u"dir/m6");
    for (uint32_t k = 0; k < 64; ++k) bytes[m6->offset + m6->packedSize / 2 + k] ^= 0xA5;
    HeapBlock plain6;
    ASSERT_EQ(package->lookupChecked(u"dir/m6", plain6), LzPackage::Decode::Damaged);

    const size_t budget = 150000;  // two members, never three
    const size_t largest = 100000;  // m6 and m7 are the caller's
    {
        MemberPrefetcher prefetcher(*package, budget, largest);
        std::string script;
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7}) script += "extractFile('dir\\\\m" + std::to_string(i) + "', p)\n";
        script += "extractFile('stored.bin', p) extractFile('missing', p)\n";
        prefetcher.expect(MemberPrefetcher::quotedNames(script));

        // Let the thread fill its budget before the first request.
        for (int i = 0; i < 500 && prefetcher.peakHeld() < 2 * 60000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_GE(prefetcher.peakHeld(), size_t(2 * 60000));

        // What the caller ends up with: the member taken, or the one it
        // decodes itself where the prefetcher leaves it to it.
        bool left = false;
        auto taken = [&](const std::u16string& name) {
            HeapBlock out;
            auto result = prefetcher.take(name, out);
            left = !result;
            if (left) result = package->lookupChecked(name, out);
            return std::make_pair(*result, text(out));
        };
        auto member = [](int i) { return u"dir/m" + std::u16string(1, char16_t(u'0' + i)); };
        using Decode = LzPackage::Decode;
        // In order, then m4 skipped and asked for after m5, m5 asked twice:
        // the repeated ones are left to the caller.
        for (int i : {0, 1, 2, 3, 5, 4, 5}) {
            SCOPED_TRACE(i);
            EXPECT_EQ(taken(member(i)), std::make_pair(Decode::Ok, contents[size_t(i)]));
            if (i == 0) EXPECT_FALSE(left);
        }
        EXPECT_TRUE(left);
        EXPECT_EQ(taken(member(6)), std::make_pair(Decode::Damaged, text(plain6)));
        EXPECT_TRUE(left);
        EXPECT_EQ(taken(u"stored.bin"), std::make_pair(Decode::Ok, std::string("kept as is")));
        EXPECT_TRUE(left);
        EXPECT_EQ(taken(u"missing").first, Decode::Absent);
        EXPECT_LE(prefetcher.peakHeld(), budget);
    }
    {
        // Members left decoded ahead and never taken are freed with the
        // prefetcher (the sanitizer build would report a leak).
        MemberPrefetcher unfinished(*package, budget, largest);
        unfinished.expect({u"dir/m0", u"dir/m1"});
        for (int i = 0; i < 500 && unfinished.peakHeld() < 2 * 60000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    {
        // Gone before it got anything to do.
        MemberPrefetcher idle(*package, budget, largest);
        idle.expect({u"dir/m7", u"dir/m0"});
    }
}
