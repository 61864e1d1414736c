// One of the benchmarks' reference programs: one 770 x 445 popup window,
// centred, filled with one colour, and a message loop. It is started and
// measured exactly like heyu.exe, so that on a shared machine the program's
// start-up and memory can be seen beside what the platform costs for a bare
// window (start-up is judged against startup_reference.cpp, which shows
// what the program's first frame must show).
//
//     trivial_window.exe [N]
//
// With N it also carries N plain visible child windows (at most
// kMaxChildren), made before the window is shown, as the program makes its
// controls: the platform's cost of the windows themselves, apart from
// whatever the program does to make and draw them.
#include <windows.h>

#include <cwchar>

namespace {

// The colour the benchmark's screen probe waits for (RGB 6ab49b, the same
// as the program's background point).
constexpr COLORREF kFill = RGB(0x6A, 0xB4, 0x9B);
constexpr int kWidth = 770;
constexpr int kHeight = 445;
constexpr int kMaxChildren = 100;
// The children stand in rows on the left, clear of the point the probe
// watches; each is filled with the window's colour.
constexpr int kChildSize = 24;
constexpr int kChildPitch = 32;
constexpr int kChildrenPerRow = 10;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    HBRUSH fill = CreateSolidBrush(kFill);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = fill;
    windowClass.lpszClassName = L"TrivialWindow";
    if (!RegisterClassExW(&windowClass)) return 1;
    WNDCLASSEXW childClass = windowClass;
    childClass.lpfnWndProc = DefWindowProcW;
    childClass.lpszClassName = L"TrivialChild";
    if (!RegisterClassExW(&childClass)) return 1;
    const long requested = std::wcstol(commandLine, nullptr, 10);
    const int children = requested < 0 ? 0 : requested > kMaxChildren ? kMaxChildren
                                                                        : static_cast<int>(requested);

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"trivial window",
                                  WS_POPUP | WS_CLIPCHILDREN, left, top, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    for (int i = 0; i < children; ++i)
        CreateWindowExW(0, childClass.lpszClassName, L"", WS_CHILD | WS_VISIBLE,
                        (i % kChildrenPerRow) * kChildPitch, (i / kChildrenPerRow) * kChildPitch,
                        kChildSize, kChildSize, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(fill);
    return static_cast<int>(message.wParam);
}
