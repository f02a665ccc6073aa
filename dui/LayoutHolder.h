#pragma once
// The layout package: its bytes and its index. Start-up fills it from the
// resource "frame.lz"; loadLayout reads window markup from it.

#include "base/HeapBlock.h"
#include "store/LzPackage.h"

#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

class LayoutHolder {
public:
    // Takes the package bytes and indexes them. On a malformed package the
    // holder is left empty, false is returned and `error` says why.
    bool load(HeapBlock bytes, std::string* error = nullptr);
    void clear();
    bool loaded() const { return package_ != nullptr; }

    // A fresh block with the member's bytes; empty when there is no package
    // or no member of that name.
    HeapBlock member(std::u16string_view name) const;

private:
    HeapBlock bytes_;
    std::unique_ptr<LzPackage> package_;
};

} // namespace nelvo
