// datagen OUTDIR   writes the payload's data files under OUTDIR
// datagen --list   prints their member names, one per line
//
// The product's data files (driver catalogs and images, the INF file, skins,
// effects, pictures, the splash screen, a sound, the default settings) are
// stood in for by files of the same kinds and of realistic sizes: binary
// formats carry their usual headers and a body that compresses about as
// well as the real thing (pixel data with some noise, code-like bytes,
// signatures that do not compress at all). The programs and libraries of
// the payload are built from tools/payload instead.
//
// Deterministic: every file is drawn from a random generator seeded with its
// own name, so the same program always writes the same bytes.

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// splitmix64, seeded with the FNV-1a hash of a name.
class Random {
public:
    explicit Random(std::string_view seed) {
        state_ = 0xcbf29ce484222325ull;
        for (unsigned char c : seed) state_ = (state_ ^ c) * 0x100000001b3ull;
    }
    uint64_t next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return uint32_t(next() % n); }
    uint8_t byte() { return uint8_t(next() >> 56); }
    void bytes(std::string& out, size_t n) {
        for (size_t i = 0; i < n; ++i) out.push_back(char(byte()));
    }

private:
    uint64_t state_;
};

void put16(std::string& out, uint32_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}
void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void put64(std::string& out, uint64_t v) {
    put32(out, uint32_t(v));
    put32(out, uint32_t(v >> 32));
}
void set32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}
void padTo(std::string& out, size_t alignment, char fill = 0) {
    while (out.size() % alignment) out.push_back(fill);
}
// ASCII text as UTF-16LE.
std::string utf16(std::string_view ascii, bool terminate = true) {
    std::string out;
    for (char c : ascii) put16(out, uint8_t(c));
    if (terminate) put16(out, 0);
    return out;
}
// Text files of the product use CRLF line ends.
std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// --- Pictures -------------------------------------------------------------

// A picture: a diagonal two-colour gradient with a few soft disks, plus noise
// of `noiseBits` random low bits per channel. The noise decides how well the
// raw pixels compress.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // row by row, top first
};

Picture drawPicture(Random& random, int width, int height, uint32_t from, uint32_t to, int noiseBits) {
    Picture p{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
    struct Disk {
        int x, y, r;
        uint8_t c[3];
    };
    std::vector<Disk> disks(3 + random.below(4));
    for (Disk& d : disks) {
        d.x = int(random.below(uint32_t(width)));
        d.y = int(random.below(uint32_t(height)));
        d.r = 8 + int(random.below(uint32_t(std::max(1, std::min(width, height) / 3))));
        for (uint8_t& c : d.c) c = random.byte();
    }
    const uint32_t mask = noiseBits > 0 ? (1u << noiseBits) - 1 : 0;
    const int span = width + height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int t = x + y; // 0 .. span
            uint8_t* px = &p.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            for (int ch = 0; ch < 3; ++ch) {
                const int a = int((from >> (16 - 8 * ch)) & 0xFF);
                const int b = int((to >> (16 - 8 * ch)) & 0xFF);
                int v = a + (b - a) * t / span;
                for (const Disk& d : disks) {
                    const int dx = x - d.x, dy = y - d.y;
                    if (dx * dx + dy * dy < d.r * d.r) v = (v + d.c[ch]) / 2;
                }
                const int noise = mask ? int(random.next() & mask) - int(mask / 2) : 0;
                px[ch] = uint8_t(std::clamp(v + noise, 0, 255));
            }
        }
    }
    return p;
}

std::string jpeg(Random& random, int width, int height, uint32_t from, uint32_t to, int noiseBits) {
    const Picture p = drawPicture(random, width, height, from, to, noiseBits);
    std::string out;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
        },
        &out, width, height, 3, p.rgb.data(), 92);
    return out;
}

