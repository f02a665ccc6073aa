// Installs Nelvo with the wizard as a new user would, on the display it is
// given, and prints where the product went and what was registered. Used by
// ./run.sh when there is no display to show the wizard on.

#include "base/TextConvert.h"
#include "host/RestartMarker.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"

#include <cstdio>
#include <string>

using namespace nelvo;
using namespace nelvo::test;

namespace {

void say(const std::wstring& line) {
    const std::string bytes = wideToUtf8(line) + "\n";
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

} // namespace

int wmain() {
    const WizardLayout layout(setupProgram());
    if (!layout.ok()) {
        say(L"walk: " + std::wstring(layout.error().begin(), layout.error().end()));
        return 2;
    }
    const std::wstring folder = defaultInstallFolder();
    // A new user's machine: what an earlier walk left goes first.
    endProcessesUnder(folder);
    removeTree(folder);
    removeRegistration();
    clearRestartMarker();

    WizardSession session(layout, L"run");
    const WalkResult walk = walkFreshInstall(session);
    if (!walk.ok) {
        say(L"walk: " + std::wstring(walk.failure.begin(), walk.failure.end()));
        return 1;
    }

    const std::vector<std::string> problems = compareWithPayload(setupProgram(), folder, movedMembers());
    const size_t members = payloadMembers(setupProgram()).size();
    say(L"Installed to " + folder + L": " + std::to_wstring(members - problems.size()) + L" of " +
        std::to_wstring(members) + L" payload files identical to the payload.");
    for (const std::string& p : problems) say(L"  " + utf8ToWide(p));
    say(L"Registered:");
    for (const std::wstring& line : describeRegistration()) say(L"  " + line);
    say(std::wstring(L"Nelvo.exe ") +
        (processRunningFrom(folder + L"Nelvo.exe") ? L"is running (started by the finish button)." : L"is not running."));
    say(L"Start to painted window: " + std::to_wstring(walk.paintedMs) + L" ms; install click to finish page: " +
        std::to_wstring(walk.installMs) + L" ms.");
    return problems.empty() ? 0 : 1;
}
