#include "shadow/wnd_shadow.h"

#include <cstdint>
#include <limits>

#include "base/gdi_owners.h"
#include "base/window_frame.h"
#include "shadow/shadow_drawing.h"
#include "shadow/shadow_geometry.h"
#include "ui/display_scale.h"

namespace {

constexpr wchar_t kShadowClassName[] = L"Halyx.Shadow";

// On the target: its shadow window, and its window procedure from before
// the shadow. On the shadow window: the look.
constexpr char kShadowProperty[] = "Halyx.WndShadow";
constexpr char kProcProperty[] = "Halyx.WndShadow.Proc";
constexpr char kColorProperty[] = "Halyx.WndShadow.Color";
constexpr char kSizeProperty[] = "Halyx.WndShadow.Size";

// Layered: the picture's own alpha shows the window beneath. Transparent:
// hit-testing passes through it, so every click reaches what lies below.
// No-activate: it never becomes the active window.
constexpr DWORD kShadowExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;
// A popup, so it has no frame; disabled, so that a click that does land on
// it cannot activate it either (the no-activate style alone is not honoured
// everywhere). It is made without WS_VISIBLE: a window created visible is
// shown with activation, and the shadow would take the activation away from
// the window in front. Its first update shows it without activating it, and
// from then on it carries WS_POPUP | WS_VISIBLE | WS_DISABLED.
constexpr DWORD kShadowStyle = WS_POPUP | WS_DISABLED;

constexpr int kBytesPerPixel = 4;

HANDLE asProperty(intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

intptr_t propertyValue(HWND window, const char* name) {
    return reinterpret_cast<intptr_t>(GetPropA(window, name));
}

WNDPROC storedProc(HWND target) {
    return reinterpret_cast<WNDPROC>(propertyValue(target, kProcProperty));
}

// The shadow window named by the target's property, if it still is one the
// target owns (a handle of a window long gone may name another by now).
HWND liveShadowOf(HWND target) {
    HWND shadow = static_cast<HWND>(GetPropA(target, kShadowProperty));
    if (!shadow || !IsWindow(shadow) || GetWindow(shadow, GW_OWNER) != target) return nullptr;
    return shadow;
}

// Destroys the shadow window and puts the target's window procedure back.
// Where another procedure was installed over the shadow's (a mask's, say),
// putting the old one back would cut that one out: the shadow's stays in the
// chain then, with what it needs to pass every message on, and finds no
// shadow to move.
void removeShadow(HWND target) {
    if (HWND shadow = liveShadowOf(target)) {
        RemovePropA(shadow, kColorProperty);
        RemovePropA(shadow, kSizeProperty);
        DestroyWindow(shadow);
    }
    RemovePropA(target, kShadowProperty);
    const WNDPROC previous = storedProc(target);
    if (previous && GetWindowLongPtrW(target, GWLP_WNDPROC) ==
                        reinterpret_cast<LONG_PTR>(ShadowSubclassProc)) {
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(target, kProcProperty);
    }
}

// Subclassed with the wide functions, the target stays a Unicode window:
// its text never passes through the ANSI code page, so it reads back the
// same under every code page.
void subclass(HWND target) {
    if (storedProc(target)) return;
    SetPropA(target, kProcProperty, asProperty(GetWindowLongPtrW(target, GWLP_WNDPROC)));
    SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShadowSubclassProc));
}

}  // namespace

bool SetWndShadow(HWND target, std::optional<COLORREF> colour, std::optional<int> size) {
    if (!IsWindow(target)) return false;
    if (size && *size < 1) {
        removeShadow(target);
        return false;
    }
    HWND shadow = ShadowWindowOf(target);
    if (!shadow) return false;
    SetPropA(shadow, kColorProperty, asProperty(colour.value_or(kDefaultShadowColour)));
    SetPropA(shadow, kSizeProperty, asProperty(size.value_or(kDefaultShadowSize)));
    UpdateWndShadow(target, IsWindowVisible(target) != FALSE);
    subclass(target);
    return true;
}

