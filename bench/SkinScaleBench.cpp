// What the wizard's skin costs at 144 and 192 DPI: the first page painted
// into a back buffer through the window host's transform, once with every
// piece to resample and once from the cache, and the pixels the cache then
// holds; and the resampler alone on the 504 × 366 background.
//
//   wine out/bench/skinscale_bench.exe SETUP.EXE [ROUNDS]
//
// Each round loads the skin anew (its images and their pieces go with it)
// and paints at 96 DPI first, so the images are decoded before the scaled
// paints are timed. Prints one line per scale: medians over the rounds.

#include "dui/DibSection.h"
#include "dui/DpiScale.h"
#include "dui/Framework.h"
#include "dui/ImageScaler.h"
#include "dui/LayoutHolder.h"
#include "dui/Markup.h"
#include "dui/ScaledImageCache.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "dui/controls/ShippedControls.h"
#include "store/ResourceFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

using namespace nelvo;

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The window's tree painted once into a back buffer of its size at `dpi`,
// as the window host paints: through a world transform of dpi / 96.
// Milliseconds.
double paintAt(Control& root, int dpi) {
    const DpiScale scale{dpi};
    const Rect units = root.bounds();
    UniqueDc dc(CreateCompatibleDC(nullptr));
    uint32_t* bits = nullptr;
    UniqueBitmap buffer = createDibSection32(scale.toDevice(units.width()), scale.toDevice(units.height()), &bits);
    SelectGuard selected(dc.get(), buffer.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetGraphicsMode(dc.get(), GM_ADVANCED);
    const float s = float(dpi) / 96.0f;
    const XFORM transform{s, 0.0f, 0.0f, s, 0.0f, 0.0f};
    SetWorldTransform(dc.get(), &transform);
    const double start = nowMs();
    root.paint(dc.get(), units, units);
    GdiFlush();
    return nowMs() - start;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: skinscale_bench SETUP.EXE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 9;
    HMODULE exe = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!exe) {
        std::fwprintf(stderr, L"cannot open %ls\n", argv[1]);
        return 1;
    }
    auto store = std::make_unique<ResourceFileSystem>(exe);
    registerSetupResources(*store);
    setCurrentFileSystem(store.get());
    int result = 0;
    {
        FrameworkScope framework;
        registerShippedControls(UiContext::current()->factory());
        std::string error;
        if (!SkinManager::current()->loadSkinPackage(u"style.lz", &error) ||
            !UiContext::current()->layouts().load(store->load(u"frame.lz"), &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        ControlPtr root = loadLayout(u"mainframe.xml", &error);
        WindowImpl* window = root ? WindowImpl::create(std::move(root), WS_POPUP, 0, &error) : nullptr;
        if (!window) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        // The first page, as the wizard shows it first.
        for (const int32_t page : {2000, 3000, 4000, 5000})
            if (Control* c = window->childById(page)) c->setFlag(ControlFlag::Visible, page == 2000);

        ScaledImageCache& cache = ScaledImageCache::instance();
        for (const int dpi : {144, 192}) {
            std::vector<double> plain, first, second, bytes, pieces;
            for (int round = 0; round < rounds; ++round) {
                SkinManager::current()->loadSkinPackage(u"style.lz");
                plain.push_back(paintAt(*window->root(), 96));
                first.push_back(paintAt(*window->root(), dpi));
                second.push_back(paintAt(*window->root(), dpi));
                bytes.push_back(double(cache.bytes()));
                pieces.push_back(double(cache.pieces()));
            }
            std::printf("skin at %d DPI: first paint %.2f ms, again %.2f ms (96 DPI: %.2f ms); "
                        "cache %.0f KB in %.0f pieces\n",
                        dpi, median(first), median(second), median(plain), median(bytes) / 1024.0, median(pieces));
        }

        // The resampler alone: the background to 1.5 and 2 times its size.
        ImageRecord* background = SkinManager::current()->getImage(u"mainbkg.png");
        if (!background || !background->bits()) {
            std::fprintf(stderr, "no mainbkg.png\n");
            result = 1;
        } else {
            for (const int dpi : {144, 192}) {
                const DpiScale scale{dpi};
                const int32_t w = scale.toDevice(background->width()), h = scale.toDevice(background->height());
                std::vector<uint32_t> out(size_t(w) * size_t(h));
                std::vector<double> times;
                for (int round = 0; round < std::max(rounds, 9); ++round) {
                    const double start = nowMs();
                    scaleImage(background->bits(), background->width(), background->width(), background->height(),
                               out.data(), w, h);
                    times.push_back(nowMs() - start);
                }
                std::printf("background %dx%d to %dx%d: %.2f ms\n", background->width(), background->height(), w, h,
                            median(times));
            }
        }
        DestroyWindow(window->handle());
    }
    setCurrentFileSystem(nullptr);
    store.reset();
    FreeLibrary(exe);
    return result;
}
