// Process entry: the start order of the program and its message loop.
#include <windows.h>

#include "app/program_state.h"
#include "app/startup.h"
#include "base/at_exit.h"
#include "base/system_library.h"
#include "mixer/channels.h"
#include "night/night_use.h"
#include "ui/form.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    keepDllSearchInSystemFolder();  // before anything loads a DLL by name
    programState();  // the empty program-wide table comes first
    registerAtExit(releaseProgramState);
    startGdiplus();
#ifdef HEYU_SLEEP_MINUTE_MS
    setSleepMinuteMs(HEYU_SLEEP_MINUTE_MS);  // the test build's short minute
    setDriftMinuteMs(HEYU_DRIFT_MINUTE_MS);
#endif
#ifdef HEYU_TEST_SCALE_CHANGE
    answerScaleMessagesForTests();  // the test build's stand-in for a move between screens
#endif

    // The window's created event runs onMainWindowCreated before it is shown.
    if (!LoadMainWindow(instance)) failMainWindowLoad();

    // Runs until the last program window is gone, which posts the quit.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    endProgram(static_cast<int32_t>(message.wParam));
}
