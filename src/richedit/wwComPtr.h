// An owning COM interface pointer for the embedded-object code: one
// reference held, added on copy, released on destruction or reset.
#pragma once

#include <unknwn.h>

#include <utility>

template <class T>
class TwwComPtr {
public:
    TwwComPtr() = default;
    // Takes over a reference the caller already owns.
    static TwwComPtr Adopt(T* p) {
        TwwComPtr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own.
    static TwwComPtr Share(T* p) {
        if (p) p->AddRef();
        return Adopt(p);
    }
    ~TwwComPtr() { Reset(); }
    TwwComPtr(const TwwComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    TwwComPtr(TwwComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    TwwComPtr& operator=(TwwComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held, then lends the slot.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Hands the reference to the caller.
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Another interface of the same object (empty when it has none).
    template <class U>
    TwwComPtr<U> As(REFIID iid) const {
        TwwComPtr<U> r;
        if (p_) p_->QueryInterface(iid, r.PutVoid());
        return r;
    }

private:
    T* p_ = nullptr;
};