// A 24-bit bottom-up BMP file.
std::string bitmap(const Picture& p) {
    const uint32_t stride = (uint32_t(p.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(p.height);
    std::string out = "BM";
    put32(out, 54 + imageSize);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, uint32_t(p.width));
    put32(out, uint32_t(p.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* px = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
            out.push_back(char(px[2]));
            out.push_back(char(px[1]));
            out.push_back(char(px[0]));
        }
        while (out.size() - start < stride) out.push_back(0);
    }
    return out;
}

// --- Skins (.nz) ------------------------------------------------------------

struct Frame {
    const char* name;
    int width, height;
};

// "NZSK", version, frame count, then per frame a 32-byte name, width,
// height, offset and size, then the frames' BGRA pixels, top row first.
std::string skin(Random& random, uint32_t from, uint32_t to, int noiseBits, std::initializer_list<Frame> frames) {
    std::string out = "NZSK";
    put32(out, 2);
    put32(out, uint32_t(frames.size()));
    const size_t table = out.size();
    out.append(frames.size() * 48, '\0');
    size_t i = 0;
    for (const Frame& f : frames) {
        const Picture p = drawPicture(random, f.width, f.height, from, to, noiseBits);
        const size_t at = table + i * 48;
        std::string name(f.name);
        name.resize(32, '\0');
        out.replace(at, 32, name);
        set32(out, at + 32, uint32_t(f.width));
        set32(out, at + 36, uint32_t(f.height));
        set32(out, at + 40, uint32_t(out.size()));
        set32(out, at + 44, uint32_t(f.width * f.height * 4));
        for (size_t px = 0; px < p.rgb.size(); px += 3) {
            out.push_back(char(p.rgb[px + 2]));
            out.push_back(char(p.rgb[px + 1]));
            out.push_back(char(p.rgb[px]));
            out.push_back(char(0xFF));
        }
        ++i;
    }
    return out;
}

// --- Effects (.efc) ---------------------------------------------------------

// "NEFC", version, kind (1 background, 2 mask), width, height, the length of
// the settings text, the settings text, then the plane: BGR pixels for a
// background, one coverage byte per pixel for a mask.
std::string effectHeader(uint32_t kind, int width, int height, std::string_view settings) {
    std::string out = "NEFC";
    put32(out, 3);
    put32(out, kind);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put32(out, uint32_t(settings.size()));
    out += settings;
    return out;
}

std::string backgroundEffect(Random& random, std::string_view name, uint32_t from, uint32_t to) {
    const int w = 480, h = 320;
    std::string out = effectHeader(1, w, h,
                                   "name=" + std::string(name) + "\nblend=normal\nopacity=100\nscale=fill\n");
    const Picture p = drawPicture(random, w, h, from, to, 5);
    for (size_t px = 0; px < p.rgb.size(); px += 3) {
        out.push_back(char(p.rgb[px + 2]));
        out.push_back(char(p.rgb[px + 1]));
        out.push_back(char(p.rgb[px]));
    }
    return out;
}

// A mask of a regular polygon (`star`: every second vertex pulled inwards),
// smoothed at its edge by 4 × 4 samples per pixel.
std::string maskEffect(std::string_view name, int corners, bool star) {
    const int size = 256;
    std::string out = effectHeader(2, size, size, "name=" + std::string(name) + "\nfeather=2\ninvert=0\n");
    const double pi = 3.14159265358979323846;
    const int vertices = star ? corners * 2 : corners;
    std::vector<double> vx(static_cast<size_t>(vertices)), vy(static_cast<size_t>(vertices));
    for (int i = 0; i < vertices; ++i) {
        const double r = (star && i % 2) ? 0.19 : 0.45;
        const double a = -pi / 2 + 2 * pi * i / vertices;
        vx[size_t(i)] = 0.5 + r * std::cos(a);
        vy[size_t(i)] = 0.5 + r * std::sin(a);
    }
    auto inside = [&](double x, double y) {
        bool in = false;
        for (int i = 0, j = vertices - 1; i < vertices; j = i++) {
            const size_t a = size_t(i), b = size_t(j);
            if ((vy[a] > y) != (vy[b] > y) && x < (vx[b] - vx[a]) * (y - vy[a]) / (vy[b] - vy[a]) + vx[a]) in = !in;
        }
        return in;
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int covered = 0;
            for (int s = 0; s < 16; ++s)
                covered += inside((x + (s % 4 + 0.5) / 4) / size, (y + (s / 4 + 0.5) / 4) / size);
            out.push_back(char(covered * 255 / 16));
        }
    }
    return out;
}

