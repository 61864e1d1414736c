// Registration of the window classes of the form and its controls.
#pragma once

#include <windows.h>

// Registers a class with the given procedure and cursor (null: the window
// sets its own) and no background brush, since every window of the form
// paints all of its own pixels. True also when the class already exists.
bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HCURSOR cursor);

// The per-window record of a control kind: its creator hands it to
// CreateWindowExW as the last argument, and the window owns it from
// WM_NCCREATE, kept in GWLP_USERDATA, until WM_NCDESTROY. Null before and
// after, and for a window created without one.
template <typename State>
State* windowState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The window procedure of a control kind with such a record: it takes the
// record over at WM_NCCREATE, gives every message with the record to the
// kind's own handler, and clears and deletes the record at WM_NCDESTROY, the
// last message, which the handler does not see. No exception leaves it: an
// exception cannot unwind through the system's frames, so a message whose
// handler threw gets the default handling instead.
template <typename State, LRESULT (*handle)(HWND, State*, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK controlWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    } else if (message == WM_NCDESTROY) {
        State* state = windowState<State>(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete state;
        return 0;
    }
    try {
        return handle(window, windowState<State>(window), message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
