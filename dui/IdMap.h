#pragma once
// A window's map from integer id to control: how scripts find controls by
// the `id` attribute. A later control with the same id replaces the earlier.

#include <cstdint>
#include <map>

namespace nelvo {

class Control;

class IdMap {
public:
    void set(int32_t id, Control* control) { map_[id] = control; }
    Control* find(int32_t id) const {
        auto it = map_.find(id);
        return it == map_.end() ? nullptr : it->second;
    }
    // Removes the entry only while it still names `control`.
    void eraseIfNames(int32_t id, const Control* control) {
        auto it = map_.find(id);
        if (it != map_.end() && it->second == control) map_.erase(it);
    }
    size_t size() const { return map_.size(); }
    void clear() { map_.clear(); }

private:
    std::map<int32_t, Control*> map_;
};

} // namespace nelvo
