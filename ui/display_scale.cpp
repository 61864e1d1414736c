#include "ui/display_scale.h"

#include "base/gdi_owners.h"

namespace {

// On a top-level window: the dpi its last scale change named.
constexpr wchar_t kToldDpiProperty[] = L"heyu.Dpi";

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up once: Windows before 10 1607, XP among them, has no such
// function, and the program must load there.
GetDpiForWindowFunction dpiForWindowFunction() {
    static const GetDpiForWindowFunction function = [] {
        HMODULE user32 = GetModuleHandleW(L"user32");
        const FARPROC address = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(address));
    }();
    return function;
}

using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

GetSystemMetricsForDpiFunction metricsForDpiFunction() {
    static const GetSystemMetricsForDpiFunction function = [] {
        HMODULE user32 = GetModuleHandleW(L"user32");
        const FARPROC address =
            user32 ? GetProcAddress(user32, "GetSystemMetricsForDpi") : nullptr;
        return reinterpret_cast<GetSystemMetricsForDpiFunction>(
            reinterpret_cast<void (*)()>(address));
    }();
    return function;
}

int screenDpi() {
    const WindowDc screen = windowDc(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int windowDpi(HWND window) {
    if (window) {
        const auto told = reinterpret_cast<INT_PTR>(GetPropW(GetAncestor(window, GA_ROOT),
                                                             kToldDpiProperty));
        if (told > 0) return static_cast<int>(told);
    }
    const GetDpiForWindowFunction dpiForWindow = dpiForWindowFunction();
    if (window && dpiForWindow) {
        const UINT dpi = dpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return screenDpi();
}

int systemMetricForDpi(int index, int dpi) {
    const GetSystemMetricsForDpiFunction metricForDpi = metricsForDpiFunction();
    if (metricForDpi && dpi > 0) {
        const int value = metricForDpi(index, static_cast<UINT>(dpi));
        if (value > 0) return value;
    }
    return GetSystemMetrics(index);
}

void recordWindowDpi(HWND window, int dpi) {
    if (dpi > 0) SetPropW(window, kToldDpiProperty, reinterpret_cast<HANDLE>(INT_PTR{dpi}));
}

void forgetWindowDpi(HWND window) {
    RemovePropW(window, kToldDpiProperty);
}

int toPixels(int length, int dpi) {
    return MulDiv(length, dpi, kDesignDpi);
}

int toDesignUnits(int pixels, int dpi) {
    return dpi > 0 ? MulDiv(pixels, kDesignDpi, dpi) : pixels;
}

RECT pixelRect(int left, int top, int width, int height, int dpi) {
    return RECT{toPixels(left, dpi), toPixels(top, dpi), toPixels(left + width, dpi),
                toPixels(top + height, dpi)};
}
