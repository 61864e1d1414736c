// How the main window and its controls talk to each other: the private
// messages for property access, event raising and background painting, the
// property and event numbers, and the records the messages carry.
//
// The property messages carry plain numbers, so another process can read
// and write properties too (the test probe reads slider positions this way).
#pragma once

#include <windows.h>

#include <cstdint>

// wParam = property number; the result is the value (0 for a property the
// control does not have).
constexpr UINT kGetPropertyMessage = WM_APP + 0x101;
// wParam = property number, lParam = the new value (a signed 32-bit
// integer); the result is 1 if the control has the property.
constexpr UINT kSetPropertyMessage = WM_APP + 0x102;
// Sent by a control to its parent: wParam = a device context whose origin is
// the parent's client origin; the parent paints what lies beneath its
// children there (the background picture, or a slider's own surface).
constexpr UINT kPaintBackdropMessage = WM_APP + 0x103;
// Sent by a control to the main window: lParam = a ControlEvent; the result
// is the handler's result.
constexpr UINT kRaiseEventMessage = WM_APP + 0x104;
// Sent by the main window to each control once it has placed it for a new
// display scale: wParam = the new dpi. The control rebuilds what it draws
// with (fonts, strips) and lays its parts out again.
constexpr UINT kScaleChangedMessage = WM_APP + 0x105;

// Property numbers.
constexpr int kPropertyTimerInterval = 8;
constexpr int kPropertyMinimum = 15;
constexpr int kPropertyMaximum = 16;
constexpr int kPropertyPosition = 17;
constexpr int kPropertyWindowState = 18;
// The window's created handler writes 0 to keep it hidden at the start: the
// first activation's work then runs without it being shown.
constexpr int kPropertyShownAtStart = 19;

// Values of the window state property.
constexpr int32_t kWindowStateNormal = 0;
constexpr int32_t kWindowStateMinimized = 2;
constexpr int32_t kWindowStateMaximized = 3;

// Event numbers. The left-button press is common to every visible control;
// the others are numbered per kind.
constexpr int kEventLeftButtonDown = -1;
constexpr int kEventCreated = 0;         // window
constexpr int kEventCloseQuery = 1;      // window: a nonzero result allows the close
constexpr int kEventActivated = 2;       // window
constexpr int kEventFirstActivation = 8; // window
constexpr int kEventKeyDown = 20;        // window: a key no control used; key = virtual key
constexpr int kEventAppCommand = 21;     // window: key = command; nonzero = handled
constexpr int kEventContextMenu = 22;    // window: x, y = the pointer on the screen
constexpr int kEventMouseWheel = 23;     // window: the wheel off the sliders; key = the delta, x, y as above
constexpr int kEventTimer = 0;           // timer
constexpr int kEventPositionChanged = 0; // slider

// Key-state bits of the left-button event.
constexpr int kKeyControl = 1;
constexpr int kKeyShift = 2;
constexpr int kKeyAlt = 4;

struct EventArgs {
    int x = 0;  // client coordinates of the control
    int y = 0;
    int keys = 0;
    int key = 0;  // the key or command of the keyboard events
};

struct ControlEvent {
    uint32_t controlId;
    int event;
    EventArgs args;
    int32_t fallback;  // the result when no handler is bound
};

// Raises an event of a control through its top-level window and returns the
// bound handler's result, or fallback when nothing is bound.
int32_t raiseControlEvent(HWND control, int event, const EventArgs& args, int32_t fallback = 0);

// Paints into dc, in the window's own client coordinates, what its parent
// shows beneath it. The caller's origin is restored afterwards.
void paintBackdrop(HWND window, HDC dc);

// The key-state bits for a mouse message's wParam and the Alt key.
int keyStateBits(WPARAM mouseKeys);
