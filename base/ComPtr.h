#pragma once
// ComPtr: the owner of one COM interface reference. Move-only; the
// reference is released when the owner is reset or destroyed. Filling it
// through put() (QueryInterface, CoCreateInstance and the like) adopts the
// reference the callee added; adopt() takes over one the caller already
// holds; share() adds a reference of its own.

#include <unknwn.h>

#include <utility>

namespace nelvo {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.release()) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~ComPtr() { reset(); }

    // A new owner with a reference of its own on `p` (nothing for null).
    static ComPtr share(T* p) {
        if (p) p->AddRef();
        return adopt(p);
    }
    // A new owner of the reference the caller holds on `p`.
    static ComPtr adopt(T* p) {
        ComPtr r;
        r.p_ = p;
        return r;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Gives the reference up to the caller.
    T* release() { return std::exchange(p_, nullptr); }
    void reset(T* adopted = nullptr) {
        if (T* old = std::exchange(p_, adopted)) old->Release();
    }
    // Releases what is held, then lets a callee fill the pointer.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // QueryInterface for U into `out`; the HRESULT of the query (E_POINTER
    // when nothing is held).
    template <typename U>
    HRESULT query(REFIID iid, ComPtr<U>& out) const {
        if (!p_) {
            out.reset();
            return E_POINTER;
        }
        return p_->QueryInterface(iid, out.putVoid());
    }

private:
    T* p_ = nullptr;
};

} // namespace nelvo
