// Window classes, and the one frame that every window procedure of the
// program runs in.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

// Registers a class with the given procedure and cursor (null: the window
// sets its own) and no background brush, for windows that paint all of
// their own pixels. True also when the class already exists.
bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HCURSOR cursor);

// Runs the program's own part of one message's handling and tells whether
// it ended normally. No exception leaves it: the MinGW-w64 toolchain unwinds
// with tables that cannot cross the system's frames, so an exception that
// reached user32 would end the process. A message whose work threw is
// answered as if the program had no part in it (by the default procedure,
// or by the procedure a subclass stands in front of), the same as for a
// failed platform call, and the program goes on.
template <typename Work>
bool guarded(Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        return false;
    }
}

// A window procedure in that frame: a message whose handling threw gets the
// default handling instead.
template <LRESULT (*handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK guardedWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (guarded([&] { result = handle(window, message, wParam, lParam); })) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The per-window record of one of the program's window kinds: its creator
// passes the record's owner (a std::unique_ptr<Record>*) to CreateWindowExW
// as the last argument, and the window takes the record from it at
// WM_NCCREATE and owns it, kept in GWLP_USERDATA, until WM_NCDESTROY. A
// creation that fails before WM_NCCREATE (refused by a hook, say) leaves the
// record with its owner, which frees it; one that fails later destroys the
// window, which frees it. Null before and after, and for a window created
// without one.
template <typename Record>
Record* windowRecord(HWND window) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

namespace frame_detail {

template <typename Record, typename = void>
struct HasWindowField : std::false_type {};

template <typename Record>
struct HasWindowField<Record, std::void_t<decltype(std::declval<Record&>().window = HWND{})>>
    : std::true_type {};

}  // namespace frame_detail

// The window procedure of a kind with such a record, in the guarded frame:
// it takes the record over at WM_NCCREATE (and fills in its `window` field,
// where it has one), gives every message with the record to the kind's own
// handler, and clears and deletes the record at WM_NCDESTROY, the last
// message, which the handler does not see. Messages that come before
// WM_NCCREATE reach the handler with a null record.
template <typename Record, LRESULT (*handle)(HWND, Record*, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK recordWindowProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<std::unique_ptr<Record>*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        Record* record = owner ? owner->release() : nullptr;
        if constexpr (frame_detail::HasWindowField<Record>::value) {
            if (record) record->window = window;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    } else if (message == WM_NCDESTROY) {
        Record* record = windowRecord<Record>(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete record;
        return 0;
    }
    Record* record = windowRecord<Record>(window);
    LRESULT result = 0;
    if (guarded([&] { result = handle(window, record, message, wParam, lParam); })) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}
