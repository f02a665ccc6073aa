#include "script/CallbackFailure.h"

#include <utility>

namespace nelvo {

void CallbackFailure::record(std::string text) {
    if (pending_) return;
    pending_ = true;
    text_ = std::move(text);
    if (endLoops_) endLoops_();
}

void CallbackFailure::raise(lua_State* L) {
    lua_pushlstring(L, text_.data(), text_.size());
    lua_error(L);
    __builtin_unreachable();  // lua_error does not return
}

void CallbackFailure::clear() {
    pending_ = false;
    text_.clear();
}

} // namespace nelvo
