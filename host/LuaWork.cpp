#include "host/LuaWork.h"

#include <windows.h>

namespace nelvo {

// Placeholder until the worker thread arrives.
bool LuaWork::start(std::u16string, std::u16string, std::string) {
    OutputDebugStringW(L"startWork: the install worker is not available\n");
    return false;
}

} // namespace nelvo
