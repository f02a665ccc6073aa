// Nelvo.exe: the product program's stand-in. A small window titled "Nelvo"
// that, while it runs, lists its own path in the running-programs block (as
// the product does while it uses the camera) and takes it out again when its
// window closes. Every start is appended to "Nelvo.log" beside it with its
// arguments, once the program is listed. Ended from outside without notice,
// it cannot clean up; the block then lives on only while another program
// keeps it open.

#include "script/RunningProgramsBlock.h"
#include "tools/payload/common/StandIn.h"

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kClassName[] = L"NelvoStandInWindow";

struct Listing {
    nelvo::RunningProgramsBlock block;
    std::wstring entry; // our path followed by ";"

    void add() {
        if (!block.open()) return;
        std::wstring text = block.read();
        if (text.find(entry) == std::wstring::npos) block.write(text + entry);
    }

    void remove() {
        std::wstring text = block.read();
        const size_t at = text.find(entry);
        if (at == std::wstring::npos) return;
        text.erase(at, entry.size());
        block.write(text);
    }
};

Listing* g_listing = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"Nelvo", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        if (g_listing) g_listing->remove();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
    Listing listing;
    listing.entry = nelvo::standin::modulePath() + L";";
    listing.add();
    g_listing = &listing;
    // Logged once listed, so that whoever sees the line also sees the entry.
    nelvo::standin::appendLog(L"Nelvo.log", arguments ? arguments : L"");

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, kClassName, L"Nelvo", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 360,
                                  240, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    g_listing = nullptr;
    return 0;
}
