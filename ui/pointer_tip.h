// A small note beside the pointer that goes by itself after a moment, in
// the look of the system's tooltips (their colours, the status font): the
// master level as the wheel changes it.
#pragma once

#include <windows.h>

#include <string>

constexpr UINT kPointerTipShownMs = 1500;

// Shows the text below and to the right of the screen point, replacing any
// note still shown, and hides it kPointerTipShownMs after the last call.
void showPointerTip(const std::wstring& text, POINT screen);

// The note's window while it is shown, else null.
HWND pointerTipWindow();
