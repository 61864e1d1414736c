// Registration of the window classes of the form and its controls.
#pragma once

#include <windows.h>

// Registers a class with the given procedure and cursor (null: the window
// sets its own) and no background brush, since every window of the form
// paints all of its own pixels. True also when the class already exists.
bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HCURSOR cursor);
