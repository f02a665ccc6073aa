#pragma once
// The setup wizard driven as a person drives it: setup.exe started from its
// folder, its window found by its title, its controls clicked where the
// shipped layout puts them, text typed on the keyboard and its message boxes
// answered by their buttons. Every wait is bounded. Screenshots go to
// out/screenshots/<name>-NN-<what>.png; a session that ends with the program
// still running leaves a screenshot of the whole screen and ends it.

#include "dui/DpiScale.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/WizardLayout.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace nelvo::test {

// The wizard window's title.
inline constexpr wchar_t kWizardTitle[] = L"安装Nelvo";

// Control ids of the shipped markup that the walks use.
namespace wizard {
constexpr int32_t kMinimise = 1000, kClose = 1001, kTitle = 1002, kLicenceText = 2001, kLicenceCancel = 2002, kAccept = 2003,
                  kFolderBox = 3001,
                  kBrowse = 3002, kFolderCancel = 3003, kInstall = 3004, kProgressBar = 4001, kRunProduct = 5002,
                  kFinish = 5003;
}

// The setup program of this build: out\setup.exe.
std::wstring setupProgram();

// The DPI Wine gives the programs started in the prefix (its LogPixels
// setting; 96 when it has none).
int32_t prefixDpi();
// The prefix at another DPI for the programs started while this lives; the
// setting it had comes back afterwards.
class PrefixDpi {
public:
    explicit PrefixDpi(int32_t dpi);
    ~PrefixDpi();
    PrefixDpi(const PrefixDpi&) = delete;
    PrefixDpi& operator=(const PrefixDpi&) = delete;

private:
    bool had_ = false;
    DWORD before_ = 0;
};

class WizardSession {
public:
    WizardSession(const WizardLayout& layout, std::wstring name, std::wstring exe = setupProgram());
    ~WizardSession();
    WizardSession(const WizardSession&) = delete;
    WizardSession& operator=(const WizardSession&) = delete;

    // Starts the program and waits until its window shows its background.
    bool start(DWORD timeoutMs = 30000);
    // Milliseconds from the start to the painted window.
    DWORD startToPaintedMs() const { return paintedMs_; }
    HWND window() const { return window_; }
    // Where the window was when it had painted.
    RECT startRect() const { return startRect_; }
    ChildProcess& process() { return process_; }
    RECT windowRect() const;
    // The scale the program draws at: the prefix's DPI when the session was
    // made. The layout's positions are scaled by it on the screen.
    DpiScale scale() const { return scale_; }
    // How many pixel rows of a control's place on the screen show light
    // text (every channel above 200): the height of white text.
    int lightTextRows(int32_t id) const;

    // A click on the middle of a control; the tick count of its release.
    DWORD click(int32_t id);
    // The pointer moved onto the middle of a control, and left there.
    void hover(int32_t id);
    // Waits until a control is no longer drawn: the window's background
    // shows just inside its left edge. False when the time ran out.
    bool waitUntilHidden(int32_t id, DWORD timeoutMs = 10000);
    // Replaces the folder box's text as a person does: click into it, Ctrl+A,
    // type. False when a character cannot be typed.
    bool replaceFolderText(std::wstring_view text);
    bool type(std::wstring_view text);

    struct Box {
        HWND window = nullptr;
        SeenWindow seen;
    };
    // The next message box (or other dialog, such as the folder dialog) of
    // the program that was not answered yet.
    std::optional<Box> waitForMessageBox(DWORD timeoutMs = 15000);
    // Photographs the box as `what` and presses the button.
    void answer(const Box& box, int button, const std::wstring& what);
    // Both; an empty caption when no box came.
    SeenWindow answerNext(int button, const std::wstring& what, DWORD timeoutMs = 15000);

    // Photographs the wizard window (or the screen if it is gone).
    void shot(const std::wstring& what);

    // How far the progress bar is filled (0 to 1); below 0 when no bar is
    // shown, as once the finish page has replaced the progress page.
    double progressFill() const;
    // Watches an installation after the click that started it: photographs
    // the progress part way and at its last step, then waits for the finish
    // page and photographs it. Returns the milliseconds from `clickTick` to
    // the finish page, or nothing if it did not come.
    std::optional<DWORD> watchInstall(DWORD clickTick, DWORD timeoutMs = 120000);

    bool waitForExit(DWORD timeoutMs = 20000) { return process_.waitForExit(timeoutMs); }

private:
    std::wstring nextShotPath(const std::wstring& what);
    POINT screenPoint(POINT windowPoint) const;

    const WizardLayout& layout_;
    std::wstring name_;
    std::wstring exe_;
    ChildProcess process_;
    HWND window_ = nullptr;
    DWORD paintedMs_ = 0;
    RECT startRect_{0, 0, 0, 0};
    int shots_ = 0;
    DpiScale scale_;
    std::vector<HWND> answered_;
};

// Makes runAndAnswer leave a wizard that comes up as a person leaves it:
// its close button, then Yes to the question.
void closeWizardsOnSight(RunOptions& options);

// The folder the wizard proposes: the program-files folder + "\QuentNelvo\".
std::wstring defaultInstallFolder();

struct WalkResult {
    bool ok = false;
    std::string failure;  // the step that went wrong
    DWORD paintedMs = 0;  // start to painted window
    DWORD installMs = 0;  // install click to finish page
    std::wstring installDir;
};

// A whole installation as a new user makes it: accept the licence, keep the
// proposed folder (which must be absent or empty), install, watch the
// progress, finish with "run Nelvo" left as it is. Every page is
// photographed; the program has ended when it returns ok. A session already
// started goes on from its first page.
WalkResult walkFreshInstall(WizardSession& session);

} // namespace nelvo::test
