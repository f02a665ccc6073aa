// resdigest OUT ID=FILE...
//
// Writes the record of resource digests (store/ResourceDigests.h) for the
// files that become the program's resources under those identifiers.

#include "store/ResourceDigests.h"

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: resdigest OUT ID=FILE...\n", stderr);
        return 2;
    }
    std::vector<nelvo::ResourceDigest> entries;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "resdigest: %s: expected ID=FILE\n", argv[i]);
            return 2;
        }
        const std::string path = arg.substr(eq + 1);
        // Read a piece at a time: the payload may be larger than the memory
        // a build machine can spare.
        std::ifstream in(path, std::ios::binary);
        nelvo::Sha256 sha;
        uint64_t size = 0;
        static char buffer[1 << 20];
        while (in) {
            in.read(buffer, sizeof buffer);
            sha.update(buffer, size_t(in.gcount()));
            size += uint64_t(in.gcount());
        }
        if (!in.eof() || size > UINT32_MAX) {
            std::fprintf(stderr, "resdigest: %s: cannot read, or larger than 4 GiB\n", path.c_str());
            return 1;
        }
        nelvo::ResourceDigest e;
        e.id = static_cast<uint32_t>(std::strtoul(arg.substr(0, eq).c_str(), nullptr, 10));
        e.size = static_cast<uint32_t>(size);
        e.sha = sha.finish();
        entries.push_back(e);
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << nelvo::serializeDigests(entries);
    if (!out.good()) {
        std::fprintf(stderr, "resdigest: %s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
