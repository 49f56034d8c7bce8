#include "probe_drag.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace {

// COM objects end through Release, never through a pointer to an interface,
// so the interfaces' non-virtual destructors are safe here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename... I>
class TUnknown : public I... {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }

private:
    ULONG FRefs = 1;
};

class TSource : public TUnknown<IDropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

class TTarget : public TUnknown<IDropTarget> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            auto drop = static_cast<HDROP>(medium.hGlobal);
            UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < n; ++i) {
                wchar_t path[MAX_PATH]{};
                DragQueryFileW(drop, i, path, MAX_PATH);
                Files.emplace_back(path);
            }
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        Dropped = true;
        return S_OK;
    }
    std::vector<std::wstring> Files;
    bool Dropped = false;
};
#pragma GCC diagnostic pop

HWND MakeWindow(const wchar_t* title, int x, int y) {
    return CreateWindowExW(WS_EX_TOPMOST, L"STATIC", title, WS_POPUP | WS_VISIBLE | WS_BORDER | SS_NOTIFY, x, y, 120,
                           80, nullptr, nullptr, nullptr, nullptr);
}

// Runs the window's messages until done or the time is up.
template <typename F>
bool Pump(int timeoutMs, F&& done) {
    DWORD start = GetTickCount();
    MSG m;
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

}  // namespace

int DragSource(const std::wstring& path, int x, int y, int timeoutMs) {
    OleInitialize(nullptr);
    IDataObject* data = nullptr;
    PIDLIST_ABSOLUTE absolute = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &absolute, 0, nullptr))) {
        IShellFolder* parent = nullptr;
        PCUITEMID_CHILD child = nullptr;
        if (SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
            parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
            parent->Release();
        }
        CoTaskMemFree(absolute);
    }
    if (!data) {
        std::printf("no data object\n");
        return 1;
    }
    HWND w = MakeWindow(L"probe drag source", x, y);
    std::printf("ready drag source\n");
    std::fflush(stdout);
    TSource source;
    DWORD effect = DROPEFFECT_NONE;
    // The drag starts once the press is this thread's own message: OLE
    // reads the button from the thread's key state.
    bool dragged = false;
    DWORD start = GetTickCount();
    MSG m;
    while (!dragged && static_cast<int>(GetTickCount() - start) < timeoutMs) {
        if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
        if (m.message == WM_LBUTTONDOWN && m.hwnd == w) {
            dragged = true;
            DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        }
    }
    bool ok = dragged;
    std::printf("effect %lu\n", effect);
    data->Release();
    DestroyWindow(w);
    OleUninitialize();
    return ok ? 0 : 1;
}

int DropTarget(int x, int y, int timeoutMs) {
    OleInitialize(nullptr);
    HWND w = MakeWindow(L"probe drop target", x, y);
    TTarget target;
    RegisterDragDrop(w, &target);
    std::printf("ready drop target\n");
    std::fflush(stdout);
    bool ok = Pump(timeoutMs, [&] { return target.Dropped; });
    if (!ok) std::printf("none\n");
    for (const std::wstring& f : target.Files) std::printf("%ls\n", f.c_str());
    RevokeDragDrop(w);
    DestroyWindow(w);
    OleUninitialize();
    return ok ? 0 : 1;
}

int LinkTarget(const std::wstring& shortcut) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    wchar_t target[MAX_PATH]{};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) link->GetPath(target, MAX_PATH, nullptr, 0);
            file->Release();
        }
        link->Release();
    }
    std::printf("%ls\n", target);
    CoUninitialize();
    return target[0] ? 0 : 1;
}
