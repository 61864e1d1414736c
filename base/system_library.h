// The platform's DLLs that are not known DLLs on every system from XP SP3
// on, or that the window does not need before it shows: loaded on first use
// by their full path in the system folder, never from the program's folder
// or the current folder, where a downloaded file of the same name may lie.
#pragma once

#include <windows.h>

#include <mmsystem.h>
#include <oleacc.h>
#include <shellapi.h>

enum class SystemDll { Accessibility, GdiPlus, Media, Shell };

// The named function of the system folder's copy of the DLL, or null when
// the DLL or the function is not there. A DLL once loaded stays loaded.
FARPROC systemFunction(SystemDll dll, const char* name);

// Takes the program's folder and the current folder out of the search for
// every DLL loaded later, the platform's own loads included.
void keepDllSearchInSystemFolder();

// The media, shell and accessibility functions the program calls, by their platform names.
// A function that cannot be had fails as the platform reports a failed
// call: the feature stays silent. GDI+'s flat functions keep their own
// names: base/gdiplus_imports.cpp defines them.
namespace platform {
MCIERROR mciSendStringW(LPCWSTR command, LPWSTR answer, UINT answerLength, HWND notified);
MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parameters);
BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR folder, INT show);
HRESULT CreateStdAccessibleObject(HWND window, LONG object, REFIID iid, void** result);
LRESULT LresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object);
}  // namespace platform

// The function of the given type from the DLL, found once per call site.
template <typename Function>
Function systemFunctionOf(SystemDll dll, const char* name) {
    // FARPROC's type is a placeholder: the platform hands every export out
    // under it, whatever its real signature.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(systemFunction(dll, name)));
}
