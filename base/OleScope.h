#pragma once
// Keeps OleInitialize paired with OleUninitialize on the calling thread. A
// failed initialisation is not examined: nothing later depends on it
// succeeding.

#include <ole2.h>

namespace nelvo {

class OleScope {
public:
    OleScope() { (void)OleInitialize(nullptr); }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    ~OleScope() { OleUninitialize(); }
};

} // namespace nelvo
