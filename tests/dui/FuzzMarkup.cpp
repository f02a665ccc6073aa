// libFuzzer target: markup loaded into a control tree with the real factory
// and setters, then laid out, invalidated and hit-tested in a stand-in window.

#include "dui/Markup.h"
#include "dui/UiContext.h"
#include "dui/controls/ShippedControls.h"
#include "tests/support/StandInWindow.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static nelvo::UiContext* context = [] {
        auto* c = new nelvo::UiContext;
        nelvo::registerShippedControls(c->factory());
        return c;
    }();
    nelvo::ControlPtr root = nelvo::loadMarkup(*context, {reinterpret_cast<const char*>(data), size});
    if (root && !nelvo::test::exerciseTree(*root)) __builtin_trap();
    return 0;
}
