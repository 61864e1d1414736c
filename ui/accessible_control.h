// What assistive technology (a screen reader) is told about the window's
// controls. Each slider, glyph and the product name answers WM_GETOBJECT
// with an object of its own, built on the platform's standard one (which
// keeps location, parent and navigation right): its role, its name as the
// window shows it, a slider's position as its value, and for the others a
// default action that does what a click does.
#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT for a control of the main window: its object
// for OBJID_CLIENT, 0 for OBJID_QUERYCLASSNAMEIDX, and the default answer
// for every other object, and for controls that tell nothing of their own.
LRESULT answerGetObject(HWND control, WPARAM wParam, LPARAM lParam);

// Tells assistive technology that a slider's position changed, as the
// platform's own trackbar does.
void announceValueChange(HWND slider);
