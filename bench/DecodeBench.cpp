// Decode throughput of package member lookups against xz decoding the same
// LZMA streams (`xz --format=lzma -d`), in one run.
//
//   decode_bench [ROUNDS]
//
// Prints MB/s of unpacked data for both and their ratio.

#include "bench/SampleMembers.h"
#include "store/LzPackage.h"
#include "store/PackageFormat.h"
#include "tools/lzpack/PackageWriter.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const auto members = nelvo::bench::sampleMembers();

    nelvo::PackageWriter writer;
    size_t unpacked = 0;
    for (const auto& m : members) {
        if (!writer.add(m.name, m.content, true)) return 1;
        unpacked += m.content.size();
    }
    const std::vector<uint8_t> pkg = writer.finish();
    auto index = nelvo::LzPackage::open(pkg.data(), pkg.size());
    if (!index) return 1;
    std::printf("package: %zu members, %.2f MB unpacked, %.2f MB packed\n", members.size(), unpacked / 1e6,
                pkg.size() / 1e6);

    // Ours: every member looked up (decoded into a fresh block), best round.
    double oursBest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        size_t got = 0;
        for (const auto& m : members) got += index->lookup(m.name).size();
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        if (got != unpacked) {
            std::fprintf(stderr, "decode mismatch\n");
            return 1;
        }
        oursBest = std::min(oursBest, s);
    }

    // xz: the same streams as .lzma files (properties, 64-bit size, stream),
    // all decoded by one xz process per round so that start-up costs once.
    const fs::path dir = fs::temp_directory_path() / ("decode-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string files;
    int n = 0;
    for (const auto& m : members) {
        const auto* e = index->find(m.name);
        const fs::path p = dir / (std::to_string(n++) + ".lzma");
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pkg.data() + e->offset), nelvo::package::kLzmaPropsSize);
        uint64_t size = e->unpackedSize;
        out.write(reinterpret_cast<const char*>(&size), 8);
        out.write(reinterpret_cast<const char*>(pkg.data() + e->offset + 5), e->packedSize - 5);
        files += " " + p.string();
    }
    const std::string cmd = "xz --format=lzma -d -c -T1" + files + " > /dev/null";
    double xzBest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "xz failed\n");
            fs::remove_all(dir);
            return 1;
        }
        xzBest = std::min(xzBest, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    fs::remove_all(dir);

    const double ours = unpacked / 1e6 / oursBest, xz = unpacked / 1e6 / xzBest;
    std::printf("LzPackage lookups: %.1f MB/s\n", ours);
    std::printf("xz --format=lzma -d: %.1f MB/s\n", xz);
    std::printf("ratio: %.2fx of xz\n", ours / xz);
    return 0;
}
