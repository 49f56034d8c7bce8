// Owners for Win32 handles and COM interfaces. Every owner is move-only:
// a copyable owner would release the same handle twice.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <objidl.h>

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
using TDCOwner = TUniqueHandle<HDC, TSimpleTraits<HDC, ::DeleteDC>>;
using THookOwner = TUniqueHandle<HHOOK, TSimpleTraits<HHOOK, ::UnhookWindowsHookEx>>;

// A window's device context from GetDC, released with the object.
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd) noexcept : FWnd(wnd), FDC(::GetDC(wnd)) {}
    ~TWindowDC() {
        if (FDC) ::ReleaseDC(FWnd, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC Get() const noexcept { return FDC; }
    explicit operator bool() const noexcept { return FDC != nullptr; }

private:
    HWND FWnd;
    HDC FDC;
};

// An object selected into a device context for the length of a scope; the
// one it replaced is selected again at the end.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) noexcept : FDC(dc), FOld(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~TSelectObject() {
        if (FOld && FOld != HGDI_ERROR) ::SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Global memory the object allocated, freed unless handed over (to the
// clipboard, say) with Release.
struct TGlobalTraits {
    static HGLOBAL Invalid() noexcept { return nullptr; }
    static bool IsValid(HGLOBAL h) noexcept { return h != nullptr; }
    static void Close(HGLOBAL h) noexcept { ::GlobalFree(h); }
};
using TGlobalOwner = TUniqueHandle<HGLOBAL, TGlobalTraits>;

// Global memory locked for the length of a scope.
template <typename T>
class TGlobalLock {
public:
    explicit TGlobalLock(HGLOBAL memory) noexcept
        : FMemory(memory), FData(memory ? static_cast<T*>(::GlobalLock(memory)) : nullptr) {}
    ~TGlobalLock() {
        if (FData) ::GlobalUnlock(FMemory);
    }
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;

    T* Get() const noexcept { return FData; }
    explicit operator bool() const noexcept { return FData != nullptr; }
    SIZE_T Bytes() const noexcept { return FData ? ::GlobalSize(FMemory) : 0; }

private:
    HGLOBAL FMemory;
    T* FData;
};

// The clipboard, open for the length of a scope when IsOpen. Another
// program may hold it for a moment, so opening is tried a few times.
class TClipboardScope {
public:
    explicit TClipboardScope(HWND owner = nullptr) noexcept {
        for (int attempt = 0; attempt < kAttempts && !FOpen; ++attempt) {
            if (attempt > 0) ::Sleep(kPauseMs);
            FOpen = ::OpenClipboard(owner) != FALSE;
        }
    }
    ~TClipboardScope() {
        if (FOpen) ::CloseClipboard();
    }
    TClipboardScope(const TClipboardScope&) = delete;
    TClipboardScope& operator=(const TClipboardScope&) = delete;

    bool IsOpen() const noexcept { return FOpen; }

private:
    static constexpr int kAttempts = 10;
    static constexpr DWORD kPauseMs = 10;
    bool FOpen = false;
};

// A storage medium an object handed out, released with the owner.
class TStgMediumOwner {
public:
    TStgMediumOwner() noexcept = default;
    ~TStgMediumOwner() { Reset(); }
    TStgMediumOwner(const TStgMediumOwner&) = delete;
    TStgMediumOwner& operator=(const TStgMediumOwner&) = delete;

    const STGMEDIUM& Get() const noexcept { return FMedium; }
    // For IDataObject::GetData; drops what was held first.
    STGMEDIUM* Put() noexcept {
        Reset();
        return &FMedium;
    }
    void Reset() noexcept {
        if (FMedium.tymed != TYMED_NULL) ::ReleaseStgMedium(&FMedium);
        FMedium = STGMEDIUM{};
    }

private:
    STGMEDIUM FMedium{};
};

// Memory from the COM task allocator (CoTaskMemAlloc), freed with the owner.
template <typename T>
class TCoTaskMemOwner {
public:
    TCoTaskMemOwner() noexcept = default;
    explicit TCoTaskMemOwner(T* p) noexcept : FPtr(p) {}
    ~TCoTaskMemOwner() { ::CoTaskMemFree(FPtr); }
    TCoTaskMemOwner(TCoTaskMemOwner&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TCoTaskMemOwner& operator=(TCoTaskMemOwner&& other) noexcept {
        if (this != &other) {
            ::CoTaskMemFree(FPtr);
            FPtr = std::exchange(other.FPtr, nullptr);
        }
        return *this;
    }
    TCoTaskMemOwner(const TCoTaskMemOwner&) = delete;
    TCoTaskMemOwner& operator=(const TCoTaskMemOwner&) = delete;

    T* Get() const noexcept { return FPtr; }
    explicit operator bool() const noexcept { return FPtr != nullptr; }
    T** Put() noexcept {
        ::CoTaskMemFree(std::exchange(FPtr, nullptr));
        return &FPtr;
    }

private:
    T* FPtr = nullptr;
};

// A memory device context with its own bitmap, selected for its lifetime.
class TMemoryDC {
public:
    TMemoryDC(HDC target, int width, int height);
    ~TMemoryDC();
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;

    HDC Get() const noexcept { return FDC.Get(); }

private:
    TDCOwner FDC;
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

// COM for the calling thread for the length of a scope, undone only when
// it was done: OLE (the clipboard, drag and drop) on the user-interface
// thread, a single-threaded apartment on a worker that asks shell objects.
class TComScope {
public:
    enum TKind { ckOle, ckApartment };
    explicit TComScope(TKind kind) noexcept
        : FKind(kind),
          FInitialized(SUCCEEDED(kind == ckOle ? ::OleInitialize(nullptr)
                                               : ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~TComScope() {
        if (!FInitialized) return;
        if (FKind == ckOle)
            ::OleUninitialize();
        else
            ::CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

    bool Initialized() const noexcept { return FInitialized; }

private:
    TKind FKind;
    bool FInitialized;
};

// Registers a window class of this program unless it exists already.
void EnsureWindowClass(const wchar_t* className, WNDPROC proc, UINT style = 0, HCURSOR cursor = nullptr,
                       HICON icon = nullptr);


}  // namespace ui
