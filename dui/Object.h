#pragma once
// The property bag every control and style inherits: four singly linked
// lists (integers, sizes, rectangles, texts) keyed by the identity of an
// interned attribute name (AttributeNames.h).
//
// Setting a key replaces the value of its node or pushes a new node at the
// head; nothing is ever removed. Lookup walks from the head. Getters tell
// absence apart from every value: they return false and leave `out` alone.
// Nodes and objects come from the small-object pool. UI thread only.

#include "dui/AttributeNames.h"
#include "dui/Geometry.h"
#include "dui/Keyword.h"
#include "dui/SmallObjectPool.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nelvo {

class Object : public PoolAllocated {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    void setInt(PropertyKey key, int32_t value);
    bool getInt(PropertyKey key, int32_t& out) const;
    void setSize(PropertyKey key, Size value);
    bool getSize(PropertyKey key, Size& out) const;
    void setRect(PropertyKey key, const Rect& value);
    bool getRect(PropertyKey key, Rect& out) const;
    void setText(PropertyKey key, std::u16string_view value);
    bool getText(PropertyKey key, std::u16string& out) const;

    // The stored text without copying it; null when absent. Valid until the
    // property is set again or the object is destroyed.
    const std::u16string* findText(PropertyKey key) const;

    // Readers that supply their own default for an absent property.
    int32_t intOr(PropertyKey key, int32_t fallback) const;
    Rect rectOr(PropertyKey key, const Rect& fallback) const;
    // A keyword property; `fallback` when absent. A stored 0 (text that was
    // not a keyword) reads as Keyword::None, not as the fallback.
    Keyword keywordOr(PropertyKey key, Keyword fallback) const;

    bool hasInt(PropertyKey key) const;
    bool hasText(PropertyKey key) const { return findText(key) != nullptr; }

private:
    struct IntNode;
    struct SizeNode;
    struct RectNode;
    struct TextNode;

    IntNode* ints_ = nullptr;
    SizeNode* sizes_ = nullptr;
    RectNode* rects_ = nullptr;
    TextNode* texts_ = nullptr;
};

} // namespace nelvo
