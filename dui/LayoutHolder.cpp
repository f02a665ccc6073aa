#include "dui/LayoutHolder.h"

namespace nelvo {

bool LayoutHolder::load(HeapBlock bytes, std::string* error) {
    clear();
    auto package = LzPackage::open(bytes.data(), bytes.size(), error);
    if (!package) return false;
    bytes_ = std::move(bytes);
    package_ = std::move(package);
    return true;
}

void LayoutHolder::clear() {
    package_.reset();  // the index refers to the bytes: drop it first
    bytes_ = HeapBlock();
}

HeapBlock LayoutHolder::member(std::u16string_view name) const {
    if (!package_) return HeapBlock();
    return package_->lookup(name);
}

} // namespace nelvo
