// Speed of the payload's digest check: what setup.exe does on its own
// thread once the first window is painted (store/IntegrityCheck.h, the
// payload read through the program's file a window at a time), here on a
// setup.exe given by path and timed inside the process.
//
//   digest_bench SETUP.EXE [ROUNDS]
//
// Prints one line per round, "ms=<time> mb_s=<payload MB per second>
// intact=<0|1>", and exits 1 when the payload is not intact.

#include "store/IntegrityCheck.h"
#include "store/ResourceFileSystem.h"
#include "store/ResourceIds.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: digest_bench SETUP.EXE [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = argc > 2 ? _wtoi(argv[2]) : 1;
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        std::fprintf(stderr, "digest_bench: cannot load the program (%lu)\n", GetLastError());
        return 1;
    }
    nelvo::ResourceFileSystem store(module);
    const nelvo::ByteSource* payload = store.source(NELVO_RES_PROGRAM_LZ);
    if (!payload) {
        std::fputs("digest_bench: the program has no payload\n", stderr);
        return 1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    bool allIntact = true;
    for (int r = 0; r < rounds; ++r) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        const bool intact = nelvo::resourceIntact(module, NELVO_RES_PROGRAM_LZ, payload);
        QueryPerformanceCounter(&t1);
        const double ms = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(frequency.QuadPart);
        std::printf("ms=%.1f mb_s=%.1f intact=%d\n", ms, double(payload->size()) / 1e6 / (ms / 1000.0), intact ? 1 : 0);
        allIntact = allIntact && intact;
    }
    return allIntact ? 0 : 1;
}
