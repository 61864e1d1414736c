#include "mixer/wait.h"

#include <windows.h>

namespace {

// Dispatches what is waiting, up to a quit message, which is looked at but
// not taken: the message loop that called the start sequence must see it.
void dispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
        if (message.message == WM_QUIT) {
            // A quit that overtook the message we looked at: put it back.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void wait(int32_t milliseconds) {
    if (milliseconds <= 0) return;
    const DWORD span = static_cast<DWORD>(milliseconds);
    const DWORD start = GetTickCount();
    for (;;) {
        dispatchWaitingMessages();
        // Unsigned difference: the tick counter's wrap after 2^32 ms neither
        // ends nor prolongs the wait.
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > span) return;
        // Wakes for any message that arrives after the queue was last looked
        // at (not for a quit left waiting), or when the time is up.
        MsgWaitForMultipleObjectsEx(0, nullptr, span - elapsed + 1, QS_ALLINPUT, 0);
    }
}
