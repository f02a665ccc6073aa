#pragma once
// The window tests' fixture: a running framework, windows built from markup
// text, message pumping with a deadline, and an event log per control.

#include "dui/Framework.h"
#include "dui/Markup.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <string>
#include <vector>

namespace nelvo::test {

// Runs the message loop of this thread for `ms` milliseconds, or until
// `done` says so.
template <typename Done>
bool pumpUntil(DWORD ms, Done done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}
inline void pump(DWORD ms) {
    pumpUntil(ms, [] { return false; });
}

inline LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// Records "<name>:<event code>" for every event of interest raised on the
// controls it watches.
class EventLog {
public:
    void watch(Control* c, const std::string& name, std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) {
            auto* entry = new Entry{this, name, code};
            entries_.emplace_back(entry);
            EXPECT_TRUE(c->addHandler(code, entry, &EventLog::record));
        }
    }
    std::vector<std::string> lines;
    std::string joined() const {
        std::string s;
        for (const auto& l : lines) s += (s.empty() ? "" : " ") + l;
        return s;
    }
    void clear() { lines.clear(); }

private:
    struct Entry {
        EventLog* log;
        std::string name;
        int32_t code;
    };
    static void record(void* object, Control*, Event* e) {
        auto* entry = static_cast<Entry*>(object);
        entry->log->lines.push_back(entry->name + ":" + std::to_string(e->code));
    }
    std::vector<std::unique_ptr<Entry>> entries_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(framework_.started());
        // The real pointer stays in a corner, away from every test window.
        SetCursorPos(2, 2);
    }
    void TearDown() override {
        if (window && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump(20);
    }

    // Builds a window from markup, placed at (100, 100) and shown without
    // being activated unless asked.
    WindowImpl* open(const std::string& markup, bool show = true) {
        std::string error;
        ControlPtr root = loadMarkup(*UiContext::current(), markup, &error);
        EXPECT_TRUE(root) << error;
        if (!root) return nullptr;
        window = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
        EXPECT_TRUE(window) << error;
        if (!window) return nullptr;
        hwnd = window->handle();
        SetWindowPos(hwnd, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (show) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        return window;
    }
    Control* byId(int32_t id) { return window->childById(id); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(hwnd, message, wParam, lParam);
    }

    FrameworkScope framework_;
    WindowImpl* window = nullptr;
    HWND hwnd = nullptr;
};

} // namespace nelvo::test
