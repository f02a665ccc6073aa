#include "dui/Object.h"

#include <new>

namespace nelvo {

struct Object::IntNode : PoolAllocated {
    PropertyKey key;
    int32_t value;
    IntNode* next;
};
struct Object::SizeNode : PoolAllocated {
    PropertyKey key;
    Size value;
    SizeNode* next;
};
struct Object::RectNode : PoolAllocated {
    PropertyKey key;
    Rect value;
    RectNode* next;
};
struct Object::TextNode : PoolAllocated {
    PropertyKey key;
    std::u16string value;
    TextNode* next;
};

namespace {

template <typename Node>
Node* findNode(Node* head, PropertyKey key) {
    for (Node* n = head; n; n = n->next)
        if (n->key == key) return n;
    return nullptr;
}

template <typename Node, typename Value>
void setNode(Node*& head, PropertyKey key, Value&& value) {
    if (Node* n = findNode(head, key)) {
        n->value = std::forward<Value>(value);
        return;
    }
    head = new Node{{}, key, std::forward<Value>(value), head};
}

template <typename Node>
void freeList(Node*& head) {
    while (Node* n = head) {
        head = n->next;
        delete n;
    }
}

} // namespace

Object::~Object() {
    freeList(ints_);
    freeList(sizes_);
    freeList(rects_);
    freeList(texts_);
}

void Object::setInt(PropertyKey key, int32_t value) { setNode(ints_, key, value); }
void Object::setSize(PropertyKey key, Size value) { setNode(sizes_, key, value); }
void Object::setRect(PropertyKey key, const Rect& value) { setNode(rects_, key, value); }
void Object::setText(PropertyKey key, std::u16string_view value) {
    setNode(texts_, key, std::u16string(value));
}

bool Object::getInt(PropertyKey key, int32_t& out) const {
    const IntNode* n = findNode(ints_, key);
    if (n) out = n->value;
    return n != nullptr;
}
bool Object::getSize(PropertyKey key, Size& out) const {
    const SizeNode* n = findNode(sizes_, key);
    if (n) out = n->value;
    return n != nullptr;
}
bool Object::getRect(PropertyKey key, Rect& out) const {
    const RectNode* n = findNode(rects_, key);
    if (n) out = n->value;
    return n != nullptr;
}
bool Object::getText(PropertyKey key, std::u16string& out) const {
    const TextNode* n = findNode(texts_, key);
    if (n) out = n->value;
    return n != nullptr;
}

const std::u16string* Object::findText(PropertyKey key) const {
    const TextNode* n = findNode(texts_, key);
    return n ? &n->value : nullptr;
}

int32_t Object::intOr(PropertyKey key, int32_t fallback) const {
    getInt(key, fallback);
    return fallback;
}

Rect Object::rectOr(PropertyKey key, const Rect& fallback) const {
    Rect r = fallback;
    getRect(key, r);
    return r;
}

Keyword Object::keywordOr(PropertyKey key, Keyword fallback) const {
    int32_t v;
    return getInt(key, v) ? static_cast<Keyword>(v) : fallback;
}

bool Object::hasInt(PropertyKey key) const { return findNode(ints_, key) != nullptr; }

} // namespace nelvo
