// Starting with Windows: the per-user value under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run that starts this
// executable (its quoted path). Nothing machine-wide, no elevation; the
// value itself is the one record of the choice.
#pragma once

#include <string>

// The value's name under the Run key.
constexpr wchar_t kAutostartValueName[] = L"禾语听泉";

// The command the value holds for this executable: its full path, quoted.
std::wstring autostartCommand();

// Whether the value is there and starts this executable.
bool startsWithWindows();

// Writes or removes the value; true when the registry took the change.
bool setStartsWithWindows(bool on);