// --- Driver files -------------------------------------------------------------

std::string der(uint8_t tag, std::string_view content) {
    std::string out(1, char(tag));
    const size_t n = content.size();
    if (n < 0x80) {
        out.push_back(char(n));
    } else if (n < 0x100) {
        out += "\x81";
        out.push_back(char(n));
    } else if (n < 0x10000) {
        out += "\x82";
        out.push_back(char(n >> 8));
        out.push_back(char(n & 0xFF));
    } else {
        out += "\x83";
        out.push_back(char(n >> 16));
        out.push_back(char((n >> 8) & 0xFF));
        out.push_back(char(n & 0xFF));
    }
    out += content;
    return out;
}

std::string bmpString(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back(0);
        out.push_back(c);
    }
    return der(0x1E, out);
}

// A signed catalog: a DER signedData wrapper around one entry per file
// (its hash and name) and the operating-system attribute, then a
// certificate chain and a signature.
std::string catalog(Random& random, std::initializer_list<const char*> files, const char* osAttribute) {
    std::string entries;
    for (const char* file : files) {
        std::string hash;
        random.bytes(hash, 20);
        entries += der(0x30, der(0x04, hash) + bmpString("File") + bmpString(file) +
                                 bmpString("OSAttr") + bmpString(osAttribute));
    }
    std::string certificates;
    for (const char* subject : {"Nelvo Code Signing CA", "Nelvo Driver Publisher", "Nelvo Timestamping"}) {
        std::string key;
        random.bytes(key, 1038);
        std::string body = der(0x0C, subject) + der(0x0C, "Nelvo") + der(0x17, "160318000000Z") +
                           der(0x17, "190318235959Z") + der(0x03, key);
        std::string signature;
        random.bytes(signature, 256);
        certificates += der(0x30, der(0x30, body) + der(0x03, signature));
    }
    std::string signature;
    random.bytes(signature, 256);
    const std::string signedDataOid("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02", 9);
    const std::string content = der(0x30, der(0x02, std::string(1, '\x01')) + der(0x30, entries) +
                                              der(0xA0, certificates) + der(0x04, signature));
    return der(0x30, der(0x06, signedDataOid) + der(0xA0, content));
}

