#include "ui/Application.h"

#include "ui/MessageParams.h"

#include <commctrl.h>

#include "ui/Dialogs.h"
#include "core/Exceptions.h"
#include "ui/Form.h"
#include "ui/Profile.h"
#include "ui/Thread.h"
#include "ui/WindowProc.h"

namespace ui {

TApplication* Application = nullptr;

TApplication::TApplication() { Application = this; }

TApplication::~TApplication() {
    // Newest form first: later forms may refer to earlier ones.
    while (!FForms.empty()) FForms.pop_back();
    FMainForm = nullptr;
    DoneSynchronize();
    FHandle.Reset();
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    InitSynchronize();
    if (FHandle) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TargetWindowProc;  // no target: the default answers
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = L"TApplication";
    RegisterClassExW(&wc);
    // Never shown: it only owns the forms, which keeps them off the taskbar.
    FHandle.Reset(CreateWindowExW(0, L"TApplication", FTitle.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                  0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
}

void TApplication::SetTitle(const std::wstring& title) {
    FTitle = title;
    if (FHandle) SetWindowTextW(FHandle.Get(), FTitle.c_str());
}

HWND TApplication::ActiveOwner() const {
    HWND active = GetActiveWindow();
    if (active && TWinControl::FromHandle(active)) return active;
    return FHandle.Get();
}

void TApplication::AddForm(std::unique_ptr<TForm> form) {
    TForm* raw = form.get();
    FForms.push_back(std::move(form));
    if (!FMainForm) FMainForm = raw;
    raw->DoCreate();
}

void TApplication::Run() {
    if (ShowMainForm && FMainForm) {
        try {
            FMainForm->Show();
        } catch (...) {
            HandleException();
        }
    }
    while (!FTerminated) HandleMessage();
}

bool TApplication::PreviewKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR)
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || root == msg.hwnd) return false;  // the form's own keys reach it directly
    auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
    if (!form) return false;
    try {
        WORD key = static_cast<WORD>(msg.wParam);
        if (form->KeyPreview) {
            if (msg.message == WM_CHAR) {
                auto ch = static_cast<wchar_t>(msg.wParam);
                form->DoKeyPress(ch);
                return ch == 0;
            }
            form->DoKeyDown(key, KeyboardShiftState());
            if (key == 0) return true;
        }
        // Then the form answers Enter and Esc with its default and cancel
        // buttons, and moves the focus on the keys of a dialog.
        if (msg.message != WM_KEYDOWN) return false;
        return form->DialogKey(key) || form->NavigationKey(msg.hwnd, key);
    } catch (...) {
        HandleException();
        return true;
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    if (!PreviewKey(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (ProcessMessage(msg)) return;
    // The first idle ends the start-up; later ones give what a call-up or
    // a refresh cost.
    WriteProfileIfAsked();
    WaitMessage();
}

void TApplication::Terminate() {
    // The flag ends the loops even when a nested loop (a popup menu's, say)
    // swallows WM_QUIT; the message only wakes a loop that is waiting.
    if (!FTerminated) {
        FTerminated = true;
        EndMenu();  // an open popup menu would go on waiting for the user
        PostQuitMessage(0);
    }
}

namespace {
struct TModalSearch {
    DWORD Thread;
    HWND Except[2];
    HWND Found;
};

BOOL CALLBACK FindModal(HWND wnd, LPARAM param) {
    auto* search = ParamAs<TModalSearch*>(param);
    if (GetWindowThreadProcessId(wnd, nullptr) != search->Thread) return TRUE;
    if (wnd == search->Except[0] || wnd == search->Except[1]) return TRUE;
    if (!IsWindowVisible(wnd) || !IsWindowEnabled(wnd)) return TRUE;
    // Tool tips and other tool windows are no dialogs.
    if (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return TRUE;
    search->Found = wnd;
    return FALSE;  // the windows come topmost first
}
}  // namespace

HWND TApplication::ModalWindow(HWND except) const {
    if (FModalLevel <= 0) return nullptr;
    TModalSearch search{GetCurrentThreadId(), {except, FHandle.Get()}, nullptr};
    EnumWindows(FindModal, AsParam(&search));
    return search.Found;
}

bool TApplication::BringModalToFront(HWND except) const {
    if (FModalLevel <= 0) return false;
    if (HWND modal = ModalWindow(except)) {
        // Still reported in front, it may have lost the keyboard to another
        // program's window without being told (under some systems a click
        // on the taskbar does that): it is brought in front anew.
        if (GetForegroundWindow() == modal) SetForegroundWindow(GetDesktopWindow());
        SetForegroundWindow(modal);
        BringWindowToTop(modal);
    }
    return true;
}

TModalScope::TModalScope() noexcept : FApplication(Application) {
    if (FApplication) ++FApplication->FModalLevel;
}

TModalScope::~TModalScope() {
    if (FApplication && Application == FApplication) --FApplication->FModalLevel;
}

void TApplication::HandleException() noexcept {
    try {
        const std::wstring message = CurrentExceptionMessage();
        if (OnException)
            OnException(message);
        else
            ShowMessageBox(ActiveOwner(), message, FTitle, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing sensible is left to report to.
    }
}

}  // namespace ui
