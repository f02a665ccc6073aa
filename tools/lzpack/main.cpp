// lzpack: writes, lists, extracts and verifies setup packages.
//
//   lzpack create OUT.lz [--store GLOB]... DIR
//   lzpack list PKG
//   lzpack extract PKG -C DIR [MEMBER...]
//   lzpack verify PKG

#include "base/TextConvert.h"
#include "store/LzPackage.h"
#include "store/LzmaDecoder.h"
#include "tools/lzpack/FileDescriptorSource.h"
#include "tools/lzpack/NewFile.h"
#include "tools/lzpack/PackageFileWriter.h"

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

// A regular file open for reading, with its size. Anything else (a folder,
// a device, a link that leads nowhere) is refused with the reason in
// `error`.
struct OpenedFile {
    int fd = -1;
    uint64_t size = 0;
    OpenedFile() = default;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile() {
        if (fd >= 0) ::close(fd);
    }
};

bool openRegular(const std::string& path, OpenedFile& file, std::string& error) {
    // Non-blocking, so that a named pipe is refused rather than waited on.
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(file.fd, &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
        return false;
    }
    file.size = uint64_t(st.st_size);
    return true;
}

// A package is read where it lies, a piece at a time: only its directory is
// held, whatever its size.
struct OpenedPackage {
    std::unique_ptr<OpenedFile> file;
    std::unique_ptr<nelvo::FileDescriptorSource> source;
    std::unique_ptr<LzPackage> index;
};

std::optional<OpenedPackage> openPackage(const std::string& path) {
    OpenedPackage p;
    std::string error;
    p.file = std::make_unique<OpenedFile>();
    if (!openRegular(path, *p.file, error)) {
        fail(path, "cannot read: " + error);
        return std::nullopt;
    }
    p.source = std::make_unique<nelvo::FileDescriptorSource>(p.file->fd, p.file->size);
    p.index = LzPackage::open(*p.source, &error);
    if (!p.index) {
        fail(path, "not a valid package: " + error);
        return std::nullopt;
    }
    return p;
}

// Decoded bytes going to a new file, or counted only (for verify).
class FileSink final : public nelvo::PieceSink {
public:
    explicit FileSink(nelvo::NewFile* file) : file_(file) {}
    bool take(const uint8_t* data, size_t size) override {
        produced += size;
        if (file_ && !file_->write(data, size)) {
            failed = true;
            return false;
        }
        return true;
    }
    uint64_t produced = 0;
    bool failed = false;

private:
    nelvo::NewFile* file_;
};

enum class Outcome { Ok, Damaged, NoMemory, WriteFailed };

// Decodes or copies one directory entry into `file` (or nowhere, only to
// check it), a window at a time. A stream made with a larger dictionary
// than ours (a package from elsewhere) is decoded whole in memory instead.
Outcome unpackEntry(const LzPackage& package, const LzPackage::Entry& e, nelvo::NewFile* file,
                    uint64_t& produced) {
    produced = 0;
    if (e.stored()) {
        if (!file) return Outcome::Ok;
        std::vector<uint8_t> buffer(std::min<size_t>(e.packedSize, size_t(1) << 20));
        for (uint64_t at = 0; at < e.packedSize;) {
            const size_t n = size_t(std::min<uint64_t>(e.packedSize - at, buffer.size()));
            if (!package.source().read(e.offset + at, buffer.data(), n)) return Outcome::Damaged;
            if (!file->write(buffer.data(), n)) return Outcome::WriteFailed;
            at += n;
            produced = at;
        }
        return Outcome::Ok;
    }
    {
        FileSink sink(file);
        if (package.decodeEntryInPieces(e, sink) == LzPackage::Decode::Ok) {
            produced = sink.produced;
            return Outcome::Ok;
        }
        if (sink.failed) return Outcome::WriteFailed;
    }
    nelvo::HeapBlock block;
    const LzPackage::Decode r = package.decodeEntry(e, block);
    produced = block.size();
    if (r == LzPackage::Decode::NoMemory) return Outcome::NoMemory;
    if (r != LzPackage::Decode::Ok) return Outcome::Damaged;
    if (file) {
        // Whatever the window wrote first goes.
        if (!file->rewind() || !file->write(block.data(), block.size())) return Outcome::WriteFailed;
    }
    return Outcome::Ok;
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

    nelvo::NewFile file(out);
    if (!file.ok()) return fail(out, "cannot write: " + file.error());
    nelvo::PackageFileWriter writer(file.fd());
    for (const std::string& name : names) {
        const std::string path = (fs::path(dir) / name).string();
        bool valid = false;
        std::u16string wide = nelvo::utf8ToUtf16(name, &valid);
        if (!valid) return fail(path, "file name is not valid UTF-8");
        if (wide.size() > 1023) return fail(path, "member name longer than 1023 units");
        std::string error;
        OpenedFile member;
        if (!openRegular(path, member, error)) return fail(path, "cannot read: " + error);
        const bool store = std::any_of(globs.begin(), globs.end(),
                                       [&](const std::string& g) { return fnmatch(g.c_str(), name.c_str(), 0) == 0; });
        using Packing = nelvo::PackageFileWriter::Packing;
        if (!writer.add(std::move(wide), member.fd, member.size, store ? Packing::Stored : Packing::Best, error))
            return fail(path, "cannot pack: " + error);
    }
    std::string error;
    if (!writer.finish(error)) return fail(out, error);
    if (!file.commit()) return fail(out, "cannot write: " + file.error());
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
        std::string error;
        const fs::path rel(fileName);
        if (!makeParents(dir, rel, error)) {
            status = fail((fs::path(dir) / shown).string(), error);
            continue;
        }
        nelvo::NewFile file(fs::path(dir) / rel);
        if (!file.ok()) {
            status = fail((fs::path(dir) / shown).string(), file.error());
            continue;
        }
        uint64_t produced = 0;
        const Outcome r = unpackEntry(*pkg->index, *pkg->index->find(name), &file, produced);
        if (r == Outcome::Damaged || r == Outcome::NoMemory) {
            status = fail(pkgPath, "member '" + shown + "' is damaged or too large to decode");
        } else if (r == Outcome::WriteFailed || !file.commit()) {
            status = fail((fs::path(dir) / shown).string(), file.error());
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
        // Decode this very entry, also when a later one of the same name
        // shadows it.
        uint64_t produced = 0;
        const Outcome r = unpackEntry(*pkg->index, d.entry, nullptr, produced);
        if (r == Outcome::Damaged) {
            status = fail(args[0], "member '" + display(d.name) + "' is damaged: decoded " +
                                       std::to_string(produced) + " of " + std::to_string(d.entry.unpackedSize) +
                                       " bytes");
        } else if (r == Outcome::NoMemory) {
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