// A kernel-mode driver image: PE headers, then a code section of functions
// made of typical instruction patterns, read-only data with the driver's
// strings and import names, a data section and relocations.
std::string driverImage(Random& random, bool x64, size_t functions) {
    std::string code;
    const std::vector<std::string> body32 = {
        std::string("\x8B\x45\x08", 3), std::string("\x8B\x4D\x0C", 3), std::string("\x85\xC0", 2),
        std::string("\x74", 1),         std::string("\x75", 1),         std::string("\x50", 1),
        std::string("\x51", 1),         std::string("\x56", 1),         std::string("\x57", 1),
        std::string("\x33\xC0", 2),     std::string("\x8B\xF0", 2),     std::string("\xFF\x15", 2),
        std::string("\xE8", 1),         std::string("\x89\x45\xFC", 3), std::string("\x83\xC4\x0C", 3),
    };
    const std::vector<std::string> body64 = {
        std::string("\x48\x8B\xCB", 3),     std::string("\x48\x8B\xD7", 3), std::string("\x48\x85\xC0", 3),
        std::string("\x74", 1),             std::string("\x75", 1),         std::string("\x33\xD2", 2),
        std::string("\x45\x33\xC0", 3),     std::string("\xFF\x15", 2),     std::string("\xE8", 1),
        std::string("\x48\x89\x44\x24", 4), std::string("\x8B\xC3", 2),     std::string("\x4C\x8B\xC6", 3),
    };
    const auto& body = x64 ? body64 : body32;
    for (size_t f = 0; f < functions; ++f) {
        code += x64 ? std::string("\x48\x89\x5C\x24\x08\x57\x48\x83\xEC\x20", 10)
                    : std::string("\x8B\xFF\x55\x8B\xEC\x83\xEC", 7) + char(4 * (1 + random.below(8)));
        const uint32_t n = 8 + random.below(40);
        for (uint32_t i = 0; i < n; ++i) {
            const std::string& op = body[random.below(uint32_t(body.size()))];
            code += op;
            if (op == "\x74" || op == "\x75") code.push_back(char(random.below(0x40)));
            if (op == "\xE8" || op.substr(0, 2) == "\xFF\x15") {
                // Calls go to a few hundred places: the low bytes vary, the
                // high ones repeat.
                put32(code, 0x10000 + random.below(0x400) * 16);
            }
        }
        code += x64 ? std::string("\x48\x8B\x5C\x24\x30\x48\x83\xC4\x20\x5F\xC3", 11)
                    : std::string("\x8B\xE5\x5D\xC2", 4) + char(4 * random.below(4)) + '\0';
        padTo(code, 16, '\xCC');
    }
    padTo(code, 512);

    std::string rdata;
    for (const char* import : {"IoCreateDevice", "IoDeleteDevice", "IoCreateSymbolicLink", "IoDeleteSymbolicLink",
                               "ExAllocatePoolWithTag", "ExFreePoolWithTag", "KeInitializeSpinLock",
                               "KeAcquireSpinLockRaiseToDpc", "KeReleaseSpinLock", "KeQuerySystemTime",
                               "RtlInitUnicodeString", "RtlCopyMemory", "ObfDereferenceObject",
                               "KsCreateFilterFactory", "KsInitializeDriver", "KsPinGetConnectedPinFileObject",
                               "KsGetFilterFromIrp", "KsAcquireControl", "KsReleaseControl", "ntoskrnl.exe",
                               "ks.sys", "HAL.dll"}) {
        put16(rdata, random.below(0x600));
        rdata += import;
        rdata.push_back(0);
        padTo(rdata, 2);
    }
    for (const char* text : {"\\Device\\Nelvo", "\\DosDevices\\Nelvo", "Nelvo Virtual Camera", "Nelvo Video Capture",
                             "Nelvo Video Output Pin", "YUY2", "RGB24", "I420"})
        rdata += utf16(text);
    padTo(rdata, 16);
    for (int i = 0; i < 600; ++i) put32(rdata, 0x10000 + random.below(0x20000)); // dispatch tables
    padTo(rdata, 512);

    std::string data(8192, '\0');
    for (size_t i = 0; i < data.size(); i += 64) set32(data, i, uint32_t(random.next()));

    std::string reloc;
    for (uint32_t page = 0; page < code.size() / 4096 + 1; ++page) {
        put32(reloc, 0x1000 + page * 0x1000);
        put32(reloc, 8 + 2 * 64);
        uint32_t offset = 0;
        for (int i = 0; i < 64; ++i) {
            offset += 8 + random.below(48);
            put16(reloc, (x64 ? 0xA000 : 0x3000) | (offset & 0xFFF));
        }
    }
    padTo(reloc, 512);

    struct Section {
        const char* name;
        const std::string* bytes;
        uint32_t flags;
    };
    const Section sections[] = {{".text", &code, 0x68000020},
                                {".rdata", &rdata, 0x48000040},
                                {".data", &data, 0xC8000040},
                                {"INIT", &rdata, 0xE2000020},
                                {".reloc", &reloc, 0x42000040}};
    std::string out("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\xB8\0\0\0\0\0\0\0\x40\0\0\0\0\0\0\0", 32);
    out.resize(0x3C, '\0');
    put32(out, 0xD8);
    out += std::string("\x0E\x1F\xBA\x0E\x00\xB4\x09\xCD\x21\xB8\x01\x4C\xCD\x21", 14);
    out += "This program cannot be run in DOS mode.\r\r\n$";
    out.resize(0xD8, '\0');
    out += std::string("PE\0\0", 4);
    put16(out, x64 ? 0x8664 : 0x014C);
    put16(out, 5);
    put32(out, 0x56EBC3A1); // link time: 2016-03-18
    put32(out, 0);
    put32(out, 0);
    put16(out, x64 ? 240 : 224);
    put16(out, x64 ? 0x0022 : 0x0102);
    const size_t optional = out.size();
    put16(out, x64 ? 0x20B : 0x10B);
    out.resize(optional + (x64 ? 240 : 224), '\0');
    set32(out, optional + 16, 0x1000);                      // entry point
    out[optional + 68] = 1;                                 // subsystem: native
    uint32_t raw = 0x400, virtualAddress = 0x1000;
    for (const Section& s : sections) {
        std::string header(s.name);
        header.resize(8, '\0');
        put32(header, uint32_t(s.bytes->size()));
        put32(header, virtualAddress);
        put32(header, uint32_t(s.bytes->size()));
        put32(header, raw);
        header.append(12, '\0');
        put32(header, s.flags);
        out += header;
        raw += uint32_t(s.bytes->size());
        virtualAddress += (uint32_t(s.bytes->size()) + 0xFFF) & ~0xFFFu;
    }
    out.resize(0x400, '\0');
    for (const Section& s : sections) out += *s.bytes;
    return out;
}

