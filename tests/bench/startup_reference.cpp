// The benchmarks' reference for start-up: what the platform costs for the
// first frame the program must show, done the plainest way. It starts GDI+,
// decodes the program's background picture (the same JPEG, embedded the same
// way, startup_reference.rc) from a stream, makes the 770 x 445 popup with 53
// plain child windows (as many windows as the program has on its surface: 29
// controls and four parts to each of the six sliders) and a layered window of
// the drop shadow's size, which it fills once with a per-pixel-alpha ring
// before the popup shows. The popup paints the picture, so the benchmark's
// screen probe waits for the same colour at the same point as for the
// program; the children show over it right after, in the program's order
// (shown with the window, they would cost Wine some 35 ms more before the
// picture reaches the screen).
//
//     startup_reference.exe
//
// It runs a message loop until its window is closed (Esc or WM_CLOSE).
#include "base/gdiplus_api.h"

#include <cstring>

namespace {

constexpr int kBackgroundResource = 1;
constexpr int kWidth = 770;
constexpr int kHeight = 445;
constexpr int kChildren = 53;
// The children stand in rows on the left, clear of the point the probe
// watches.
constexpr int kChildSize = 24;
constexpr int kChildPitch = 32;
constexpr int kChildrenPerRow = 10;
// The shadow: the window rectangle grown by its ring width on every side,
// the rings black and darker towards the window, as the program's default.
constexpr int kRingWidth = 5;
constexpr int kRingAlphaStep = 100 / kRingWidth;

struct Background {
    HDC dc = nullptr;
    int width = 0;
    int height = 0;
};

Background background;

// The picture in a memory DC, decoded by GDI+ from a stream over a movable
// copy of the embedded bytes; an empty Background if anything fails.
Background decodeBackground(HINSTANCE instance) {
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(kBackgroundResource), RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    if (!bytes || size == 0) return {};
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* copy = memory ? GlobalLock(memory) : nullptr;
    if (!copy) return {};
    std::memcpy(copy, bytes, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return {};
    }
    Gdiplus::GpBitmap* image = nullptr;
    HBITMAP bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok) {
        Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, 0);
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    stream->Release();
    if (!bitmap) return {};
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    Background decoded{CreateCompatibleDC(nullptr), info.bmWidth, info.bmHeight};
    SelectObject(decoded.dc, bitmap);  // kept selected until the process ends
    return decoded;
}

// Fills the layered window once, at the place and size given, and shows it
// without activating it.
bool showShadow(HWND shadow, const RECT& target) {
    const int width = target.right - target.left + 2 * kRingWidth;
    const int height = target.bottom - target.top + 2 * kRingWidth;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool shown = false;
    if (section && bits) {
        // Premultiplied black: only the alpha byte is set, ring by ring from
        // the faintest at the edge; the middle stays fully transparent.
        auto* pixels = static_cast<DWORD*>(bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int edge = x < y ? x : y;
                if (width - 1 - x < edge) edge = width - 1 - x;
                if (height - 1 - y < edge) edge = height - 1 - y;
                if (edge < kRingWidth)
                    pixels[y * width + x] = static_cast<DWORD>(kRingAlphaStep * (edge + 1)) << 24;
            }
        HGDIOBJ old = SelectObject(memory, section);
        POINT place{target.left - kRingWidth, target.top - kRingWidth};
        SIZE extent{width, height};
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        shown = UpdateLayeredWindow(shadow, screen, &place, &extent, memory, &origin, 0, &blend,
                                    ULW_ALPHA) != FALSE;
        SelectObject(memory, old);
        if (shown) ShowWindow(shadow, SW_SHOWNA);
    }
    if (section) DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shown;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the picture covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        BitBlt(dc, 0, 0, background.width, background.height, background.dc, 0, 0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    background = decodeBackground(instance);
    if (!background.dc) return 1;

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"StartupReference";
    if (!RegisterClassExW(&windowClass)) return 1;
    WNDCLASSEXW childClass = windowClass;
    childClass.lpfnWndProc = DefWindowProcW;
    childClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    childClass.lpszClassName = L"StartupReferenceChild";
    if (!RegisterClassExW(&childClass)) return 1;
    WNDCLASSEXW shadowClass = windowClass;
    shadowClass.lpfnWndProc = DefWindowProcW;
    shadowClass.lpszClassName = L"StartupReferenceShadow";
    if (!RegisterClassExW(&shadowClass)) return 1;

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, windowClass.lpszClassName,
                                  L"start-up reference", WS_POPUP | WS_CLIPCHILDREN, left, top,
                                  kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    for (int i = 0; i < kChildren; ++i)
        CreateWindowExW(0, childClass.lpszClassName, L"", WS_CHILD,
                        (i % kChildrenPerRow) * kChildPitch, (i / kChildrenPerRow) * kChildPitch,
                        kChildSize, kChildSize, window, nullptr, instance, nullptr);
    // Owned by the popup, so it stays above it; layered, click-through and
    // never active, like the program's shadow.
    HWND shadow = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE,
                                  shadowClass.lpszClassName, L"", WS_POPUP | WS_DISABLED, 0, 0, 0,
                                  0, window, nullptr, instance, nullptr);
    RECT rect;
    if (!shadow || !GetWindowRect(window, &rect) || !showShadow(shadow, rect)) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ShowWindow(child, SW_SHOWNA);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Gdiplus::GdiplusShutdown(token);
    return static_cast<int>(message.wParam);
}
