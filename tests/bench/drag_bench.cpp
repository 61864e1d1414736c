// How many position events a thumb drag delivers per second: the main
// window's first slider is dragged to and fro through the platform's move
// loop by input sent as fast as the system takes it, and every event is
// counted. Prints one JSON line. A benchmark, run by bench.py.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "test_support.h"
#include "ui/control_table.h"
#include "ui/super_bar.h"

namespace {

constexpr DWORD kDragMs = 3000;
long gEvents = 0;

int32_t countEvent(const EventArgs&) {
    ++gEvents;
    return 0;
}

const Binding kBindings[] = {{ids::volumeBar[0], kEventPositionChanged, countEvent}};

}  // namespace

int main() {
    test::TestForm form(BindingTable{kBindings, 1});
    if (!form.window()) return 1;
    HWND thumb = GetDlgItem(form.control(ids::volumeBar[0]), kPartIdThumb);
    RECT rect;
    GetWindowRect(thumb, &rect);
    const int x = rect.left + 10;
    const int y = rect.top + 16;
    std::atomic<bool> done{false};
    std::atomic<long> moves{0};
    DWORD dragStart = 0;
    DWORD dragEnd = 0;
    std::thread hand([&] {
        test::sendMouse(MOUSEEVENTF_MOVE, POINT{x, y});
        Sleep(200);
        test::sendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        dragStart = GetTickCount();
        // To and fro over the whole track: 110 px each way, one pixel a step.
        int offset = 0;
        int direction = -1;
        while (GetTickCount() - dragStart < kDragMs) {
            offset += direction;
            if (offset <= -110 || offset >= 0) direction = -direction;
            test::sendMouse(MOUSEEVENTF_MOVE, POINT{x + offset, y});
            ++moves;
            Sleep(1);
        }
        dragEnd = GetTickCount();
        test::sendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    test::pumpUntil([&] { return done.load(); }, kDragMs + 20000);
    hand.join();
    test::pumpFor(300);
    const double seconds = (dragEnd - dragStart) / 1000.0;
    std::printf("{\"seconds\":%.2f,\"moves_sent\":%ld,\"position_events\":%ld,"
                "\"events_per_second\":%.0f}\n",
                seconds, moves.load(), gEvents, gEvents / seconds);
    return 0;
}
