#include "night/night_use.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "base/at_exit.h"
#include "base/system_library.h"
#include "base/window_frame.h"
#include "night/sleep_timer.h"
#include "ui/control_table.h"
#include "ui/display_scale.h"
#include "ui/form.h"
#include "ui/resources.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.NightUse";
constexpr UINT kIconId = 1;
constexpr UINT kIconCallbackMessage = WM_APP + 0x120;
// Posted when night use starts, at the first activation, so that the icon is
// added from the message loop inside the start sequence's first wait: the
// shell's work for it delays neither the window nor the sound.
constexpr UINT kAddIconMessage = WM_APP + 0x121;
constexpr UINT_PTR kTickTimer = 1;
// Often enough for a fade in small steps and a tooltip a second late at most.
constexpr UINT kTickMs = 200;

// Menu commands; a sleep choice's command is its row's index past the base.
enum : UINT {
    kCommandPause = 1,
    kCommandResume,
    kCommandShowWindow,
    kCommandExit,
    kCommandSleepBase = 100,
    kCommandExtensionBase = 200,  // the extension's own, from here on
};

constexpr wchar_t kPauseText[] = L"暂停播放";
constexpr wchar_t kResumeText[] = L"继续播放";
constexpr wchar_t kSleepText[] = L"定时停止";
constexpr wchar_t kShowWindowText[] = L"显示窗口";
constexpr wchar_t kExitText[] = L"退出";

struct SleepChoice {
    const wchar_t* text;  // null: a separator
    uint32_t minutes;     // 0: no timer
};

const SleepChoice kSleepChoices[] = {
    {L"15 分钟", 15},  {L"30 分钟", 30},   {L"45 分钟", 45}, {L"1 小时", 60},
    {L"1.5 小时", 90}, {L"2 小时", 120},   {nullptr, 0},     {L"不定时", 0},
};

struct NightUse {
    HWND mainWindow = nullptr;
    HWND window = nullptr;  // hidden: the icon's callbacks and the ticks
    UINT taskbarCreated = 0;
    bool iconShown = false;
    bool counting = false;  // the sleep timer runs
    bool fading = false;    // it ran out and the channels fall silent
    uint32_t start = 0;     // tick count when the countdown or the fade began
    uint32_t span = 0;
    uint32_t minutesShown = 0;
    uint32_t minuteMs = kRealMinuteMs;
    MenuExtension extension{};
};

NightUse& night() {
    static NightUse state;
    return state;
}

int32_t raise(int event, int32_t x = 0) {
    EventArgs args;
    args.x = x;
    return dispatchEvent(ids::mainWindow, kNightUseUnit, event, args);
}

// The channels keep the one record of the hold; night use asks for it.
bool channelsHeld() {
    return raise(kNightEventIsPaused) != 0;
}

NightMode mode(const NightUse& n) {
    if (channelsHeld()) return NightMode::Paused;
    return n.counting || n.fading ? NightMode::Counting : NightMode::Playing;
}

// The program's icon once the executable carries one; until then, and in an
// executable without it, the system's application icon. Its size is the
// small icon's that the system asks for at the scale of the screen the
// notification area is on (the hidden window lies at the primary screen's
// origin), and the system picks the icon's image of that size, or the
// nearest. Shared icons are never destroyed, so the icon needs no owner.
HICON programIcon(const NightUse& n) {
    const int dpi = windowDpi(n.window);
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_HEYU), IMAGE_ICON,
                   systemMetricForDpi(SM_CXSMICON, dpi), systemMetricForDpi(SM_CYSMICON, dpi),
                   LR_SHARED));
    return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

NOTIFYICONDATAW iconData(const NightUse& n, UINT flags) {
    NOTIFYICONDATAW data{};
    // The size of the version-2 record, which every system from XP on takes,
    // with its 128-character tooltip.
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = n.window;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kIconCallbackMessage;
    data.hIcon = programIcon(n);
    // Cut to the record's 128 characters; ours are far fewer.
    const std::wstring tip =
        tooltipText(mode(n), n.minutesShown).substr(0, std::size(data.szTip) - 1);
    std::copy(tip.begin(), tip.end(), data.szTip);
    return data;
}

