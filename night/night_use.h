// Night use: pause all and the sleep timer, from a notification-area icon,
// its menu (also opened by a right-click on the main window, and extended
// with another module's entries), Space and the keyboard's play/pause and
// stop keys. It holds no channel itself: it raises its
// events on the main window's binding table, which names the mixer's
// handlers, and asks the mixer through one of them whether it is held.
#pragma once

#include <windows.h>

#include <cstdint>

// Night use as a unit of the main window: the events it raises.
constexpr uint32_t kNightUseUnit = 0x16010300;
constexpr int kNightEventPause = 0;   // hold every channel
constexpr int kNightEventResume = 1;  // play every held channel on
constexpr int kNightEventVolume = 2;  // x = the share of each slider's volume, in thousandths
constexpr int kNightEventIsPaused = 3;  // nonzero while every channel is held

// Adds the icon beside the main window, and removes it again at every
// orderly end of the program.
void startNightUse(HWND mainWindow);

// The binding table's handlers of the main window's events: the result is
// nonzero when the key or command was used.
int32_t onNightKey(int virtualKey);
int32_t onNightAppCommand(int command);
void openNightMenu(POINT screen);

// Entries of another module in the menu, between night use's own and
// "退出": append adds them with commands from firstCommand up, run carries
// out one of those commands (false for a command that is not its own).
struct MenuExtension {
    void (*append)(HMENU menu, UINT firstCommand);
    bool (*run)(UINT command, UINT firstCommand);
};
void extendNightMenu(MenuExtension extension);

// The test build's short minute; the real one has 60 000 ms.
void setSleepMinuteMs(uint32_t milliseconds);
