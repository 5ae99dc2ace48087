// The one smart pointer for interfaces. Building from a raw pointer adds a reference; Attach adopts one,
// Detach hands one out, Out() serves out arguments, As<U>() queries for another interface.
#pragma once

#include "tavi/Unknown.h"

#include <utility>

namespace tavi {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* raw) : p_(raw) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U> ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    // Adopts a reference the caller already owns.
    static ComPtr Adopt(T* raw) {
        ComPtr result;
        result.p_ = raw;
        return result;
    }
    void Attach(T* raw) {
        Reset();
        p_ = raw;
    }
    // Hands the reference to the caller, who must release it.
    [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }
    // Releases what is held and gives the address for an out argument.
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Queries for U; null when the object does not answer it.
    template <class U> ComPtr<U> As() const {
        ComPtr<U> result;
        if (p_)
            p_->QueryInterface(U::iid, result.OutVoid());
        return result;
    }
    template <class U> HRESULT As(ComPtr<U>* out) const {
        return p_ ? p_->QueryInterface(U::iid, out->OutVoid()) : E_POINTER;
    }
    // Hands out a new reference through an out pointer of the caller's interface type.
    template <class U> HRESULT CopyTo(U** out) const {
        if (!out)
            return E_POINTER;
        *out = p_;
        if (p_)
            p_->AddRef();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Queries `object` for U; null when it does not answer.
template <class U, class T> ComPtr<U> QueryAs(T* object) {
    ComPtr<U> result;
    if (object)
        object->QueryInterface(U::iid, result.OutVoid());
    return result;
}

// True when both pointers lead to the same object identity (both asked for IUnknown).
template <class A, class B> bool SameObject(A* a, B* b) {
    if (!a || !b)
        return static_cast<void*>(a) == static_cast<void*>(b);
    return QueryAs<IUnknown>(a).Get() == QueryAs<IUnknown>(b).Get();
}

} // namespace tavi
