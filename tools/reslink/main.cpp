// reslink IMAGE RES OUT [TYPE/ID/LANGUAGE=FILE]...
//
// Gives a linked 32-bit PE image its resource section: the resources of
// RES (a compiled resource file, as the resource compiler writes it with
// `-O res`) and each FILE as one more resource, in a section appended to
// the image and named in its resource directory. The image must have no
// resources of its own. FILE's bytes are copied a piece at a time, never
// held, so that a payload of any size is linked in bounded memory (the
// linker would hold it several times over). The image's checksum is made
// again for the result.

#include "store/PackageFormat.h"
#include "tools/reslink/ResourceSection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using nelvo::ResourceItem;
using nelvo::ResourceKey;
using nelvo::package::readLe32;
using nelvo::package::writeLe32;

namespace {

constexpr size_t kCopyBuffer = 1u << 20;

int fail(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "reslink: %s: %s\n", what.c_str(), why.c_str());
    return 1;
}

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

bool slurp(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// One resource: where its bytes are (in the compiled file, or a file of
// its own).
struct Source {
    const uint8_t* bytes = nullptr;
    std::string path;
};

// A type or name field of a compiled resource file: 0xFFFF and a number,
// or a zero-ended UTF-16 string. False when it runs past `end`.
bool readKey(const uint8_t*& p, const uint8_t* end, ResourceKey& key) {
    if (end - p < 4) return false;
    if (le16(p) == 0xFFFF) {
        key.number = le16(p + 2);
        p += 4;
        return true;
    }
    for (;;) {
        if (end - p < 2) return false;
        const uint16_t c = le16(p);
        p += 2;
        if (c == 0) return true;
        key.text += char16_t(c);
    }
}

// The records of a compiled resource file. The first, empty record that
// marks the format is skipped.
bool readCompiled(const std::vector<uint8_t>& res, std::vector<ResourceItem>& items, std::vector<Source>& sources,
                  std::string& error) {
    const uint8_t* p = res.data();
    const uint8_t* const end = res.data() + res.size();
    while (end - p >= 8) {
        const uint32_t dataSize = readLe32(p), headerSize = readLe32(p + 4);
        if (headerSize < 16 || headerSize > uint64_t(end - p) || dataSize > uint64_t(end - p) - headerSize) {
            error = "a record runs past the end";
            return false;
        }
        const uint8_t* field = p + 8;
        const uint8_t* headerEnd = p + headerSize;
        ResourceItem item;
        if (!readKey(field, headerEnd, item.type) || !readKey(field, headerEnd, item.name)) {
            error = "a record's type or name runs past its header";
            return false;
        }
        field = p + ((field - p + 3) & ~ptrdiff_t(3));
        // DataVersion (4), MemoryFlags (2), LanguageId (2), Version, Characteristics.
        if (headerEnd - field < 16) {
            error = "a record's header is too short";
            return false;
        }
        item.language = le16(field + 6);
        item.size = dataSize;
        const bool marker = dataSize == 0 && item.type.text.empty() && item.type.number == 0;
        if (!marker) {
            items.push_back(item);
            sources.push_back({headerEnd, {}});
        }
        p = headerEnd + ((dataSize + 3) & ~uint32_t(3));
        if (p > end) p = end;
    }
    return true;
}

// TYPE/ID/LANGUAGE=FILE: TYPE a number or a name, ID and LANGUAGE numbers.
bool parseAdded(const std::string& arg, ResourceItem& item, std::string& path) {
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) return false;
    path = arg.substr(eq + 1);
    const std::string spec = arg.substr(0, eq);
    const size_t a = spec.find('/'), b = spec.find('/', a == std::string::npos ? a : a + 1);
    if (a == std::string::npos || b == std::string::npos) return false;
    const std::string type = spec.substr(0, a);
    char* stop = nullptr;
    const unsigned long number = std::strtoul(type.c_str(), &stop, 10);
    if (!type.empty() && *stop == '\0') {
        item.type.number = uint16_t(number);
    } else {
        for (char c : type) item.type.text += char16_t(c);
    }
    item.name.number = uint16_t(std::strtoul(spec.substr(a + 1, b - a - 1).c_str(), nullptr, 10));
    item.language = uint16_t(std::strtoul(spec.substr(b + 1).c_str(), nullptr, 10));
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > UINT32_MAX) return false;
    item.size = uint32_t(st.st_size);
    return true;
}

