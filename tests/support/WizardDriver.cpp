#include "tests/support/WizardDriver.h"

#include "tests/support/InstalledProduct.h"
#include "tests/support/RealInput.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace nelvo::test {

namespace {

constexpr DWORD kPollMs = 50;
// Finer while an installation is timed: one row of the screen per look.
constexpr DWORD kInstallPollMs = 10;

// Same colour within a small tolerance per channel.
bool similarColour(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 6) return false;
    return true;
}

} // namespace

std::wstring setupProgram() { return outDir() + L"\\setup.exe"; }

namespace {

// Where Wine keeps the screen's DPI for the programs it starts; each reads
// it once, when it starts.
const wchar_t kDpiKey[] = L"Control Panel\\Desktop";
const wchar_t kDpiValue[] = L"LogPixels";

bool readDpi(DWORD& dpi) {
    DWORD size = sizeof dpi;
    return RegGetValueW(HKEY_CURRENT_USER, kDpiKey, kDpiValue, RRF_RT_REG_DWORD, nullptr, &dpi, &size) ==
           ERROR_SUCCESS;
}

void writeDpi(const DWORD* dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDpiKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (dpi)
        RegSetValueExW(key, kDpiValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(dpi), sizeof *dpi);
    else
        RegDeleteValueW(key, kDpiValue);
    RegCloseKey(key);
}

} // namespace

int32_t prefixDpi() {
    DWORD dpi = 0;
    return readDpi(dpi) && dpi >= 48 && dpi <= 960 ? int32_t(dpi) : DpiScale::kBaseDpi;
}

PrefixDpi::PrefixDpi(int32_t dpi) {
    had_ = readDpi(before_);
    const DWORD value = DWORD(dpi);
    writeDpi(&value);
}

PrefixDpi::~PrefixDpi() { writeDpi(had_ ? &before_ : nullptr); }

WizardSession::WizardSession(const WizardLayout& layout, std::wstring name, std::wstring exe)
    : layout_(layout), name_(std::move(name)), exe_(std::move(exe)), scale_{prefixDpi()} {}

WizardSession::~WizardSession() {
    if (!process_.running()) return;
    // Whatever kept it running is on the screen.
    saveScreenPng(nextShotPath(L"left-running"));
    process_.kill();
}

std::wstring WizardSession::nextShotPath(const std::wstring& what) {
    ++shots_;
    wchar_t number[8];
    wsprintfW(number, L"%02d", shots_);
    return screenshotDir() + L"\\" + name_ + L"-" + number + L"-" + what + L".png";
}

bool WizardSession::start(DWORD timeoutMs) {
    CreateDirectoryW(screenshotDir().c_str(), nullptr);
    const DWORD started = GetTickCount();
    if (!process_.start(exe_)) return false;
    // Pass 1: the window, by its title, among the program's own.
    while (!window_) {
        for (HWND w : visibleWindowsOf(process_.id()))
            if (describeWindow(w).caption == kWizardTitle) window_ = w;
        if (window_) break;
        if (GetTickCount() - started > timeoutMs || !process_.running()) return false;
        Sleep(kPollMs / 5);
    }
    // Pass 2: painted, when a spot that is background on every page shows
    // the skin's background.
    const POINT spot{10, 200};
    const int64_t expected = layout_.backgroundPixel(spot.x, spot.y);
    for (;;) {
        const POINT p = screenPoint(spot);
        std::vector<uint32_t> pixel;
        if (expected >= 0 && captureScreen(RECT{p.x, p.y, p.x + 1, p.y + 1}, pixel) &&
            similarColour(pixel[0] & 0xFFFFFF, uint32_t(expected)))
            break;
        if (GetTickCount() - started > timeoutMs || !process_.running()) return false;
        Sleep(kPollMs / 5);
    }
    paintedMs_ = GetTickCount() - started;
    startRect_ = windowRect();
    return true;
}

RECT WizardSession::windowRect() const {
    RECT r{0, 0, 0, 0};
    if (window_) GetWindowRect(window_, &r);
    return r;
}

POINT WizardSession::screenPoint(POINT windowPoint) const {
    const RECT r = windowRect();
    return {r.left + scale_.toDevice(windowPoint.x), r.top + scale_.toDevice(windowPoint.y)};
}

