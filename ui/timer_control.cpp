#include "ui/timer_control.h"

#include <memory>

#include "base/window_frame.h"
#include "ui/control_protocol.h"
#include "ui/display_scale.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.Timer";
constexpr UINT_PTR kTimerId = 1;

struct TimerControl {
    int32_t interval = 0;
};

void writeInterval(HWND window, TimerControl& timer, int32_t requested) {
    const IntervalChange change = changeInterval(timer.interval, requested);
    timer.interval = change.interval;
    if (!change.restart) return;
    KillTimer(window, kTimerId);
    // The first tick comes one full period after this write.
    if (change.interval > 0) SetTimer(window, kTimerId, static_cast<UINT>(change.interval), nullptr);
}

LRESULT handleTimer(HWND window, TimerControl* timer, UINT message, WPARAM wParam,
                    LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        KillTimer(window, kTimerId);
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) raiseControlEvent(window, kEventTimer, EventArgs{});
        return 0;
    case kGetPropertyMessage:
        return timer && wParam == kPropertyTimerInterval ? timer->interval : 0;
    case kSetPropertyMessage:
        if (!timer || wParam != kPropertyTimerInterval) return 0;
        writeInterval(window, *timer, static_cast<int32_t>(lParam));
        return 1;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    return registerWindowClass(instance, kClassName, recordWindowProc<TimerControl, handleTimer>,
                               LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace

IntervalChange changeInterval(int32_t current, int32_t requested) {
    const int32_t interval = requested < 0 ? 0 : requested;
    return IntervalChange{interval, interval != current};
}

HWND createTimerControl(HWND parent, const ControlRow& row, int dpi) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    if (!registerClass(instance)) return nullptr;
    const RECT place = pixelRect(row.left, row.top, row.width, row.height, dpi);
    // The window owns the record from WM_NCCREATE and frees it at WM_NCDESTROY.
    auto timer = std::make_unique<TimerControl>();
    return CreateWindowExW(0, kClassName, L"", WS_CHILD, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(row.id)), instance,
                           &timer);
}
