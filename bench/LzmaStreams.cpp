// Writes every member of a package as a file of its own, in the form xz
// reads: a compressed member as DIR/<n>.lzma (the 5 property bytes, the
// unpacked size as a 64-bit integer, the raw stream), a stored member as
// DIR/<n>.raw. Prints the total unpacked size in bytes.
//
//   lzma_streams PACKAGE DIR

#include "store/LzPackage.h"
#include "store/PackageFormat.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: lzma_streams PACKAGE DIR\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> pkg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto index = nelvo::LzPackage::open(pkg.data(), pkg.size());
    if (!index) {
        std::fprintf(stderr, "lzma_streams: %s is not a package\n", argv[1]);
        return 1;
    }
    uint64_t unpacked = 0;
    int n = 0;
    for (const auto& [name, e] : index->members()) {
        const std::string base = std::string(argv[2]) + "/" + std::to_string(n++);
        const char* data = reinterpret_cast<const char*>(pkg.data() + e.offset);
        if (e.stored()) {
            std::ofstream(base + ".raw", std::ios::binary).write(data, e.packedSize);
            unpacked += e.packedSize;
            continue;
        }
        std::ofstream out(base + ".lzma", std::ios::binary);
        out.write(data, nelvo::package::kLzmaPropsSize);
        const uint64_t size = e.unpackedSize;
        out.write(reinterpret_cast<const char*>(&size), 8);
        out.write(data + nelvo::package::kLzmaPropsSize, e.packedSize - nelvo::package::kLzmaPropsSize);
        unpacked += e.unpackedSize;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(unpacked));
    return 0;
}
