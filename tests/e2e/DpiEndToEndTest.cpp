// The wizard on screens of other DPIs: the prefix set to 96, 120, 144 and
// 192 DPI, setup.exe started as a person starts it (its manifest makes it
// DPI-aware, so the system tells it the real DPI), and a whole installation
// walked with clicks placed at the scaled layout. Every page is
// photographed as out/screenshots/dpi-<dpi>-NN-<page>.png.

#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gtest/gtest.h>

#include <string>

namespace nelvo::test {
namespace {

class DpiEndToEnd : public WizardTest {};

TEST_F(DpiEndToEnd, EveryPageAtFourScales) {
    const ReportedVersion windows7(L"win7");
    int titleRowsAt96 = 0;
    for (int32_t dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        cleanMachine();
        const PrefixDpi screen(dpi);
        WizardSession s(*layout, L"dpi-" + std::to_wstring(dpi));
        ASSERT_EQ(s.scale().dpi, dpi) << "the harness reads the prefix's DPI";
        ASSERT_TRUE(s.start()) << "the wizard window did not show";

        // The window at the scaled size, its title's text as tall as the
        // scale says.
        const RECT r = s.windowRect();
        const SIZE units = layout->windowSize();
        EXPECT_EQ(r.right - r.left, s.scale().toDevice(units.cx));
        EXPECT_EQ(r.bottom - r.top, s.scale().toDevice(units.cy));
        const int titleRows = s.lightTextRows(wizard::kTitle);
        if (dpi == 96) titleRowsAt96 = titleRows;
        EXPECT_GT(titleRows, 6);
        if (dpi == 192) {
            EXPECT_EQ(r.right - r.left, 1008);
            EXPECT_EQ(r.bottom - r.top, 732);
            EXPECT_GE(titleRows, 2 * titleRowsAt96 - 2) << "text about twice as tall as at 96 DPI";
            EXPECT_LE(titleRows, 2 * titleRowsAt96 + 2) << "text about twice as tall as at 96 DPI";
        }

        const WalkResult walk = walkFreshInstall(s);
        ASSERT_TRUE(walk.ok) << walk.failure;
        EXPECT_EQ(s.process().exitCode(), 0u);
        // The product the finish page started, ended before the next walk
        // needs its folder empty.
        EXPECT_TRUE(within(15000, [&] { return processRunningFrom(walk.installDir + L"Nelvo.exe"); }));
        endProcessesUnder(walk.installDir);
        EXPECT_TRUE(within(5000, [&] { return !processRunningFrom(walk.installDir + L"Nelvo.exe"); }));
    }
}

} // namespace
} // namespace nelvo::test
