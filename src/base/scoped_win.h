// Scoped owners for what the program creates by hand from Win32: each frees
// its object once, on every path out of the scope that made it. Move-only.
// Where ownership passes to the system (a region given to SetWindowRgn, a
// clipboard block given to SetClipboardData), call release() and say so.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace scoped_detail {

// The common shape: a value, the value that means "none", and how to free it.
template <typename T, typename Traits>
class Owner {
public:
    Owner() = default;
    explicit Owner(T value) : value_(value) {}
    ~Owner() { reset(); }
    Owner(Owner&& other) noexcept : value_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return !Traits::IsNone(value_); }
    // Gives the value up without freeing it.
    T release() { return std::exchange(value_, Traits::None()); }
    void reset(T value = Traits::None()) {
        T old = std::exchange(value_, value);
        if (!Traits::IsNone(old)) Traits::Free(old);
    }
    // For out-parameters: frees the old value, then lends the slot.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::None();
};

struct KernelHandleTraits {
    static HANDLE None() { return nullptr; }
    // Both conventions of "no handle" occur (CreateFile answers
    // INVALID_HANDLE_VALUE, most others null).
    static bool IsNone(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { CloseHandle(h); }
};

struct FindTraits {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool IsNone(HANDLE h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
    static void Free(HANDLE h) { FindClose(h); }
};

// Handles whose "none" is null, freed by one call.
template <typename T, auto FreeFunction>
struct NullIsNoneTraits {
    static T None() { return nullptr; }
    static bool IsNone(T h) { return h == nullptr; }
    static void Free(T h) { FreeFunction(h); }
};

}  // namespace scoped_detail

// Threads, processes, events, mutexes, mappings, files.
using ScopedHandle = scoped_detail::Owner<HANDLE, scoped_detail::KernelHandleTraits>;
// Bitmaps, regions, brushes, fonts: ScopedGdiObject<HBITMAP> and so on.
template <typename T>
using ScopedGdiObject = scoped_detail::Owner<T, scoped_detail::NullIsNoneTraits<T, DeleteObject>>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedRegion = ScopedGdiObject<HRGN>;
// A device context made with CreateCompatibleDC / CreateDC.
using ScopedMemoryDC = scoped_detail::Owner<HDC, scoped_detail::NullIsNoneTraits<HDC, DeleteDC>>;
using ScopedRegKey = scoped_detail::Owner<HKEY, scoped_detail::NullIsNoneTraits<HKEY, RegCloseKey>>;
// Icons made by LoadImage without LR_SHARED, CreateIcon and friends (not
// LoadIcon's shared ones, which are never destroyed).
using ScopedIcon = scoped_detail::Owner<HICON, scoped_detail::NullIsNoneTraits<HICON, DestroyIcon>>;
using ScopedFindHandle = scoped_detail::Owner<HANDLE, scoped_detail::FindTraits>;
using ScopedMenu = scoped_detail::Owner<HMENU, scoped_detail::NullIsNoneTraits<HMENU, DestroyMenu>>;
using ScopedModule = scoped_detail::Owner<HMODULE, scoped_detail::NullIsNoneTraits<HMODULE, FreeLibrary>>;
// A view of a file mapping from MapViewOfFile.
using ScopedMappedView = scoped_detail::Owner<void*, scoped_detail::NullIsNoneTraits<void*, UnmapViewOfFile>>;

// A window's (or, for null, the screen's) device context from GetDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, put back at scope exit.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() {
        if (dc_ && previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A device context's clip region, restored at scope exit (none when it had
// none).
class ScopedClip {
public:
    explicit ScopedClip(HDC dc) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0)) {
        hadClip_ = saved_ && GetClipRgn(dc_, saved_.get()) == 1;
    }
    ~ScopedClip() { SelectClipRgn(dc_, hadClip_ ? saved_.get() : nullptr); }
    ScopedClip(const ScopedClip&) = delete;
    ScopedClip& operator=(const ScopedClip&) = delete;

private:
    HDC dc_;
    ScopedRegion saved_;
    bool hadClip_ = false;
};

// A COM interface pointer, released at scope exit.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* pointer) : pointer_(pointer) {}  // takes over one reference
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void reset(T* pointer = nullptr) {
        T* old = std::exchange(pointer_, pointer);
        if (old) old->Release();
    }
    // For CoCreateInstance and QueryInterface out-parameters.
    void** put_void() {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    T** put() {
        reset();
        return &pointer_;
    }

private:
    T* pointer_ = nullptr;
};

// COM on this thread for the scope, when it could be started (an already
// started apartment of another kind leaves it as it is).
class ScopedComInit {
public:
    ScopedComInit() : result_(CoInitialize(nullptr)) {}
    ~ScopedComInit() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};
