// Owners for Win32 handles and COM interfaces. Every owner is move-only:
// a copyable owner would release the same handle twice.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace ui {

template <typename T, typename Traits>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(T h) noexcept : FHandle(h) {}
    ~TUniqueHandle() { Reset(); }

    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    T Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return Traits::IsValid(FHandle); }

    T Release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
    void Reset(T h = Traits::Invalid()) noexcept {
        T old = std::exchange(FHandle, h);
        if (old != h && Traits::IsValid(old)) Traits::Close(old);
    }
    // For out-parameters of API calls; drops what was held first.
    T* Put() noexcept {
        Reset();
        return &FHandle;
    }

private:
    T FHandle = Traits::Invalid();
};

struct TKernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

struct TFindHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::FindClose(h); }
};

template <typename T, BOOL(WINAPI* Free)(T)>
struct TSimpleTraits {
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { Free(h); }
};

struct TGdiTraits {
    static HGDIOBJ Invalid() noexcept { return nullptr; }
    static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
    static void Close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};

template <typename T>
struct TGdiObjectTraits {
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { ::DeleteObject(h); }
};

using THandleOwner = TUniqueHandle<HANDLE, TKernelHandleTraits>;
using TFindHandleOwner = TUniqueHandle<HANDLE, TFindHandleTraits>;
using TIconOwner = TUniqueHandle<HICON, TSimpleTraits<HICON, ::DestroyIcon>>;
using TMenuOwner = TUniqueHandle<HMENU, TSimpleTraits<HMENU, ::DestroyMenu>>;
using TWindowOwner = TUniqueHandle<HWND, TSimpleTraits<HWND, ::DestroyWindow>>;
using TImageListOwner = TUniqueHandle<HIMAGELIST, TSimpleTraits<HIMAGELIST, ::ImageList_Destroy>>;
using TFontOwner = TUniqueHandle<HFONT, TGdiObjectTraits<HFONT>>;
using TBitmapOwner = TUniqueHandle<HBITMAP, TGdiObjectTraits<HBITMAP>>;
using TBrushOwner = TUniqueHandle<HBRUSH, TGdiObjectTraits<HBRUSH>>;
using TModuleOwner = TUniqueHandle<HMODULE, TSimpleTraits<HMODULE, ::FreeLibrary>>;

// A memory device context with its own bitmap, selected for its lifetime.
class TMemoryDC {
public:
    TMemoryDC(HDC target, int width, int height);
    ~TMemoryDC();
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;

    HDC Get() const noexcept { return FDC; }

private:
    HDC FDC = nullptr;
    TBitmapOwner FBitmap;
    HGDIOBJ FOldBitmap = nullptr;
};

// A COM interface pointer that releases what it holds.
template <typename I>
class TComPtr {
public:
    TComPtr() noexcept = default;
    ~TComPtr() { Reset(); }
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            FPtr = std::exchange(other.FPtr, nullptr);
        }
        return *this;
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    // Takes over a reference the caller already holds.
    static TComPtr Attach(I* p) noexcept {
        TComPtr r;
        r.FPtr = p;
        return r;
    }
    // Adds a reference of its own.
    static TComPtr Share(I* p) noexcept {
        if (p) p->AddRef();
        return Attach(p);
    }

    I* Get() const noexcept { return FPtr; }
    I* operator->() const noexcept { return FPtr; }
    explicit operator bool() const noexcept { return FPtr != nullptr; }
    // For out-parameters of API calls; drops what was held first.
    I** Put() noexcept {
        Reset();
        return &FPtr;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    void Reset() noexcept {
        if (I* p = std::exchange(FPtr, nullptr)) p->Release();
    }
    I* Detach() noexcept { return std::exchange(FPtr, nullptr); }

private:
    I* FPtr = nullptr;
};

// Registers a window class of this program unless it exists already.
void EnsureWindowClass(const wchar_t* className, WNDPROC proc, UINT style = 0, HCURSOR cursor = nullptr,
                       HICON icon = nullptr);

// A hidden message-only window of its own class, for timers, thread calls
// and shell reports. The class is registered on first use.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc);

}  // namespace ui
