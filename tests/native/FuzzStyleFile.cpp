// libFuzzer target: style files read with the real factory and setters,
// then every property a style's draw looks up read back.

#include "dui/AttributeNames.h"
#include "dui/StyleFile.h"
#include "dui/UiContext.h"
#include "dui/controls/ShippedControls.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static nelvo::UiContext* context = [] {
        auto* c = new nelvo::UiContext;
        nelvo::registerShippedControls(c->factory());
        return c;
    }();
    auto style = nelvo::readStyleFile(context->factory(), context->setters(),
                                      {reinterpret_cast<const char*>(data), size});
    if (!style) return 0;
    nelvo::Rect grid;
    style->getRect(nelvo::attr::scaleGrid, grid);
    for (uint32_t flags = 0; flags < 64; ++flags) style->findText(nelvo::Style::fourStateSkinKey(flags));
    style->intOr(nelvo::attr::textColor, 0);
    style->intOr(nelvo::attr::downOffset, 0);
    style->intOr(nelvo::attr::iconGap, 0);
    style->keywordOr(nelvo::attr::textPlacement, nelvo::Keyword::None);
    return 0;
}
