// The display scale a window is drawn for. The design is laid out in units
// of a 96-dpi screen (the control table, the slider's geometry, the fonts'
// heights); a window at another scale turns each edge into pixels here, and
// turns the pointer's pixels back into design units the same way. Nothing
// else multiplies by a scale.
#pragma once

#include <windows.h>

constexpr int kDesignDpi = 96;

// The dots per inch of the window: what the system says the window is drawn
// at where it can say so per window (Windows 10 1607 on; Wine), else the
// screen's, which is every window's on older systems. A null window gets
// the screen's.
int windowDpi(HWND window);

// The system's message that a window has moved to a screen of another
// scale (WM_DPICHANGED): wParam's low word is the new dpi, lParam the
// rectangle the system suggests for the window. Named here, as the headers
// declare it only for the systems that send it.
constexpr UINT kDpiChangedMessage = 0x02E0;

// Records the dpi a top-level window was told it is drawn at now (by the
// message above): windowDpi then gives it for the window and everything in
// it, as the system does.
void recordWindowDpi(HWND window, int dpi);

// Forgets the recorded dpi, as the window goes.
void forgetWindowDpi(HWND window);

// Design units to pixels: MulDiv(length, dpi, 96), rounded to the nearest
// pixel, halves away from zero.
int toPixels(int length, int dpi);

// Pixels back to design units, rounded the same way. For every dpi of 96
// and above, toDesignUnits(toPixels(n)) is n again.
int toDesignUnits(int pixels, int dpi);

// A system metric (SM_...) as the system gives it for a dpi where it can
// (Windows 10 1607 on; Wine), else as GetSystemMetrics gives it, which is
// the screen's on older systems.
int systemMetricForDpi(int index, int dpi);

// A rectangle of the design (left, top, width, height) in pixels, each edge
// scaled on its own, so that rectangles that meet at 96 dpi meet at every
// scale, without a gap or an overlap.
RECT pixelRect(int left, int top, int width, int height, int dpi);
