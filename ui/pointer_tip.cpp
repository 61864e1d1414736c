#include "ui/pointer_tip.h"

#include "base/gdi_owners.h"
#include "base/window_frame.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.PointerTip";
constexpr UINT_PTR kHideTimer = 1;
constexpr int kPaddingX = 4;
constexpr int kPaddingY = 2;

struct PointerTip {
    HWND window = nullptr;
    std::wstring text;
    GdiFont font;
};

PointerTip& tip() {
    static PointerTip state;
    return state;
}

// The system's status font, which its tooltips use; the default GUI font
// where the system tells none.
HFONT tipFont(PointerTip& t) {
    if (!t.font) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            t.font = GdiFont(CreateFontIndirectW(&metrics.lfStatusFont));
    }
    return t.font ? t.font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void paintTip(HWND window) {
    PointerTip& t = tip();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_INFOBK));
    {
        SelectedObject font(dc, tipFont(t));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawTextW(dc, t.text.c_str(), static_cast<int>(t.text.size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(window, &paint);
}

LRESULT handleTip(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintTip(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kHideTimer) {
            KillTimer(window, kHideTimer);
            ShowWindow(window, SW_HIDE);
            return 0;
        }
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // the pointer's clicks go to what lies beneath
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND tipWindow(PointerTip& t) {
    if (t.window && IsWindow(t.window)) return t.window;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, kClassName, guardedWindowProc<handleTip>,
                        LoadCursorW(nullptr, IDC_ARROW));
    // A topmost tool window that never takes the activation: no taskbar
    // button, and the main window keeps the keyboard.
    t.window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName,
                               L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
    return t.window;
}

}  // namespace

void showPointerTip(const std::wstring& text, POINT screen) {
    PointerTip& t = tip();
    const HWND window = tipWindow(t);
    if (!window) return;
    t.text = text;
    SetWindowTextW(window, text.c_str());  // what a screen reader reads of it
    RECT size{0, 0, 0, 0};
    HDC dc = GetDC(window);
    {
        SelectedObject font(dc, tipFont(t));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &size,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
    ReleaseDC(window, dc);
    const int width = size.right + 2 * kPaddingX + 2 * GetSystemMetrics(SM_CXBORDER);
    const int height = size.bottom + 2 * kPaddingY + 2 * GetSystemMetrics(SM_CYBORDER);
    // Below the pointer's arrow, as the system places a tooltip.
    const int below = GetSystemMetrics(SM_CYCURSOR) * 2 / 3;
    SetWindowPos(window, HWND_TOPMOST, screen.x, screen.y + below, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window, nullptr, FALSE);
    SetTimer(window, kHideTimer, kPointerTipShownMs, nullptr);
}

HWND pointerTipWindow() {
    const PointerTip& t = tip();
    return t.window && IsWindowVisible(t.window) ? t.window : nullptr;
}
