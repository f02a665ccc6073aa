// Speed of a whole repaint of the wizard window at 96 and at 144 DPI: the
// window setup.exe builds (its own skin and layout packages, read from the
// program given by path), each page painted ROUNDS times through WM_PAINT
// into its back buffer and onto the screen, timed inside the process.
//
//   repaint_bench SETUP.EXE [ROUNDS]
//
// Prints one line per scale and page, "dpi=<dpi> page=<id> us=<median
// microseconds per repaint>". Needs a display.

#include "dui/Framework.h"
#include "dui/Markup.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "dui/controls/ShippedControls.h"
#include "store/ResourceFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace nelvo;
    if (argc < 2) {
        std::fputs("usage: repaint_bench SETUP.EXE [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = std::max(1, argc > 2 ? _wtoi(argv[2]) : 50);
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        std::fprintf(stderr, "repaint_bench: cannot load the program (%lu)\n", GetLastError());
        return 1;
    }
    ResourceFileSystem store(module);
    registerSetupResources(store);
    setCurrentFileSystem(&store);
    int status = 0;
    {
        FrameworkScope framework;
        std::string error;
        if (!framework.started()) return 1;
        registerShippedControls(UiContext::current()->factory());
        if (!SkinManager::current()->loadSkinPackage(u"style.lz", &error) ||
            !UiContext::current()->layouts().load(store.load(u"frame.lz"), &error)) {
            std::fprintf(stderr, "repaint_bench: %s\n", error.c_str());
            return 1;
        }
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        for (int32_t dpi : {96, 144}) {
            WindowImpl::setDpiOverride(dpi);
            WindowImpl* window = WindowImpl::create(u"mainframe.xml", WS_POPUP, 0, &error);
            WindowImpl::setDpiOverride(0);
            if (!window) {
                std::fprintf(stderr, "repaint_bench: %s\n", error.c_str());
                status = 1;
                break;
            }
            const HWND hwnd = window->handle();
            SetWindowPos(hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ShowWindow(hwnd, SW_SHOWNORMAL);
            pump();
            for (int32_t page : {2000, 3000, 4000, 5000}) {
                for (int32_t p : {2000, 3000, 4000, 5000}) window->childById(p)->setFlag(ControlFlag::Visible, p == page);
                RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                pump();
                std::vector<double> us;
                for (int r = 0; r < rounds; ++r) {
                    LARGE_INTEGER a, b;
                    QueryPerformanceCounter(&a);
                    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    GdiFlush();
                    QueryPerformanceCounter(&b);
                    us.push_back(double(b.QuadPart - a.QuadPart) * 1e6 / double(frequency.QuadPart));
                }
                std::sort(us.begin(), us.end());
                std::printf("dpi=%d page=%d us=%.0f\n", dpi, page, us[us.size() / 2]);
            }
            DestroyWindow(hwnd);
            pump();
        }
    }
    setCurrentFileSystem(nullptr);
    FreeLibrary(module);
    return status;
}