std::string infFile() {
    return crlf(R"(;
; nelvo.inf -- Nelvo virtual camera
;
; Installs the Nelvo video capture device and its kernel-streaming driver.
;

[Version]
Signature="$WINDOWS NT$"
Class=Image
ClassGuid={6bdd1fc6-810f-11d0-bec7-08002be2092f}
Provider=%Maker%
CatalogFile.NTx86=nelvo.cat
CatalogFile.NTamd64=nelvo64.cat
DriverVer=03/18/2016,2.0.0.69

[DestinationDirs]
DefaultDestDir=12
Nelvo.CopyFiles.x86=12
Nelvo.CopyFiles.amd64=12

[SourceDisksNames]
1=%DiskName%,,,

[SourceDisksFiles]
nelvo.sys=1
nelvo64.sys=1

[Manufacturer]
%Maker%=Nelvo,NTx86,NTamd64

[Nelvo.NTx86]
%Nelvo.DeviceDesc%=Nelvo.Install.x86,nelvo

[Nelvo.NTamd64]
%Nelvo.DeviceDesc%=Nelvo.Install.amd64,nelvo

[Nelvo.Install.x86]
Include=ks.inf,kscaptur.inf
Needs=KS.Registration,KSCAPTUR.Registration.NT
AddReg=Nelvo.AddReg
CopyFiles=Nelvo.CopyFiles.x86

[Nelvo.Install.amd64]
Include=ks.inf,kscaptur.inf
Needs=KS.Registration,KSCAPTUR.Registration.NT
AddReg=Nelvo.AddReg
CopyFiles=Nelvo.CopyFiles.amd64

[Nelvo.Install.x86.Services]
AddService=nelvo,0x00000002,Nelvo.Service.x86

[Nelvo.Install.amd64.Services]
AddService=nelvo,0x00000002,Nelvo.Service.amd64

[Nelvo.Service.x86]
DisplayName=%Nelvo.ServiceDesc%
ServiceType=1
StartType=3
ErrorControl=1
ServiceBinary=%12%\nelvo.sys

[Nelvo.Service.amd64]
DisplayName=%Nelvo.ServiceDesc%
ServiceType=1
StartType=3
ErrorControl=1
ServiceBinary=%12%\nelvo64.sys

[Nelvo.CopyFiles.x86]
nelvo.sys

[Nelvo.CopyFiles.amd64]
nelvo64.sys

[Nelvo.AddReg]
HKR,,DevLoader,,*ntkern
HKR,,NTMPDriver,,nelvo.sys
HKR,,PageOutWhenUnopened,3,01
HKR,,DontSuspendIfStreamsAreRunning,3,01
HKR,"Settings","Mirror",0x00010001,0
HKR,"Settings","FrameRate",0x00010001,30

[Nelvo.Install.x86.Interfaces]
AddInterface=%KSCATEGORY_CAPTURE%,GLOBAL,Nelvo.Interface
AddInterface=%KSCATEGORY_VIDEO%,GLOBAL,Nelvo.Interface

[Nelvo.Install.amd64.Interfaces]
AddInterface=%KSCATEGORY_CAPTURE%,GLOBAL,Nelvo.Interface
AddInterface=%KSCATEGORY_VIDEO%,GLOBAL,Nelvo.Interface

[Nelvo.Interface]
AddReg=Nelvo.Interface.AddReg

[Nelvo.Interface.AddReg]
HKR,,CLSID,,%ProxyVCap.CLSID%
HKR,,FriendlyName,,%Nelvo.DeviceDesc%

[Strings]
Maker="Nelvo"
DiskName="Nelvo Installation Disk"
Nelvo.DeviceDesc="Nelvo Virtual Camera"
Nelvo.ServiceDesc="Nelvo Virtual Camera Service"
ProxyVCap.CLSID="{17CCA71B-ECD7-11D0-B908-00A0C9223196}"
KSCATEGORY_CAPTURE="{65E8773D-8F56-11D0-A3B9-00A0C9223196}"
KSCATEGORY_VIDEO="{6994AD05-93EF-11D0-A3CC-00A0C9223196}"
)");
}