void addIcon(NightUse& n) {
    NOTIFYICONDATAW data = iconData(n, NIF_ICON | NIF_MESSAGE | NIF_TIP);
    // Without a notification area (no shell yet) the add fails; the shell's
    // "taskbar created" broadcast brings the next attempt. A failed add
    // never clears the flag: the icon of an earlier add may still be there.
    if (platform::Shell_NotifyIconW(NIM_ADD, &data)) n.iconShown = true;
}

void updateTooltip(const NightUse& n) {
    if (!n.iconShown) return;
    NOTIFYICONDATAW data = iconData(n, NIF_TIP);
    platform::Shell_NotifyIconW(NIM_MODIFY, &data);
}

// Registered as an at-exit routine: every orderly end takes the icon away,
// so none is left behind for a program that is gone.
void removeIcon() {
    NightUse& n = night();
    if (!n.window) return;
    // Attempted even if no add was seen to succeed: deleting an icon that
    // is not there does no harm, and leaving one behind does.
    NOTIFYICONDATAW data = iconData(n, 0);
    platform::Shell_NotifyIconW(NIM_DELETE, &data);
    n.iconShown = false;
}

void updateTicks(NightUse& n) {
    if (n.counting || n.fading)
        SetTimer(n.window, kTickTimer, kTickMs, nullptr);
    else
        KillTimer(n.window, kTickTimer);
}

void setVolumeShare(int32_t permille) {
    raise(kNightEventVolume, permille);
}

// Ends a countdown or a fade; the players go back to their sliders' volumes.
void cancelTimer(NightUse& n) {
    n.counting = false;
    n.fading = false;
    setVolumeShare(kFullPermille);
    updateTicks(n);
}

void setPaused(const NightUse& n, bool paused) {
    if (paused == channelsHeld()) return;
    raise(paused ? kNightEventPause : kNightEventResume);
    updateTooltip(n);
}

// A pause by hand ends the sleep timer too; a resume does not start it again.
void togglePause(NightUse& n) {
    const bool held = channelsHeld();
    if (!held) cancelTimer(n);
    setPaused(n, !held);
}

void chooseSleep(NightUse& n, const SleepChoice& choice) {
    cancelTimer(n);
    if (choice.minutes != 0) {
        n.counting = true;
        n.start = GetTickCount();
        n.span = choice.minutes * n.minuteMs;
        n.minutesShown = choice.minutes;
    }
    updateTicks(n);
    updateTooltip(n);
}

void tick(NightUse& n) {
    const uint32_t now = GetTickCount();
    if (n.counting) {
        const uint32_t left = remainingMs(now, n.start, n.span);
        const uint32_t minutes = minutesLeft(left, n.minuteMs);
        // The last minute stays shown through the fade.
        if (minutes != n.minutesShown && minutes > 0) {
            n.minutesShown = minutes;
            updateTooltip(n);
        }
        if (left > 0) return;
        n.counting = false;
        n.fading = true;
        n.start = now;
    }
    if (!n.fading) return;
    const uint32_t elapsed = now - n.start;  // unsigned: right across the tick count's wrap
    setVolumeShare(fadePermille(elapsed, kFadeMs));
    if (elapsed < kFadeMs) return;
    // Silent: hold everything, then give the players their sliders' volumes
    // back so that a resume plays the mix as it was.
    n.fading = false;
    setPaused(n, true);
    setVolumeShare(kFullPermille);
    updateTicks(n);
    updateTooltip(n);
}

void showMainWindow(const NightUse& n) {
    if (IsIconic(n.mainWindow)) ShowWindow(n.mainWindow, SW_RESTORE);
    ShowWindow(n.mainWindow, SW_SHOW);
    SetForegroundWindow(n.mainWindow);
}

