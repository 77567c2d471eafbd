// Owners for Windows handles, one kind each: every owner frees its handle
// when it goes out of scope, can be moved, and can be reset or released.
// Nothing that holds a handle beyond one statement keeps it raw.
#pragma once

#include <windows.h>
// After windows.h, whose types it uses: CoTaskMemFree.
#include <objbase.h>

#include <utility>

namespace corvane {

// One owner shape; Traits says what "no handle" is and how one is freed.
template <typename Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;

    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { reset(); }

    bool valid() const { return Traits::Valid(handle_); }
    Handle get() const { return handle_; }
    Handle release() { return std::exchange(handle_, Traits::kNone); }
    void reset(Handle handle = Traits::kNone) {
        if (valid()) Traits::Free(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::kNone;
};

// Handles whose makers say "none" either with null or with
// INVALID_HANDLE_VALUE, each freed by a function of its own (named by a
// type: the address of an imported function is no constant).
template <typename Freer>
struct NullOrInvalidIsNoneTraits {
    using Handle = HANDLE;
    static constexpr Handle kNone = nullptr;
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(Handle h) { Freer()(h); }
};
struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct CloseSearch {
    void operator()(HANDLE search) const { FindClose(search); }
};

// Files, processes, threads, snapshots.
using UniqueHandle = Owner<NullOrInvalidIsNoneTraits<CloseKernelHandle>>;
// A search of a folder's files, from FindFirstFile.
using ScopedFind = Owner<NullOrInvalidIsNoneTraits<CloseSearch>>;

// Handles for which null means none, each freed by a function of its own.
template <typename T, typename Freer>
struct NullIsNoneTraits {
    using Handle = T;
    static constexpr Handle kNone = nullptr;
    static bool Valid(Handle h) { return h != nullptr; }
    static void Free(Handle h) { Freer()(h); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct UnloadModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

// Fonts, brushes, bitmaps.
template <typename T>
using ScopedGdiObj = Owner<NullIsNoneTraits<T, DeleteGdiObject>>;
using ScopedMemoryDC = Owner<NullIsNoneTraits<HDC, DeleteMemoryDc>>;   // from CreateCompatibleDC
using ScopedLibrary = Owner<NullIsNoneTraits<HMODULE, UnloadModule>>;  // from LoadLibraryEx

struct FreeEnvironmentBlock {
    void operator()(wchar_t* block) const { FreeEnvironmentStringsW(block); }
};
struct FreeTaskMemory {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};
// The process's environment block, from GetEnvironmentStringsW.
using ScopedEnvironment = Owner<NullIsNoneTraits<wchar_t*, FreeEnvironmentBlock>>;
// Text the system allocated for the caller, as SHGetKnownFolderPath's path.
using ScopedTaskText = Owner<NullIsNoneTraits<wchar_t*, FreeTaskMemory>>;

// The DC of a window (or, for null, of the screen), released with its window.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC, and the one it replaced selected back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace corvane