std::string defaultSettings() {
    return crlf(R"([General]
Version=2.0.0.69
Language=2052
Skin=black
StartWithWindows=0
MinimizeToTray=1
CheckUpdate=1

[Camera]
Device=0
Width=640
Height=480
FrameRate=30
Mirror=0
Flip=0
Brightness=50
Contrast=50
Saturation=50

[Output]
Width=640
Height=480
Format=YUY2
KeepAspect=1

[Effect]
Background=
Mask=
Frame=
SkinWhitening=0
SkinWhiteningLevel=3

[Record]
Folder=
Format=wmv
Quality=80
)");
}

std::string imageSwap(Random& random) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<effect name=\"imageswap\" version=\"3\">\n"
                      "  <frames count=\"120\" interval=\"40\" loop=\"true\">\n";
    char line[200];
    for (int i = 0; i < 120; ++i) {
        std::snprintf(line, sizeof line,
                      "    <frame index=\"%d\" image=\"swap%03d.png\" x=\"%u\" y=\"%u\" alpha=\"%u\" scale=\"%u.%02u\"/>\n",
                      i, i % 24, random.below(640), random.below(480), 128 + random.below(128), 1 + random.below(2),
                      random.below(100));
        out += line;
    }
    out += "  </frames>\n</effect>\n";
    return crlf(out);
}

// An ASF sound file: a header object with the title and author, then a data
// object of fixed-size packets whose payload does not compress.
std::string sound(Random& random, size_t packets) {
    const std::string headerGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    const std::string dataGuid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    const std::string descriptionGuid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    const std::string title = utf16("Test"), author = utf16("Nelvo"), none = utf16("");
    std::string description = descriptionGuid;
    put64(description, 24 + 10 + title.size() + author.size() + 3 * none.size());
    for (const std::string* s : {&title, &author, &none, &none, &none}) put16(description, uint32_t(s->size()));
    description += title + author + none + none + none;

    std::string out = headerGuid;
    put64(out, 30 + description.size());
    put32(out, 1);
    out += "\x01\x02";
    out += description;

    const size_t packetSize = 3200;
    out += dataGuid;
    put64(out, 50 + packets * packetSize);
    std::string fileId;
    random.bytes(fileId, 16);
    out += fileId;
    put64(out, packets);
    out += "\x01\x01";
    for (size_t p = 0; p < packets; ++p) {
        out += "\x82\x00\x00";
        random.bytes(out, packetSize - 3);
    }
    return out;
}

// --- The members ------------------------------------------------------------

struct Member {
    const char* name;
    std::function<std::string(Random&)> make;
};