int WizardSession::lightTextRows(int32_t id) const {
    const RECT unit = layout_.controlRect(id);
    const POINT a = screenPoint({unit.left, unit.top}), b = screenPoint({unit.right, unit.bottom});
    std::vector<uint32_t> pixels;
    if (b.x <= a.x || b.y <= a.y || !captureScreen(RECT{a.x, a.y, b.x, b.y}, pixels)) return 0;
    const int width = b.x - a.x;
    int rows = 0;
    for (int y = 0; y < b.y - a.y; ++y) {
        bool light = false;
        for (int x = 0; x < width && !light; ++x) {
            const uint32_t p = pixels[size_t(y * width + x)];
            light = (p & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) > 200;
        }
        rows += light;
    }
    return rows;
}

DWORD WizardSession::click(int32_t id) {
    const DWORD released = clickAt(screenPoint(layout_.controlCentre(id)));
    // Let the click's handler run before anything looks at its result.
    Sleep(150);
    return released;
}

void WizardSession::hover(int32_t id) { movePointer(screenPoint(layout_.controlCentre(id))); }

bool WizardSession::waitUntilHidden(int32_t id, DWORD timeoutMs) {
    const RECT r = layout_.controlRect(id);
    const POINT spot{r.left + 6, (r.top + r.bottom) / 2};
    const int64_t expected = layout_.backgroundPixel(spot.x, spot.y);
    const DWORD started = GetTickCount();
    for (;;) {
        const POINT p = screenPoint(spot);
        std::vector<uint32_t> pixel;
        if (expected >= 0 && captureScreen(RECT{p.x, p.y, p.x + 1, p.y + 1}, pixel) &&
            similarColour(pixel[0] & 0xFFFFFF, uint32_t(expected)))
            return true;
        if (GetTickCount() - started > timeoutMs || !process_.running()) return false;
        Sleep(kPollMs);
    }
}

bool WizardSession::type(std::wstring_view text) {
    const bool typed = typeText(text);
    Sleep(100);
    return typed;
}

bool WizardSession::replaceFolderText(std::wstring_view text) {
    click(wizard::kFolderBox);
    pressKey('A', VK_CONTROL);
    pressKey(VK_BACK);
    return type(text);
}

std::optional<WizardSession::Box> WizardSession::waitForMessageBox(DWORD timeoutMs) {
    const DWORD started = GetTickCount();
    do {
        for (HWND w : visibleWindowsOf(process_.id())) {
            if (!isMessageBox(w) || std::find(answered_.begin(), answered_.end(), w) != answered_.end()) continue;
            // Let it finish drawing before it is looked at.
            Sleep(300);
            if (!IsWindow(w)) continue;
            return Box{w, describeWindow(w)};
        }
        Sleep(kPollMs);
    } while (GetTickCount() - started < timeoutMs && process_.running());
    return std::nullopt;
}

void WizardSession::answer(const Box& box, int button, const std::wstring& what) {
    saveWindowPng(box.window, nextShotPath(what));
    answered_.push_back(box.window);
    pressMessageBoxButton(box.window, button);
    Sleep(150);
}

SeenWindow WizardSession::answerNext(int button, const std::wstring& what, DWORD timeoutMs) {
    const std::optional<Box> box = waitForMessageBox(timeoutMs);
    if (!box) {
        saveScreenPng(nextShotPath(what + L"-missing"));
        return {};
    }
    answer(*box, button, what);
    return box->seen;
}

void WizardSession::shot(const std::wstring& what) {
    if (window_ && IsWindow(window_) && IsWindowVisible(window_))
        saveWindowPng(window_, nextShotPath(what));
    else
        saveScreenPng(nextShotPath(what));
}

double WizardSession::progressFill() const {
    const RECT bar = layout_.controlRect(wizard::kProgressBar);
    const int y = (bar.top + bar.bottom) / 2;
    const POINT left = screenPoint({bar.left + 2, y});
    std::vector<uint32_t> row;
    const int width = bar.right - bar.left - 4;
    const int pixels = scale_.toDevice(width);
    if (width <= 0 || !captureScreen(RECT{left.x, left.y, left.x + pixels, left.y + 1}, row)) return -1;
    // The row is in device pixels; the background's picture in layout units.
    auto at = [&](int unit) { return row[size_t(std::min(pixels - 1, scale_.toDevice(unit)))] & 0xFFFFFF; };
    // Pass 1: the bar is there when most of its row is not the window's
    // background (the finish page draws nothing there).
    int covered = 0;
    for (int i = 0; i < width; ++i) {
        const int64_t bg = layout_.backgroundPixel(bar.left + 2 + i, y);
        if (bg < 0 || !similarColour(at(i), uint32_t(bg))) ++covered;
    }
    if (covered <= width / 2) return -1;
    // Pass 2: the filled part runs from the left up to where the row takes
    // the colour of its empty right end.
    const uint32_t empty = at(width - 1);
    int filled = 0;
    while (filled < width && !similarColour(at(filled), empty)) ++filled;
    return double(filled) / width;
}