HWND ShadowWindowOf(HWND target) {
    if (HWND shadow = liveShadowOf(target)) return shadow;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerWindowClass(instance, kShadowClassName, DefWindowProcW, nullptr)) return nullptr;
    // Owned by the target: it stays above it and is destroyed with it.
    HWND shadow = CreateWindowExW(kShadowExStyle, kShadowClassName, L"", kShadowStyle, 0, 0, 0, 0,
                                  target, nullptr, instance, nullptr);
    if (!shadow) return nullptr;
    SetPropA(target, kShadowProperty, shadow);
    return shadow;
}

void UpdateWndShadow(HWND target, std::optional<bool> visible) {
    HWND shadow = liveShadowOf(target);
    if (!shadow) return;
    const bool shown = visible.value_or(IsWindowVisible(target) != FALSE);
    if (!shown || IsZoomed(target) || IsIconic(target)) {
        ShowWindow(shadow, SW_HIDE);
        return;
    }
    const bool hidden = !IsWindowVisible(shadow);
    RECT rect;
    // An empty target leaves the shadow where it is.
    if (GetWindowRect(target, &rect) && rect.right != rect.left && rect.bottom != rect.top) {
        // The size is in 96-dpi units; the ring is as wide as it is at the
        // target's scale.
        const int ringWidth = static_cast<int>(propertyValue(shadow, kSizeProperty));
        const ShadowBox box = shadowBoxAround(rect, toPixels(ringWidth, windowDpi(target)));
        SetWindowPos(shadow, nullptr, box.left, box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RenderWndShadow(target, box.width, box.height);
    }
    // Shown once it has its picture, a hidden shadow reaches the screen
    // whole, in one step.
    if (hidden) ShowWindow(shadow, SW_SHOWNA);
}

LRESULT CALLBACK ShadowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = storedProc(window);
    const LRESULT result = previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                                    : DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window's last message: it takes its shadow with it (an owned
        // window), and the properties must not outlive it.
        RemovePropA(window, kShadowProperty);
        RemovePropA(window, kProcProperty);
        return result;
    }
    // The window's own answer stands even if the shadow's work threw.
    guarded([&] {
        switch (message) {
        case WM_MOVE:
        case WM_SIZE:
            // Minimising or maximising ends in a WM_SIZE that finds the target
            // iconic or zoomed, and hides the shadow; restoring shows it again.
            UpdateWndShadow(window);
            break;
        case WM_SHOWWINDOW:
            // The show or hide is still under way: follow what it will be.
            UpdateWndShadow(window, wParam != FALSE);
            break;
        default:
            break;
        }
    });
    return result;
}

void RenderWndShadow(HWND target, int width, int height) {
    HWND shadow = liveShadowOf(target);
    if (!shadow) return;
    if (width == 0 || height == 0) {
        RECT rect;
        if (!GetWindowRect(shadow, &rect)) return;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    if (width <= 0 || height <= 0) return;
    // Beyond what a bitmap header can state, nothing is drawn.
    const int64_t imageSize = int64_t{width} * height * kBytesPerPixel;
    if (imageSize > std::numeric_limits<LONG>::max()) return;

    // The screen's DC, which UpdateLayeredWindow takes for the destination.
    const WindowDc screen = windowDc(nullptr);
    const MemoryDc memory(screen.get());
    if (!screen || !memory) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);
    // A new section is all zero: fully transparent.
    void* pixels = nullptr;
    const GdiBitmap section(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!section || !pixels) return;
    const SelectedObject selected(memory.get(), section.get());
    DrawWndShadow(shadow, bottomUpPixels(pixels, width, height));
    SIZE size{width, height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(shadow, screen.get(), nullptr, &size, memory.get(), &origin, 0, &blend,
                        ULW_ALPHA);
}

void DrawWndShadow(HWND shadow, const ShadowPixels& pixels) {
    const auto colour = static_cast<COLORREF>(propertyValue(shadow, kColorProperty));
    const auto ringWidth = static_cast<int>(propertyValue(shadow, kSizeProperty));
    drawShadowPicture(pixels, colour, ringWidth, windowDpi(GetWindow(shadow, GW_OWNER)));
}
