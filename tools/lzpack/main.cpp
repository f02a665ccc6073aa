// lzpack: writes, lists, extracts and verifies setup packages.
//
//   lzpack create OUT.lz [--store GLOB]... DIR
//   lzpack list PKG
//   lzpack extract PKG -C DIR [MEMBER...]
//   lzpack verify PKG

#include "host/LzPackage.h"
#include "host/TextConvert.h"
#include "tools/lzpack/PackageWriter.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nelvo::LzPackage;

namespace {

const char* const kUsage =
    "usage:\n"
    "  lzpack create OUT.lz [--store GLOB]... DIR   pack every file under DIR\n"
    "  lzpack list PKG                              one line per directory entry:\n"
    "                                               <stored|lzma> <packed> <unpacked> <name>\n"
    "  lzpack extract PKG -C DIR [MEMBER...]        write members (all by default) under DIR\n"
    "  lzpack verify PKG                            decode every member, report damage\n"
    "\n"
    "Members matching a --store GLOB (shell pattern, matched against the member\n"
    "name such as \"img/logo.png\", where * also crosses \"/\") are stored as is;\n"
    "the others are LZMA-compressed.\n";

int fail(const std::string& file, const std::string& reason) {
    std::fprintf(stderr, "lzpack: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

std::optional<std::string> readFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return std::nullopt;
    }
    return data;
}

// Writes next to the target and renames, so a failed run never leaves half
// a package or half a member behind. A read-only target is replaced.
bool writeFileAtomically(const fs::path& path, const void* data, size_t size, std::string& error) {
    const fs::path tmp = path.string() + ".lzpack-tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

struct OpenedPackage {
    std::string bytes;
    std::unique_ptr<LzPackage> index;
};

std::optional<OpenedPackage> openPackage(const std::string& path) {
    OpenedPackage p;
    std::string error;
    auto bytes = readFile(path, error);
    if (!bytes) {
        fail(path, "cannot read: " + error);
        return std::nullopt;
    }
    p.bytes = std::move(*bytes);
    p.index = LzPackage::open(reinterpret_cast<const uint8_t*>(p.bytes.data()), p.bytes.size(), &error);
    if (!p.index) {
        fail(path, "not a valid package: " + error);
        return std::nullopt;
    }
    return p;
}

std::string display(std::u16string_view name) { return nelvo::utf16ToUtf8(name); }

int create(const std::vector<std::string>& args) {
    std::vector<std::string> globs;
    std::string out, dir;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--store") {
            if (i + 1 >= args.size()) return fail("create", "--store needs a pattern");
            globs.push_back(args[++i]);
        } else if (out.empty()) {
            out = args[i];
        } else if (dir.empty()) {
            dir = args[i];
        } else {
            return fail("create", "unexpected argument '" + args[i] + "'");
        }
    }
    if (out.empty() || dir.empty()) return fail("create", "needs OUT.lz and DIR");

    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return fail(dir, "not a folder");

    // Sorted by name so that the package does not depend on the order in
    // which the file system lists the folder.
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file()) names.push_back(fs::relative(it->path(), dir).generic_string());
    }
    if (ec) return fail(dir, "cannot list: " + ec.message());
    std::sort(names.begin(), names.end());

    nelvo::PackageWriter writer;
    for (const std::string& name : names) {
        bool valid = false;
        std::u16string wide = nelvo::utf8ToUtf16(name, &valid);
        if (!valid) return fail((fs::path(dir) / name).string(), "file name is not valid UTF-8");
        if (wide.size() > 1023) return fail((fs::path(dir) / name).string(), "member name longer than 1023 units");
        std::string error;
        auto content = readFile((fs::path(dir) / name).string(), error);
        if (!content) return fail((fs::path(dir) / name).string(), "cannot read: " + error);
        const bool store = std::any_of(globs.begin(), globs.end(),
                                       [&](const std::string& g) { return fnmatch(g.c_str(), name.c_str(), 0) == 0; });
        if (!writer.add(std::move(wide), *content, !store))
            return fail((fs::path(dir) / name).string(), "cannot pack (out of memory or package over 4 GiB)");
    }
    const std::vector<uint8_t> bytes = writer.finish();
    std::string error;
    if (!writeFileAtomically(out, bytes.data(), bytes.size(), error)) return fail(out, "cannot write: " + error);
    return 0;
}

int list(const std::vector<std::string>& args) {
    if (args.size() != 1) return fail("list", "needs exactly one package");
    auto pkg = openPackage(args[0]);
    if (!pkg) return 1;
    for (const auto& d : pkg->index->directory()) {
        const auto& e = d.entry;
        std::printf("%s %u %u %s\n", e.stored() ? "stored" : "lzma", e.packedSize,
                    e.stored() ? e.packedSize : e.unpackedSize, display(d.name).c_str());
    }
    return std::ferror(stdout) ? fail("list", "cannot write to standard output") : 0;
}

