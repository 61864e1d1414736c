// The main window: a borderless 770 x 445 window centred on the screen.
#pragma once

#include <windows.h>

constexpr wchar_t kMainWindowText[] = L"墨川大自然背景音";
constexpr int kMainWindowWidth = 770;
constexpr int kMainWindowHeight = 445;

using WindowEventHandler = void (*)();

// Creates the main window hidden, raises its created event, then shows it
// if it still exists. Returns null when the window cannot be created.
HWND LoadMainWindow(HINSTANCE instance, WindowEventHandler onCreated);

// The main window, or null before it is created and after it is destroyed.
HWND mainWindowHandle();
