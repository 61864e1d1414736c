// Start-up routine, single-instance guard, notices and the end of the process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Handler of the main window's created event; runs while the window is still
// hidden: the single-instance guard, the drop shadow, the settings path and
// the six volumes.
void onMainWindowCreated();

// Claims the global mutex "Global\" + baseName. If another instance holds it
// (in this session or, refusing this user access, in another user's),
// shows the notice and ends the process with exit code 0; returns only in the
// instance that runs.
void ensureSingleInstance(const std::wstring& baseName, const std::wstring& notice);

// Modal notice box: no owner, caption "提示", information icon, OK button,
// topmost and brought to the foreground.
void showNotice(const std::wstring& text);

// Runs the at-exit routines in registration order, then ends the process.
[[noreturn]] void endProgram(int32_t exitCode);

// From now on, a fault in any thread of the process ends it at once with
// exit code 0 instead of as a crash. For the way out only, once the user has
// asked for the end: the platform's media threads can fault while their
// devices are being ended (Wine 10's, when the end comes right after the
// devices opened), and the user asked for an end, not for a crash report.
// Everything the user changed is already stored by then.
void endQuietlyOnFault();

// Error box of a failed main-window load, then exit code -1 without the
// at-exit routines.
[[noreturn]] void failMainWindowLoad();

// Starts GDI+ twice with the same input and keeps both tokens; GDI+ is never
// shut down.
void startGdiplus();
