// The program's main window: its definition with the binding table that
// wires its events to the handlers of the other modules.
#pragma once

#include <windows.h>

#include "ui/form.h"

// The binding table of the main window.
BindingTable mainWindowBindings();

// Loads the main window with its bindings; null if it cannot be created.
HWND LoadMainWindow(HINSTANCE instance);

// The main window, or null before it is created and after it is destroyed.
HWND mainWindowHandle();
