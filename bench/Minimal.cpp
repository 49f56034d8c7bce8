// The yardstick for start-up: a program that creates one window and waits.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"MinimalWindow";
    RegisterClassExW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
