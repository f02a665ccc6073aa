#pragma once
// Scratch folders, whole-file reads and writes, and running the packer, for
// the native tests.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace nelvo::test {

// A fresh, empty folder under the build tree's scratch area.
inline std::filesystem::path scratch(const char* name) {
    auto dir = std::filesystem::path(TEST_SCRATCH) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void spit(const std::filesystem::path& p, const std::string& s) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << s;
}

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct CommandResult {
    int status;
    std::string out;  // standard output and standard error together
};

// Runs the packer with `args` (passed through the shell).
inline CommandResult lzpack(const std::string& args) {
    CommandResult r{-1, {}};
    FILE* p = popen((std::string(LZPACK_EXE) + " " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    r.status = WEXITSTATUS(pclose(p));
    return r;
}

} // namespace nelvo::test
