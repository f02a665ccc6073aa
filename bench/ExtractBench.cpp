// Extraction throughput of the install worker: the payload's members written
// to files through the worker's own extractFile, in the install script's
// order, timed inside the process (no start-up counted).
//
//   extract_bench PACKAGE MEMBERS.txt DIR [ROUNDS]
//
// MEMBERS.txt names the members one a line ("/" separators), in the order
// the install script extracts them. Each round extracts all of them into a
// fresh folder DIR\<round>, whose folders are made beforehand. Prints one
// line per round, "ms=<time> mb_s=<unpacked MB per second>", then as many
// rounds of decoding alone into memory ("decode_ms=<time>"), and exits 1
// when a member could not be extracted.

#include "base/TextConvert.h"
#include "host/WorkerState.h"
#include "store/FileRangeSource.h"
#include "store/LzPackage.h"

#include <lua.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class SilentSink final : public nelvo::NotificationSink {
public:
    nelvo::NotifyResult notify(const char*) override { return {1, true}; }
};

bool readFile(const wchar_t* path, std::string& out) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        out.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size();
    }
    CloseHandle(file);
    return ok;
}

// Every folder on the way to each member, below `root`.
void makeFolders(const std::wstring& root, const std::vector<std::string>& members) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (const auto& m : members) {
        for (size_t slash = m.find('/'); slash != std::string::npos; slash = m.find('/', slash + 1)) {
            std::wstring folder = root + L"\\" + nelvo::utf8ToWide(m.substr(0, slash));
            for (auto& c : folder)
                if (c == L'/') c = L'\\';
            CreateDirectoryW(folder.c_str(), nullptr);
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fputs("usage: extract_bench PACKAGE MEMBERS.txt DIR [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 5;
    // The package is read from its file a window at a time, as the worker
    // reads setup.exe's payload.
    std::string list;
    const auto packageFile = nelvo::FileRangeSource::open(argv[1]);
    if (!packageFile || !readFile(argv[2], list)) {
        std::fputs("extract_bench: cannot read the package or the member list\n", stderr);
        return 1;
    }
    auto package = nelvo::LzPackage::open(*packageFile);
    if (!package) {
        std::fputs("extract_bench: not a package\n", stderr);
        return 1;
    }
    std::vector<std::string> members;
    size_t unpacked = 0;
    for (size_t at = 0; at < list.size();) {
        size_t end = list.find('\n', at);
        if (end == std::string::npos) end = list.size();
        std::string m = list.substr(at, end - at);
        if (!m.empty() && m.back() == '\r') m.pop_back();
        at = end + 1;
        if (m.empty()) continue;
        const auto* e = package->find(nelvo::utf8ToUtf16(m));
        if (!e) {
            std::fprintf(stderr, "extract_bench: no member %s\n", m.c_str());
            return 1;
        }
        unpacked += e->stored() ? e->packedSize : e->unpackedSize;
        members.push_back(m);
    }

    SilentSink sink;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    CreateDirectoryW(argv[3], nullptr);
    int rc = 0;
    for (int r = 0; r < rounds && rc == 0; ++r) {
        const std::wstring root = std::wstring(argv[3]) + L"\\" + std::to_wstring(r);
        makeFolders(root, members);
        // The same loop as the install script's, in one chunk.
        std::string chunk = "local root = [==[" + nelvo::wideToUtf8(root) + "\\]==]\nlocal ok = true\n";
        for (const auto& m : members) {
            std::string path = m;
            for (auto& c : path)
                if (c == '/') c = '\\';
            chunk += "ok = extractFile([==[" + path + "]==], root .. [==[" + path + "]==]) and ok\n";
        }
        chunk += "assert(ok, 'a member was not extracted')\n";
        // A fresh state each round, as each install has.
        lua_State* L = nelvo::newWorkerState(*package, sink);
        if (!L) return 1;
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        std::string error;
        const bool ok = nelvo::runInstallScript(L, chunk, "=extract", error);
        QueryPerformanceCounter(&t1);
        lua_close(L);
        if (!ok) {
            std::fprintf(stderr, "extract_bench: %s\n", error.c_str());
            rc = 1;
            break;
        }
        const double ms = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(frequency.QuadPart);
        std::printf("ms=%.1f mb_s=%.1f bytes=%zu\n", ms, unpacked / 1e6 / (ms / 1000.0), unpacked);
        std::fflush(stdout);
    }
    // The decoding alone, into memory, for the breakdown.
    for (int r = 0; r < rounds && rc == 0; ++r) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        size_t got = 0;
        for (const auto& m : members) got += package->lookup(nelvo::utf8ToUtf16(m)).size();
        QueryPerformanceCounter(&t1);
        const double ms = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(frequency.QuadPart);
        std::printf("decode_ms=%.1f bytes=%zu\n", ms, got);
    }
    return rc;
}
