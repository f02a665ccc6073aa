#pragma once
// Scratch folders, whole-file reads and writes, and running the packer, for
// the native tests.

#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Runs the packer with `args` (split at spaces, no shell) and gives its
// exit status and, in `peakKb`, the most memory it held at once (its peak
// resident set). The packer starts from a copy of this process, whose
// resident set counts from the start: keep this one small.
inline int lzpackPeak(const std::string& args, long& peakKb) {
    std::vector<std::string> words{LZPACK_EXE};
    std::istringstream split(args);
    for (std::string w; split >> w;) words.push_back(w);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(LZPACK_EXE, argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return -1;
    peakKb = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file of `size` copies of `byte`, written a piece at a time; and whether
// a file is exactly that.
inline void spitRepeated(const std::filesystem::path& p, char byte, size_t size) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    const std::string piece(1 << 20, byte);
    for (size_t left = size; left > 0;) {
        const size_t n = left < piece.size() ? left : piece.size();
        out.write(piece.data(), std::streamsize(n));
        left -= n;
    }
}
inline bool isRepeated(const std::filesystem::path& p, char byte, size_t size) {
    std::ifstream in(p, std::ios::binary);
    std::string piece(1 << 20, '\0');
    size_t seen = 0;
    while (in.read(piece.data(), std::streamsize(piece.size())) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            if (piece[size_t(i)] != byte) return false;
        seen += size_t(in.gcount());
    }
    return seen == size;
}

} // namespace nelvo::test