HMENU buildMenu(const NightUse& n) {
    HMENU sleep = CreatePopupMenu();
    for (size_t i = 0; i < std::size(kSleepChoices); ++i) {
        const SleepChoice& choice = kSleepChoices[i];
        if (!choice.text) {
            AppendMenuW(sleep, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const bool inForce = n.counting || n.fading ? choice.minutes * n.minuteMs == n.span
                                                     : choice.minutes == 0;
        AppendMenuW(sleep, MF_STRING | (inForce ? MF_CHECKED : MF_UNCHECKED),
                    kCommandSleepBase + i, choice.text);
    }
    HMENU menu = CreatePopupMenu();
    const bool held = channelsHeld();
    AppendMenuW(menu, MF_STRING, held ? kCommandResume : kCommandPause,
                held ? kResumeText : kPauseText);
    // The submenu belongs to the menu from here on and goes with it.
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sleep), kSleepText);
    AppendMenuW(menu, MF_STRING, kCommandShowWindow, kShowWindowText);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (n.extension.append) {
        n.extension.append(menu, kCommandExtensionBase);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuW(menu, MF_STRING, kCommandExit, kExitText);
    return menu;
}

void runCommand(NightUse& n, UINT command) {
    switch (command) {
    case kCommandPause:
    case kCommandResume: togglePause(n); return;
    case kCommandShowWindow: showMainWindow(n); return;
    // The same orderly close as Esc: the close query stops the players.
    case kCommandExit: SendMessageW(n.mainWindow, WM_CLOSE, 0, 0); return;
    default: break;
    }
    if (command >= kCommandSleepBase && command - kCommandSleepBase < std::size(kSleepChoices))
        chooseSleep(n, kSleepChoices[command - kCommandSleepBase]);
    else if (command >= kCommandExtensionBase && n.extension.run)
        n.extension.run(command, kCommandExtensionBase);
}

// The platform's rules for such a menu: its owner comes to the foreground
// first, so that a click elsewhere closes it, and a message posted after it
// lets the next opening work.
void trackMenu(NightUse& n, HWND owner, POINT at) {
    HMENU menu = buildMenu(n);
    SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (command) runCommand(n, command);
}

LRESULT handleNightMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    NightUse& n = night();
    if (message == kIconCallbackMessage && n.window == window) {
        switch (lParam) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK: showMainWindow(n); break;
        case WM_RBUTTONUP: {
            POINT at;
            GetCursorPos(&at);
            trackMenu(n, window, at);
            break;
        }
        default: break;
        }
        return 0;
    }
    if (message == WM_TIMER && wParam == kTickTimer) {
        tick(n);
        return 0;
    }
    // A restarted shell has lost every icon; it asks for them again.
    if (message == kAddIconMessage ||
        (n.taskbarCreated != 0 && message == n.taskbarCreated)) {
        addIcon(n);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void startNightUse(HWND mainWindow) {
    NightUse& n = night();
    if (n.window) return;
    n.mainWindow = mainWindow;
    n.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, kClassName, guardedWindowProc<handleNightMessage>, nullptr);
    // A hidden top-level window rather than a message-only one: only
    // top-level windows hear the shell's "taskbar created" broadcast.
    n.window = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               instance, nullptr);
    if (!n.window) return;  // night use is an extra: the program plays on without it
    PostMessageW(n.window, kAddIconMessage, 0, 0);
    registerAtExit(removeIcon);
}

// The stop key holds the mix as a pause does, and leaves a held one alone:
// the play/pause key or Space plays it on.
void stopPlaying(NightUse& n) {
    if (!channelsHeld()) togglePause(n);
}

int32_t onNightKey(int virtualKey) {
    if (virtualKey == VK_MEDIA_STOP) {
        stopPlaying(night());
        return 1;
    }
    if (virtualKey != VK_SPACE && virtualKey != VK_MEDIA_PLAY_PAUSE) return 0;
    togglePause(night());
    return 1;
}

int32_t onNightAppCommand(int command) {
    NightUse& n = night();
    // Only for the active main window, like its keys.
    if (GetActiveWindow() != n.mainWindow) return 0;
    if (command == APPCOMMAND_MEDIA_STOP) {
        stopPlaying(n);
        return 1;
    }
    if (command != APPCOMMAND_MEDIA_PLAY_PAUSE) return 0;
    togglePause(n);
    return 1;
}

void openNightMenu(POINT screen) {
    NightUse& n = night();
    trackMenu(n, n.mainWindow, screen);
}

void extendNightMenu(MenuExtension extension) {
    night().extension = extension;
}

void setSleepMinuteMs(uint32_t milliseconds) {
    night().minuteMs = milliseconds;
}
