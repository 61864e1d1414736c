#include "base/system_library.h"

#include <string>

namespace {

// The full path of a DLL in the system folder; empty if the folder is
// unknown, which makes the load fail rather than search.
std::wstring systemPath(const wchar_t* file) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring path(folder, length);
    path += L'\\';
    path += file;
    return path;
}

// The altered search path resolves the DLL's own imports from its folder,
// the system folder, rather than from the program's.
HMODULE loadFromSystemFolder(const wchar_t* file) {
    const std::wstring path = systemPath(file);
    return path.empty() ? nullptr
                        : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// XP keeps GDI+ among its side-by-side assemblies and may have no copy in
// the system folder; loaded by name there, the platform's redirection finds
// its own copy before any other folder is searched.
HMODULE loadGdiplus() {
    if (HMODULE module = loadFromSystemFolder(L"gdiplus.dll")) return module;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool xp = GetVersionExW(&version) && version.dwMajorVersion == 5;
#pragma GCC diagnostic pop
    return xp ? LoadLibraryW(L"gdiplus.dll") : nullptr;
}

HMODULE systemModule(SystemDll dll) {
    switch (dll) {
        case SystemDll::Accessibility: {
            static const HMODULE module = loadFromSystemFolder(L"oleacc.dll");
            return module;
        }
        case SystemDll::GdiPlus: {
            static const HMODULE module = loadGdiplus();
            return module;
        }
        case SystemDll::Media: {
            static const HMODULE module = loadFromSystemFolder(L"winmm.dll");
            return module;
        }
        case SystemDll::Shell: {
            static const HMODULE module = loadFromSystemFolder(L"shell32.dll");
            return module;
        }
    }
    return nullptr;
}

}  // namespace

FARPROC systemFunction(SystemDll dll, const char* name) {
    const HMODULE module = systemModule(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

void keepDllSearchInSystemFolder() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return;
    using SetDefault = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCWSTR);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    // Windows 8 on, and 7 and Vista with the 2011 loader update.
    const auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(kSearchSystem32)) return;
    // XP SP1 on: the current folder leaves the search; the program's own
    // folder stays first there, which the loads by full path step around.
    const auto setDirectory = reinterpret_cast<SetDirectory>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDirectory) setDirectory(L"");
}

namespace platform {

MCIERROR mciSendStringW(LPCWSTR command, LPWSTR answer, UINT answerLength, HWND notified) {
    static const auto send =
        systemFunctionOf<decltype(&::mciSendStringW)>(SystemDll::Media, "mciSendStringW");
    return send ? send(command, answer, answerLength, notified) : MCIERR_DEVICE_NOT_INSTALLED;
}

MCIERROR mciSendCommandW(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                         DWORD_PTR parameters) {
    static const auto send =
        systemFunctionOf<decltype(&::mciSendCommandW)>(SystemDll::Media, "mciSendCommandW");
    return send ? send(device, message, flags, parameters) : MCIERR_DEVICE_NOT_INSTALLED;
}

BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
    static const auto notify =
        systemFunctionOf<decltype(&::Shell_NotifyIconW)>(SystemDll::Shell, "Shell_NotifyIconW");
    return notify ? notify(message, data) : FALSE;
}

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR folder, INT show) {
    static const auto execute =
        systemFunctionOf<decltype(&::ShellExecuteW)>(SystemDll::Shell, "ShellExecuteW");
    // ShellExecute reports failure as a value of 32 or less.
    return execute ? execute(owner, verb, file, parameters, folder, show)
                   : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
}

HRESULT CreateStdAccessibleObject(HWND window, LONG object, REFIID iid, void** result) {
    static const auto create = systemFunctionOf<decltype(&::CreateStdAccessibleObject)>(
        SystemDll::Accessibility, "CreateStdAccessibleObject");
    return create ? create(window, object, iid, result) : E_NOTIMPL;
}

LRESULT LresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object) {
    static const auto answer = systemFunctionOf<decltype(&::LresultFromObject)>(
        SystemDll::Accessibility, "LresultFromObject");
    return answer ? answer(iid, wParam, object) : E_NOTIMPL;
}

}  // namespace platform