bool writeAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool writeZeros(int fd, uint64_t count) {
    static const uint8_t zeros[4096] = {};
    while (count > 0) {
        const size_t n = size_t(count < sizeof zeros ? count : sizeof zeros);
        if (!writeAll(fd, zeros, n)) return false;
        count -= n;
    }
    return true;
}

// Copies the whole of `path` to the end of `out`.
bool copyFile(const std::string& path, int out, uint64_t expected) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyBuffer]);
    uint64_t copied = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer.get(), kCopyBuffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!writeAll(out, buffer.get(), size_t(n))) {
            ok = false;
            break;
        }
        copied += uint64_t(n);
    }
    ::close(in);
    return ok && copied == expected;
}

// The PE checksum: the 16-bit one's-complement style sum of the file with
// the checksum field read as zero, plus the file's length.
bool checksum(int fd, uint64_t checksumAt, uint32_t& sum) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyBuffer]);
    uint64_t at = 0, total = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.get(), kCopyBuffer, off_t(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        // Both the length read and the checksum field are even, so a word
        // never straddles two reads except at the very end.
        for (ssize_t i = 0; i < n; i += 2) {
            const uint64_t pos = at + uint64_t(i);
            uint32_t word = buffer[size_t(i)];
            if (i + 1 < n) word |= uint32_t(buffer[size_t(i) + 1]) << 8;
            if (pos >= checksumAt && pos < checksumAt + 4) word = 0;
            total += word;
            total = (total & 0xFFFF) + (total >> 16);
        }
        at += uint64_t(n);
    }
    total = (total & 0xFFFF) + (total >> 16);
    sum = uint32_t(total + at);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: reslink IMAGE RES OUT [TYPE/ID/LANGUAGE=FILE]...\n", stderr);
        return 2;
    }
    const std::string imagePath = argv[1], resPath = argv[2], outPath = argv[3];

    std::vector<uint8_t> image, res;
    if (!slurp(imagePath, image)) return fail(imagePath, "cannot read");
    if (!slurp(resPath, res)) return fail(resPath, "cannot read");
    std::vector<ResourceItem> items;
    std::vector<Source> sources;
    std::string error;
    if (!readCompiled(res, items, sources, error)) return fail(resPath, error);
    for (int i = 4; i < argc; ++i) {
        ResourceItem item;
        std::string path;
        if (!parseAdded(argv[i], item, path)) return fail(argv[i], "expected TYPE/ID/LANGUAGE=FILE, a readable file under 4 GiB");
        items.push_back(item);
        sources.push_back({nullptr, path});
    }

    // The headers: MS-DOS stub, PE signature, file header, optional header
    // (PE32), section table.
    auto bad = [&](const char* why) { return fail(imagePath, why); };
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return bad("not a PE image");
    const size_t pe = readLe32(&image[0x3C]);
    if (pe + 24 > image.size() || readLe32(&image[pe]) != 0x00004550) return bad("not a PE image");
    const size_t fileHeader = pe + 4, optional = pe + 24;
    const uint16_t sections = le16(&image[fileHeader + 2]);
    const uint16_t optionalSize = le16(&image[fileHeader + 16]);
    if (optional + optionalSize > image.size() || optionalSize < 96 + 8 * 3 || le16(&image[optional]) != 0x10B)
        return bad("not a 32-bit PE image");
    if (readLe32(&image[fileHeader + 8]) != 0) return bad("carries a symbol table: link it stripped");
    const uint32_t sectionAlignment = readLe32(&image[optional + 32]);
    const uint32_t fileAlignment = readLe32(&image[optional + 36]);
    const uint32_t sizeOfHeaders = readLe32(&image[optional + 60]);
    const size_t resourceDirectory = optional + 96 + 2 * 8;
    if (readLe32(&image[resourceDirectory]) != 0 || readLe32(&image[resourceDirectory + 4]) != 0)
        return bad("already has resources: link it without them");
    const size_t table = optional + optionalSize;
    const size_t newHeader = table + size_t(sections) * 40;
    if (newHeader + 40 > sizeOfHeaders || sizeOfHeaders > image.size()) return bad("no room for one more section header");
    for (size_t i = newHeader; i < newHeader + 40; ++i)
        if (image[i] != 0) return bad("no room for one more section header");
    uint64_t rawEnd = sizeOfHeaders, virtualEnd = 0;
    for (size_t s = 0; s < sections; ++s) {
        const uint8_t* h = &image[table + s * 40];
        const uint64_t raw = readLe32(h + 20) + uint64_t(readLe32(h + 16));
        if (readLe32(h + 16) != 0 && raw > rawEnd) rawEnd = raw;
        const uint64_t virt = readLe32(h + 12) + uint64_t(readLe32(h + 8));
        if (virt > virtualEnd) virtualEnd = virt;
    }
    if (rawEnd != image.size()) return bad("has data after its last section (signed?)");
    auto align = [](uint64_t v, uint64_t to) { return (v + to - 1) / to * to; };
    const uint64_t sectionRva = align(virtualEnd, sectionAlignment);
    // The resources start on a page boundary of the file whatever the
    // image's file alignment (a page is a multiple of it), so that a loader
    // maps them from the file and reads a page only when it is used instead
    // of reading megabytes at load.
    constexpr uint64_t kPage = 4096;
    if (fileAlignment == 0 || kPage % fileAlignment != 0) return bad("has a file alignment that does not divide a page");
    const uint64_t sectionRaw = align(image.size(), kPage);

    const nelvo::ResourceSection section(items, uint32_t(sectionRva));
    const uint64_t rawSize = align(section.size(), fileAlignment);
    const uint64_t imageSize = sectionRva + align(section.size(), sectionAlignment);
    if (sectionRaw + rawSize > UINT32_MAX || imageSize > 0x7FFFFFFF) return bad("the resources make the image too large");

    // The new section's header and the headers that grow.
    uint8_t* h = &image[newHeader];
    std::memcpy(h, ".rsrc\0\0\0", 8);
    writeLe32(h + 8, uint32_t(section.size()));
    writeLe32(h + 12, uint32_t(sectionRva));
    writeLe32(h + 16, uint32_t(rawSize));
    writeLe32(h + 20, uint32_t(sectionRaw));
    writeLe32(h + 36, 0x40000040);  // initialised data, readable
    put16(&image[fileHeader + 2], uint16_t(sections + 1));
    writeLe32(&image[optional + 12], readLe32(&image[optional + 12]) + uint32_t(rawSize));  // SizeOfInitializedData
    writeLe32(&image[optional + 56], uint32_t(imageSize));
    writeLe32(&image[resourceDirectory], uint32_t(sectionRva));
    writeLe32(&image[resourceDirectory + 4], uint32_t(section.size()));

    // Written beside the target and renamed once whole.
    const std::string temporary = outPath + ".reslink";
    const int out = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (out < 0) return fail(temporary, std::strerror(errno));
    bool ok = writeAll(out, image.data(), image.size()) && writeZeros(out, sectionRaw - image.size()) &&
              writeAll(out, section.head().data(), section.head().size());
    uint64_t at = section.head().size();
    for (size_t i = 0; ok && i < items.size(); ++i) {
        ok = writeZeros(out, section.dataOffset(i) - at);
        if (!ok) break;
        ok = sources[i].bytes ? writeAll(out, sources[i].bytes, items[i].size)
                              : copyFile(sources[i].path, out, items[i].size);
        if (!ok) error = sources[i].bytes ? "" : sources[i].path + " changed while it was linked, or ";
        at = section.dataOffset(i) + items[i].size;
    }
    ok = ok && writeZeros(out, rawSize - at);
    const uint64_t checksumAt = optional + 64;
    uint32_t sum = 0;
    uint8_t sumBytes[4];
    ok = ok && checksum(out, checksumAt, sum);
    writeLe32(sumBytes, sum);
    ok = ok && ::pwrite(out, sumBytes, 4, off_t(checksumAt)) == 4;
    if (::close(out) != 0) ok = false;
    if (!ok || ::rename(temporary.c_str(), outPath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return fail(outPath, error + "cannot write: " + std::strerror(errno));
    }
    return 0;
}
