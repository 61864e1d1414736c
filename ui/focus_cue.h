// The keyboard focus made visible on the skinned controls, as the
// platform's own controls show theirs: a thin dotted light line around the
// control that has the focus, once the keyboard has been used in its window
// (the window's UI state no longer hides the focus), and not after a click.
#pragma once

#include <windows.h>

// Whether the control shows its cue now: it has the focus, and the UI state
// of its window lets the focus show.
bool focusCueShown(HWND control);

// Draws the cue just inside the rectangle, in the light of the skin's
// glyphs: dots and gaps one design unit long at the given scale.
void drawFocusCue(HDC dc, const RECT& rect, int dpi);

// The keyboard moved in the window: the focus shows from now on.
void revealFocus(HWND control);

// A press of the mouse: the focus stops showing until the keyboard is used
// again.
void concealFocus(HWND control);

// The window is going: its record of the state goes with it.
void forgetFocusState(HWND window);

// What a control with a cue does with the messages that change whether it
// shows (focus gained or lost, the UI state changed): repaints itself, after
// the default handling. False for every other message.
bool focusCueMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
