// Owning wrappers for platform handles: one owner per handle, move-only, so a
// handle cannot be released twice. A handle that ownership passed away from
// (a region given to a window) is released from its wrapper with Release().
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

#include "ScopeGuard.h"

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, H{}));
        return *this;
    }
    H Get() const { return h_; }
    explicit operator bool() const { return h_ != H{} && h_ != Traits::Invalid(); }
    H Release() { return std::exchange(h_, H{}); }
    void Reset(H h = H{}) {
        if (h_ != H{} && h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_{};
};

template <class H>
struct GdiTraits {
    static H Invalid() { return nullptr; }
    static void Close(H h) { DeleteObject(h); }
};
struct KernelTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
// A device context made with CreateDC or CreateCompatibleDC.
struct DcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};

using UniqueFont = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, GdiTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<HRGN, GdiTraits<HRGN>>;
using UniquePalette = UniqueHandle<HPALETTE, GdiTraits<HPALETTE>>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueDc = UniqueHandle<HDC, DcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

// A view of a file mapping, given back with UnmapViewOfFile.
class MappedView {
public:
    MappedView() = default;
    explicit MappedView(void* view) : view_(view) {}
    ~MappedView() {
        if (view_) UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    void* Get() const { return view_; }
    explicit operator bool() const { return view_ != nullptr; }

private:
    void* view_ = nullptr;
};

// An owned reference to a COM interface: a copy adds a reference, the
// destructor gives its own back. A pointer returned through an out
// parameter already carries its reference: receive it with Put().
template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares p: adds a reference of its own.
    explicit ComPtr(I* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(const ComPtr& o) {
        ComPtr(o).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already holds (no AddRef).
    static ComPtr Attach(I* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Gives up the reference without releasing it.
    I* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (I* p = std::exchange(p_, nullptr)) p->Release();
    }
    // For an out parameter: releases what is held and gives the slot.
    I** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    I* Get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }
    // Another interface of the same object (empty when it has none).
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> r;
        if (p_) p_->QueryInterface(iid, r.PutVoid());
        return r;
    }

private:
    I* p_ = nullptr;
};

// The device context of a WM_PAINT: BeginPaint on construction, EndPaint on
// every way out of the handler.
class PaintDc {
public:
    explicit PaintDc(HWND wnd) : wnd_(wnd), dc_(BeginPaint(wnd, &ps_)) {}
    ~PaintDc() { EndPaint(wnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    const PAINTSTRUCT& Info() const { return ps_; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// A device context obtained with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back:
// at the end of a scope, or, held by an object that keeps a context, before
// the context or the selected object goes (declared after both).
class SelectRestorer {
public:
    SelectRestorer() = default;
    SelectRestorer(HDC dc, HGDIOBJ obj) { Select(dc, obj); }
    ~SelectRestorer() { Restore(); }
    SelectRestorer(const SelectRestorer&) = delete;
    SelectRestorer& operator=(const SelectRestorer&) = delete;
    // Puts back what an earlier selection replaced, then selects obj.
    void Select(HDC dc, HGDIOBJ obj) {
        Restore();
        dc_ = dc;
        old_ = obj ? SelectObject(dc, obj) : nullptr;
    }
    // Puts the previous object back now.
    void Restore() {
        if (old_) SelectObject(dc_, std::exchange(old_, nullptr));
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};
