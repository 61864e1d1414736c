#include "ui/focus_cue.h"

#include "base/gdi_owners.h"
#include "ui/display_scale.h"

namespace {

constexpr COLORREF kCueColour = RGB(255, 255, 255);
// On the top-level window while its focus shows. The platform keeps this
// state itself on Windows (WM_QUERYUISTATE), but Wine keeps none and answers
// "shown" whatever happened, so the window keeps its own and follows the
// platform's changes of it. Without it (at the start, as the platform
// starts a window that the mouse opened) the focus is hidden.
constexpr char kFocusShownProperty[] = "heyu.focusShown";

HWND windowOf(HWND control) {
    return GetAncestor(control, GA_ROOT);
}

// The user's setting "always show keyboard cues" (Wine's default): then the
// focus always shows.
bool cuesAlwaysShown() {
    BOOL always = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always;
}

bool focusHidden(HWND control) {
    return !cuesAlwaysShown() && !GetPropA(windowOf(control), kFocusShownProperty);
}

void setFocusHidden(HWND control, bool hidden) {
    const HWND window = windowOf(control);
    if ((GetPropA(window, kFocusShownProperty) == nullptr) == hidden) return;
    if (hidden)
        RemovePropA(window, kFocusShownProperty);
    else
        SetPropA(window, kFocusShownProperty, reinterpret_cast<HANDLE>(1));
    // Only the control with the focus looks different.
    const HWND focus = GetFocus();
    if (focus && windowOf(focus) == window)
        RedrawWindow(focus, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// One edge of dots, from (x, y) along the axis for length pixels.
void dottedEdge(HDC dc, HBRUSH brush, int x, int y, int length, bool across, int dot) {
    for (int at = 0; at < length; at += 2 * dot) {
        const int piece = at + dot <= length ? dot : length - at;
        const RECT square = across ? RECT{x + at, y, x + at + piece, y + dot}
                                   : RECT{x, y + at, x + dot, y + at + piece};
        FillRect(dc, &square, brush);
    }
}

}  // namespace

bool focusCueShown(HWND control) {
    return GetFocus() == control && !focusHidden(control);
}

void drawFocusCue(HDC dc, const RECT& rect, int dpi) {
    const int dot = toPixels(1, dpi) > 0 ? toPixels(1, dpi) : 1;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width < 2 * dot || height < 2 * dot) return;
    const GdiBrush brush(CreateSolidBrush(kCueColour));
    dottedEdge(dc, brush.get(), rect.left, rect.top, width, true, dot);
    dottedEdge(dc, brush.get(), rect.left, rect.bottom - dot, width, true, dot);
    dottedEdge(dc, brush.get(), rect.left, rect.top + dot, height - 2 * dot, false, dot);
    dottedEdge(dc, brush.get(), rect.right - dot, rect.top + dot, height - 2 * dot, false, dot);
}

void revealFocus(HWND control) {
    setFocusHidden(control, false);
}

void concealFocus(HWND control) {
    setFocusHidden(control, true);
}

void forgetFocusState(HWND window) {
    RemovePropA(window, kFocusShownProperty);
}

bool focusCueMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_SETFOCUS && message != WM_KILLFOCUS && message != WM_UPDATEUISTATE)
        return false;
    result = DefWindowProcW(control, message, wParam, lParam);
    // The platform's own change of the state (Alt pressed, a dialog's keys
    // on Windows) holds for the window's state too.
    if (message == WM_UPDATEUISTATE && (HIWORD(wParam) & UISF_HIDEFOCUS)) {
        if (LOWORD(wParam) == UIS_SET) concealFocus(control);
        if (LOWORD(wParam) == UIS_CLEAR) revealFocus(control);
    }
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return true;
}
