#include "ui/main_window.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.MainWindow";

HWND gMainWindow = nullptr;

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        gMainWindow = nullptr;
        // The main window is the program's only window: with it gone the
        // message loop ends with exit code 0.
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool registerClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 ||
           GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND LoadMainWindow(HINSTANCE instance, WindowEventHandler onCreated) {
    if (!registerClass(instance)) return nullptr;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
    // A popup has no frame or caption; the minimise box lets the taskbar
    // button minimise it, and the app-window style gives it that button.
    gMainWindow = CreateWindowExW(WS_EX_APPWINDOW, kClassName, kMainWindowText,
                                  WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top,
                                  kMainWindowWidth, kMainWindowHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (!gMainWindow) return nullptr;
    HWND window = gMainWindow;
    if (onCreated) onCreated();
    if (IsWindow(window)) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND mainWindowHandle() {
    return gMainWindow;
}