// Why a member name may not be written under the target folder, or null.
const char* unsafeName(std::u16string_view name) {
    if (name.empty()) return "empty member name";
    if (name.front() == u'/') return "absolute member name";
    if (name.find(u'\\') != std::u16string_view::npos) return "member name contains '\\'";
    if (name.find(u'\0') != std::u16string_view::npos) return "member name contains a zero unit";
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find(u'/', start);
        if (end == std::u16string_view::npos) end = name.size();
        const std::u16string_view part = name.substr(start, end - start);
        if (part.empty() || part == u"." || part == u"..") return "member name would leave the target folder";
        start = end + 1;
    }
    return nullptr;
}

// Creates the folders of `rel` under `root`, refusing to pass through a
// symbolic link that could lead outside it.
bool makeParents(const fs::path& root, const fs::path& rel, std::string& error) {
    fs::path cur = root;
    for (auto it = rel.begin(); it != rel.end(); ++it) {
        if (std::next(it) == rel.end()) break;
        cur /= *it;
        struct stat st;
        if (::lstat(cur.c_str(), &st) == 0) {
            if (S_ISLNK(st.st_mode)) {
                error = "'" + cur.string() + "' is a symbolic link";
                return false;
            }
            if (!S_ISDIR(st.st_mode)) {
                error = "'" + cur.string() + "' is not a folder";
                return false;
            }
        } else if (::mkdir(cur.c_str(), 0755) != 0) {
            error = "cannot create '" + cur.string() + "': " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

int extract(const std::vector<std::string>& args) {
    std::string pkgPath, dir;
    std::vector<std::string> wanted;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-C") {
            if (i + 1 >= args.size()) return fail("extract", "-C needs a folder");
            dir = args[++i];
        } else if (pkgPath.empty()) {
            pkgPath = args[i];
        } else {
            wanted.push_back(args[i]);
        }
    }
    if (pkgPath.empty() || dir.empty()) return fail("extract", "needs PKG and -C DIR");
    auto pkg = openPackage(pkgPath);
    if (!pkg) return 1;

    std::vector<std::u16string> names;
    int status = 0;
    if (wanted.empty()) {
        for (const auto& [name, entry] : pkg->index->members()) names.push_back(name);
    } else {
        for (const std::string& w : wanted) {
            bool valid = false;
            std::u16string name = nelvo::utf8ToUtf16(w, &valid);
            if (!valid || !pkg->index->find(name)) {
                status = fail(pkgPath, "no member '" + w + "'");
                continue;
            }
            names.push_back(std::move(name));
        }
    }

    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return fail(dir, "cannot create: " + ec.message());
    for (const std::u16string& name : names) {
        const std::string shown = display(name);
        if (const char* why = unsafeName(name)) {
            status = fail(pkgPath, std::string(why) + ": '" + shown + "'");
            continue;
        }
        nelvo::HeapBlock block;
        const auto decoded = pkg->index->lookupChecked(name, block);
        if (decoded != LzPackage::Decode::Ok) {
            status = fail(pkgPath, "member '" + shown + "' is damaged or too large to decode");
            continue;
        }
        std::string error;
        const fs::path rel(shown);
        if (!makeParents(dir, rel, error) ||
            !writeFileAtomically(fs::path(dir) / rel, block.data(), block.size(), error)) {
            status = fail((fs::path(dir) / rel).string(), error);
        }
    }
    return status;
}

int verify(const std::vector<std::string>& args) {
    if (args.size() != 1) return fail("verify", "needs exactly one package");
    auto pkg = openPackage(args[0]);
    if (!pkg) return 1;
    int status = 0;
    for (const auto& d : pkg->index->directory()) {
        if (d.entry.stored()) continue;
        nelvo::HeapBlock block;
        // Decode this very entry, also when a later one of the same name
        // shadows it.
        const LzPackage::Decode r = pkg->index->decodeEntry(d.entry, block);
        if (r == LzPackage::Decode::Damaged) {
            status = fail(args[0], "member '" + display(d.name) + "' is damaged: decoded " +
                                       std::to_string(block.size()) + " of " + std::to_string(d.entry.unpackedSize) +
                                       " bytes");
        } else if (r == LzPackage::Decode::NoMemory) {
            status = fail(args[0], "member '" + display(d.name) + "' is too large to decode here");
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string cmd = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (cmd == "create") return create(args);
    if (cmd == "list") return list(args);
    if (cmd == "extract") return extract(args);
    if (cmd == "verify") return verify(args);
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "lzpack: unknown command '%s'\n%s", cmd.c_str(), kUsage);
    return 2;
}
