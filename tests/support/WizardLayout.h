#pragma once
// Where the wizard's controls are, worked out from outside the program: the
// shipped markup, read from setup.exe's layout package, is built into a
// control tree and laid out at the window's initial size by the framework's
// own markup and layout code, as the wizard window does. The skin's window
// background is decoded too, so that a test can tell which page is shown by
// what covers it.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace nelvo::test {

class WizardLayout {
public:
    // Reads the packages from the setup program at `setupExe`; ok() says
    // whether it could, error() why not.
    explicit WizardLayout(const std::wstring& setupExe);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The window's size from the markup's initSize.
    SIZE windowSize() const { return windowSize_; }
    // The control with the markup id, in window coordinates; an empty
    // rectangle for an unknown id.
    RECT controlRect(int32_t id) const;
    POINT controlCentre(int32_t id) const;

    // The window background's pixel (0x00RRGGBB) at a window position; -1
    // outside it or without a background.
    int64_t backgroundPixel(int x, int y) const;

private:
    std::string error_;
    SIZE windowSize_{0, 0};
    std::map<int32_t, RECT> rects_;
    int backgroundWidth_ = 0, backgroundHeight_ = 0;
    std::vector<uint32_t> background_;  // 0x00RRGGBB, top-down
};

} // namespace nelvo::test
