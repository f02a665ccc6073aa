// resdigest OUT ID=FILE...
//
// Writes the record of resource digests (store/ResourceDigests.h) for the
// files that become the program's resources under those identifiers.

#include "store/ResourceDigests.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "resdigest: %s: cannot read\n", path.c_str());
            return 1;
        }
        nelvo::ResourceDigest e;
        e.id = static_cast<uint32_t>(std::strtoul(arg.substr(0, eq).c_str(), nullptr, 10));
        e.size = static_cast<uint32_t>(bytes.size());
        e.sha = nelvo::Sha256::of(bytes.data(), bytes.size());
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
