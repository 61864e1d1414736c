#include "app/startup.h"

#include "app/program_state.h"
#include "app/settings.h"
#include "base/at_exit.h"
#include "base/gdiplus_api.h"
#include "shadow/wnd_shadow.h"
#include "ui/control_table.h"
#include "ui/form.h"
#include "ui/main_window.h"

namespace {

constexpr wchar_t kInstanceMutexBase[] = L"quillmere2016";
constexpr wchar_t kAlreadyRunningNotice[] = L"墨川禾语听泉已经运行";
constexpr wchar_t kNoticeCaption[] = L"提示";
constexpr UINT kNoticeStyle = MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND;

constexpr wchar_t kLoadFailureCaption[] = L"错误";
constexpr wchar_t kLoadFailureText[] =
    L"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n";

// The global namespace makes the guard visible from every log-on session.
constexpr wchar_t kGlobalPrefix[] = L"Global\\";

using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

// The last filter of every thread's faults: the end the user asked for,
// without the platform's crash report.
LONG WINAPI endWithoutCrash(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), 0);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void onMainWindowCreated() {
    ensureSingleInstance(kInstanceMutexBase, kAlreadyRunningNotice);
    // The drop shadow is attached here, so the window is never seen without it.
    SetWndShadow(mainWindowHandle());
    ProgramState& state = programState();
    state.settingsPath = buildSettingsPath();
    loadVolumes();
    // Started to stay in the notification area: only the icon shows, and
    // the sound starts as after the first activation.
    if (loadMixSettings().startHidden)
        setProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyShownAtStart, 0);
}

void ensureSingleInstance(const std::wstring& baseName, const std::wstring& notice) {
    ProgramState& state = programState();
    const std::wstring name = kGlobalPrefix + baseName;
    // Waiting is all the guard could ever do with it. A copy in another
    // user's session holds a mutex whose security lets that user in, not
    // this one: the open (and a create, which opens what exists) is refused,
    // and that refusal means it is running too.
    state.existingInstance = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    bool refused = !state.existingInstance && GetLastError() == ERROR_ACCESS_DENIED;
    if (!state.existingInstance && !refused) {
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = sizeof(attributes);
        attributes.bInheritHandle = FALSE;
        // Owned and open until the process ends, when the system closes it.
        HANDLE created = CreateMutexW(&attributes, TRUE, name.c_str());
        // Two copies started at the same instant can both miss the open
        // above; the one whose create finds the mutex already there yields.
        if (created && GetLastError() == ERROR_ALREADY_EXISTS)
            state.existingInstance = created;
        refused = !created && GetLastError() == ERROR_ACCESS_DENIED;
    }
    if (state.existingInstance || refused) {
        showNotice(notice);
        endProgram(0);
    }
}

void showNotice(const std::wstring& text) {
    // Looked up at run time, taking a reference on user32 only if it is not
    // loaded yet, and releasing only that reference.
    HMODULE user32 = GetModuleHandleW(L"user32");
    bool loadedHere = false;
    if (!user32) {
        user32 = LoadLibraryW(L"user32");
        loadedHere = user32 != nullptr;
    }
    if (!user32) return;
    const FARPROC address = GetProcAddress(user32, "MessageBoxW");
    if (address) {
        auto messageBox = reinterpret_cast<MessageBoxFunction>(
            reinterpret_cast<void (*)()>(address));
        messageBox(nullptr, text.c_str(), kNoticeCaption, kNoticeStyle);
    }
    if (loadedHere) FreeLibrary(user32);
}

void endProgram(int32_t exitCode) {
    runAtExitRoutines();
    ExitProcess(static_cast<UINT>(exitCode));
}

void endQuietlyOnFault() {
    SetUnhandledExceptionFilter(endWithoutCrash);
}

void failMainWindowLoad() {
    MessageBoxW(nullptr, kLoadFailureText, kLoadFailureCaption, MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}

void startGdiplus() {
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ProgramState& state = programState();
    Gdiplus::GdiplusStartup(&state.gdiplusToken1, &input, nullptr);
    Gdiplus::GdiplusStartup(&state.gdiplusToken2, &input, nullptr);
}