const std::vector<Member>& members() {
    static const std::vector<Member> all = {
        {"nelvo.cat", [](Random& r) { return catalog(r, {"nelvo.inf", "nelvo.sys"}, "2:5.1,2:6.0,2:6.1,2:6.2"); }},
        {"nelvo.inf", [](Random&) { return infFile(); }},
        {"nelvo.sys", [](Random& r) { return driverImage(r, false, 1500); }},
        {"nelvo64.cat", [](Random& r) { return catalog(r, {"nelvo.inf", "nelvo64.sys"}, "2:5.2,2:6.0,2:6.1,2:6.2"); }},
        {"nelvo64.sys", [](Random& r) { return driverImage(r, true, 1700); }},
        {"config_default", [](Random&) { return defaultSettings(); }},
        {"Effect/bg/black.efc", [](Random& r) { return backgroundEffect(r, "black", 0x101010, 0x3A3A3A); }},
        {"Effect/bg/blue.efc", [](Random& r) { return backgroundEffect(r, "blue", 0x0B2A5C, 0x4A8AD8); }},
        {"Effect/imageswap/imageswap.xml", [](Random& r) { return imageSwap(r); }},
        {"Effect/mask/5Points.efc", [](Random&) { return maskEffect("5Points", 5, true); }},
        {"Effect/mask/5Sides.efc", [](Random&) { return maskEffect("5Sides", 5, false); }},
        {"Resource/black_skin.nz",
         [](Random& r) {
             return skin(r, 0x1A1A1A, 0x474747, 4,
                         {{"background", 600, 420}, {"titlebar", 600, 32}, {"button", 96, 128},
                          {"scrollbar", 16, 300}, {"icons", 256, 64}});
         }},
        {"Resource/black_window.nz",
         [](Random& r) {
             return skin(r, 0x202020, 0x505050, 4, {{"frame", 480, 320}, {"shadow", 480, 24}, {"close", 24, 72}});
         }},
        {"Resource/blue_skin.nz",
         [](Random& r) {
             return skin(r, 0x123E7A, 0x5C9BE6, 4,
                         {{"background", 560, 400}, {"titlebar", 560, 32}, {"button", 96, 128},
                          {"scrollbar", 16, 300}, {"icons", 256, 64}});
         }},
        {"Resource/blue_window.nz",
         [](Random& r) {
             return skin(r, 0x184A8C, 0x6AA8F0, 4, {{"frame", 440, 300}, {"shadow", 440, 24}, {"close", 24, 72}});
         }},
        {"Resource/pic/bottom.jpg", [](Random& r) { return jpeg(r, 640, 160, 0x303840, 0x8090A0, 7); }},
        {"Resource/pic/filemiss.jpg", [](Random& r) { return jpeg(r, 160, 120, 0xE0E0E0, 0xA0A0A0, 1); }},
        {"Resource/pic/left.jpg", [](Random& r) { return jpeg(r, 160, 480, 0x283038, 0x707880, 7); }},
        {"Resource/pic/music.jpg", [](Random& r) { return jpeg(r, 160, 120, 0x2050A0, 0x80B0F0, 1); }},
        {"Resource/pic/right.jpg", [](Random& r) { return jpeg(r, 160, 480, 0x283038, 0x707880, 7); }},
        {"Resource/pic/top.jpg", [](Random& r) { return jpeg(r, 640, 160, 0x303840, 0x8090A0, 7); }},
        {"Resource/splash/default",
         [](Random& r) { return bitmap(drawPicture(r, 480, 320, 0x0B2A5C, 0x2E6FC0, 1)); }},
        {"Resource/Test.wma", [](Random& r) { return sound(r, 320); }},
    };
    return all;
}

bool writeFile(const fs::path& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: datagen OUTDIR | datagen --list\n", stderr);
        return 2;
    }
    const std::string_view target = argv[1];
    for (const Member& m : members()) {
        if (target == "--list") {
            std::printf("%s\n", m.name);
            continue;
        }
        Random random(m.name);
        if (!writeFile(fs::path(target) / m.name, m.make(random))) {
            std::fprintf(stderr, "datagen: cannot write %s\n", (fs::path(target) / m.name).c_str());
            return 1;
        }
    }
    return 0;
}
