#include "bench/SampleMembers.h"

#include <cstdint>

namespace nelvo::bench {

namespace {

struct Rng {
    uint64_t s;
    uint32_t next() {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(s >> 33);
    }
};

// Machine code: instruction-like byte patterns, repeated idioms, tables of
// addresses, string pools.
std::string code(size_t n, uint64_t seed) {
    Rng r{seed};
    static const char* idioms[] = {"\x55\x8b\xec", "\x8b\x45\x08", "\xff\x15", "\xe8", "\x83\xc4\x0c", "\x5d\xc3",
                                   "\x89\x45\xfc", "\x6a\x00", "\x85\xc0\x74", "\x33\xc0"};
    std::string s;
    while (s.size() < n) {
        const uint32_t k = r.next() % 100;
        if (k < 70) {
            s += idioms[r.next() % 10];
            const uint32_t imm = r.next() % 4096;
            s.append(reinterpret_cast<const char*>(&imm), r.next() % 3);
        } else if (k < 85) {
            const uint32_t addr = 0x401000 + (r.next() % 0x8000) * 4;
            s.append(reinterpret_cast<const char*>(&addr), 4);
        } else if (k < 95) {
            static const char* words[] = {"GetProcAddress", "CreateFileW", "RegOpenKeyExW", "camera", "filter",
                                          "DllRegisterServer", "video", "device", "Nelvo", "WaitForSingleObject"};
            s += words[r.next() % 10];
            s.push_back('\0');
        } else {
            for (int i = 0; i < 8; ++i) s.push_back(char(r.next()));
        }
    }
    s.resize(n);
    return s;
}

std::string text(size_t n, uint64_t seed) {
    Rng r{seed};
    static const char* words[] = {"the", "software", "licence", "you", "may", "not", "copy", "device", "driver",
                                  "camera", "video", "this", "agreement", "and", "of", "to", "in", "rights",
                                  "Nelvo", "warranty", "use", "install", "user", "product", "shall", "be"};
    std::string s;
    int col = 0;
    while (s.size() < n) {
        const char* w = words[r.next() % 26];
        s += w;
        col += int(std::char_traits<char>::length(w)) + 1;
        if (col > 72) {
            s += "\r\n";
            col = 0;
        } else {
            s += r.next() % 13 ? " " : ", ";
        }
    }
    s.resize(n);
    return s;
}

// A 32-bit bitmap of soft gradients and flat areas, like UI artwork.
std::string bitmap(int w, int h, uint64_t seed) {
    Rng r{seed};
    std::string s = "BM";
    s.resize(54, '\0');
    const int cx = int(r.next() % w), cy = int(r.next() % h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int d = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 64;
            const bool flat = (x / 32 + y / 32) % 3 == 0;
            s.push_back(char(flat ? 0x20 : (x + d) & 0xFF));
            s.push_back(char(flat ? 0x40 : (y + d) & 0xFF));
            s.push_back(char(flat ? 0x80 : d & 0xFF));
            s.push_back(char(0xFF));
        }
    return s;
}

std::string noise(size_t n, uint64_t seed) {
    Rng r{seed};
    std::string s(n, '\0');
    for (char& c : s) c = char(r.next());
    return s;
}

} // namespace

std::vector<SampleMember> sampleMembers() {
    std::vector<SampleMember> m;
    m.push_back({u"Nelvo.exe", code(1200000, 1)});
    m.push_back({u"nelvodumper.dll", code(420000, 2)});
    m.push_back({u"Nelvo.ax", code(610000, 3)});
    m.push_back({u"DevconExe.exe", code(80000, 4)});
    m.push_back({u"DevconExe64.exe", code(85000, 5)});
    m.push_back({u"NelvoCount.exe", code(150000, 6)});
    m.push_back({u"NelvoBugReport.exe", code(350000, 7)});
    m.push_back({u"unins000.exe", code(700000, 8)});
    m.push_back({u"licence.txt", text(60000, 9)});
    m.push_back({u"nelvo.inf", text(6000, 10)});
    for (int i = 0; i < 12; ++i) m.push_back({u"Effect/bg/" + std::u16string(1, char16_t(u'a' + i)) + u".efc",
                                              bitmap(200, 150, 20 + i)});
    for (int i = 0; i < 4; ++i)
        m.push_back({u"Effect/media/clip" + std::u16string(1, char16_t(u'0' + i)) + u".bin", noise(380000, 40 + i)});
    for (int i = 0; i < 5; ++i)
        m.push_back({u"lang/" + std::u16string(1, char16_t(u'0' + i)) + u".xml", text(90000, 50 + i)});
    return m;
}

} // namespace nelvo::bench
