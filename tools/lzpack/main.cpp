// lzpack: writes, lists, extracts and verifies setup packages.
//
//   lzpack create OUT.lz [--store GLOB]... DIR
//   lzpack list PKG
//   lzpack extract PKG -C DIR [MEMBER...]
//   lzpack verify PKG

#include "base/TextConvert.h"
#include "store/LzPackage.h"
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
#include <iterator>
#include <memory>
#include <optional>
#include <set>
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

// Reads a whole regular file. Anything else (a folder, a device, a link
// that leads nowhere) is refused with the reason in `error`.
std::optional<std::string> readFile(const std::string& path, std::string& error) {
    // Non-blocking, so that a named pipe is refused rather than waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        data.append(buf, size_t(n));
    }
    ::close(fd);
    return data;
}

// Writes next to the target and renames, so a failed run never leaves half
// a package or half a member behind. A read-only target is replaced. The
// temporary file gets a short name of its own, created exclusively: nothing
// already lying in the folder (a link to a file elsewhere) is written
// through, and a target name near the 255-byte limit still fits.
bool writeFileAtomically(const fs::path& path, const void* data, size_t size, std::string& error) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string tmp = (folder / ".lzpack-XXXXXX").string();
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto failWith = [&](int code) {
        error = std::strerror(code);
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0644 & ~mask) != 0) return failWith(errno);
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failWith(errno);
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

// The index points into the bytes, so they live on the heap where moving
// the record cannot take them away (a short string keeps its bytes inside
// the string object itself).
struct OpenedPackage {
    std::unique_ptr<std::string> bytes;
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
    p.bytes = std::make_unique<std::string>(std::move(*bytes));
    p.index = LzPackage::open(reinterpret_cast<const uint8_t*>(p.bytes->data()), p.bytes->size(), &error);
    if (!p.index) {
        fail(path, "not a valid package: " + error);
        return std::nullopt;
    }
    return p;
}

// A member name as it is shown in listings and messages: control
// characters and the backslash escaped, so that one name is one line.
std::string display(std::u16string_view name) {
    std::string shown;
    for (const char c : nelvo::utf16ToUtf8(name)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            shown += "\\\\";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            shown += hex;
        } else {
            shown += c;
        }
    }
    return shown;
}

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
    // A member is named by where the file lies in DIR, as the user sees it:
    // a symbolic link to a file is packed under its own name with the
    // content it leads to. A link that leads nowhere or to a folder is
    // refused rather than left out silently; links to folders are not
    // followed.
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code typeEc;
        const fs::file_status own = fs::symlink_status(path, typeEc);
        if (typeEc) return fail(path.string(), "cannot examine: " + typeEc.message());
        if (fs::is_symlink(own)) {
            const fs::file_status target = fs::status(path, typeEc);
            if (typeEc) return fail(path.string(), "symbolic link leads nowhere: " + typeEc.message());
            if (!fs::is_regular_file(target)) return fail(path.string(), "symbolic link does not lead to a file");
        } else if (!fs::is_regular_file(own)) {
            continue;
        }
        names.push_back(path.lexically_relative(dir).generic_string());
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
    // File names already written in this run. Names that differ only in an
    // unpaired surrogate become the same file name (each such unit turns
    // into U+FFFD), and one member must not silently replace another.
    std::set<std::string> written;
    for (const std::u16string& name : names) {
        const std::string shown = display(name);
        if (const char* why = unsafeName(name)) {
            status = fail(pkgPath, std::string(why) + ": '" + shown + "'");
            continue;
        }
        const std::string fileName = nelvo::utf16ToUtf8(name);
        if (!written.insert(fileName).second) {
            status = fail(pkgPath, "member '" + shown + "' would be written to the same file as another member");
            continue;
        }
        nelvo::HeapBlock block;
        const auto decoded = pkg->index->lookupChecked(name, block);
        if (decoded != LzPackage::Decode::Ok) {
            status = fail(pkgPath, "member '" + shown + "' is damaged or too large to decode");
            continue;
        }
        std::string error;
        const fs::path rel(fileName);
        if (!makeParents(dir, rel, error) ||
            !writeFileAtomically(fs::path(dir) / rel, block.data(), block.size(), error)) {
            status = fail((fs::path(dir) / shown).string(), error);
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