std::optional<DWORD> WizardSession::watchInstall(DWORD clickTick, DWORD timeoutMs) {
    // Shots inside the timed span are only taken; encoding them would take
    // the processor from the installation being timed. They are written
    // whichever way this returns.
    struct LaterShots {
        std::vector<std::pair<std::wstring, WindowPicture>> taken;
        ~LaterShots() {
            for (const auto& [path, picture] : taken) picture.savePng(path);
        }
    } later;
    auto capture = [&](const wchar_t* what) {
        WindowPicture picture;
        if (picture.take(window_)) later.taken.emplace_back(nextShotPath(what), std::move(picture));
    };
    bool partWay = false, sawBar = false;
    DWORD endSeen = 0;
    int endShots = 0;
    for (;;) {
        const DWORD now = GetTickCount();
        if (now - clickTick > timeoutMs || !process_.running()) {
            shot(L"install-stalled");
            return std::nullopt;
        }
        if (!IsWindow(window_) || !IsWindowVisible(window_)) {
            shot(L"window-gone");
            return std::nullopt;
        }
        const double fill = progressFill();
        if (fill >= 0) {
            sawBar = true;
        } else if (sawBar) {
            break;
        }
        if (!partWay && fill >= 0.3 && fill <= 0.75) {
            capture(L"progress-part-way");
            partWay = true;
        }
        // The last step (87 % or 88 %) lasts while the driver or the filter
        // is set up; a long one shows the turning status label.
        if (fill >= 0.85 && (endShots == 0 || (endShots == 1 && now - endSeen > 1200))) {
            capture(endShots == 0 ? L"progress-end" : L"progress-end-later");
            endSeen = now;
            ++endShots;
        }
        Sleep(kInstallPollMs);
    }
    const DWORD elapsed = GetTickCount() - clickTick;
    Sleep(300);
    shot(L"finish-page");
    return elapsed;
}

void closeWizardsOnSight(RunOptions& options) {
    options.onWindow = [](HWND window) {
        if (describeWindow(window).caption != kWizardTitle) return;
        static const WizardLayout layout(setupProgram());
        const POINT close = layout.controlCentre(wizard::kClose);
        const DpiScale scale{prefixDpi()};
        clickAt(window, scale.toDevice(close.x), scale.toDevice(close.y));
    };
    options.chooseButton = [](const SeenWindow& box) { return box.caption == L"退出安装程序" ? IDYES : IDOK; };
}

// Asked of the shell once, at the first call. An empty folder would turn
// every clean-up into a no-op, and a handle closed by mistake anywhere in
// the test program (one was, see FolderLink.cpp) makes the shell fail for
// every folder from then on.
std::wstring defaultInstallFolder() {
    static const std::wstring folder = specialFolder(CSIDL_PROGRAM_FILES) + L"\\QuentNelvo\\";
    return folder;
}

WalkResult walkFreshInstall(WizardSession& session) {
    WalkResult walk;
    walk.installDir = defaultInstallFolder();
    auto fail = [&](const char* step) {
        walk.failure = step;
        session.shot(L"failed");
        return walk;
    };
    if (!session.window() && !session.start()) return fail("the wizard window did not show");
    walk.paintedMs = session.startToPaintedMs();
    session.shot(L"licence-page");
    session.click(wizard::kAccept);
    if (!session.waitUntilHidden(wizard::kLicenceText)) return fail("the licence page stayed");
    session.shot(L"folder-page");
    const DWORD clicked = session.click(wizard::kInstall);
    const std::optional<DWORD> installMs = session.watchInstall(clicked);
    if (!installMs) return fail("the finish page did not come");
    walk.installMs = *installMs;
    session.click(wizard::kFinish);
    if (!session.waitForExit(60000)) return fail("the setup program did not end after the finish button");
    walk.ok = true;
    return walk;
}

} // namespace nelvo::test
