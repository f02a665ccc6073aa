#pragma once
// Character widths for tests that need no font: every unit is `unit` pixels
// wide except those given their own width.

#include "dui/controls/CharWidths.h"

#include <map>

namespace nelvo::test {

class FixedWidths final : public CharWidths {
public:
    explicit FixedWidths(int32_t unit = 10) : unit_(unit) {}
    void set(char16_t c, int32_t w) { special_[c] = w; }
    int32_t width(char16_t c) override {
        auto it = special_.find(c);
        return it == special_.end() ? unit_ : it->second;
    }

private:
    int32_t unit_;
    std::map<char16_t, int32_t> special_;
};

} // namespace nelvo::test
