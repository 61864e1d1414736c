// The start sequence's pause: it dispatches what arrives, leaves a quit for
// the message loop, lasts its time, and burns no processor time doing so.
#include <gtest/gtest.h>

#include <windows.h>

#include "mixer/wait.h"

namespace {

constexpr UINT kPosted = WM_APP + 1;

int gPosted = 0;
int gTimerTicks = 0;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPosted) ++gPosted;
    if (message == WM_TIMER) ++gTimerTicks;
    return DefWindowProcW(window, message, wParam, lParam);
}

class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = countingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"wait_test.counting";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        gPosted = 0;
        gTimerTicks = 0;
    }
    ~CountingWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The processor time this thread has used, in milliseconds.
double threadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// Drops a quit left by an earlier case, so each case starts clean.
void dropQuit() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(Wait, DispatchesWhatArrivesAndLastsItsTimeWithoutSpinning) {
    CountingWindow counter;
    PostMessageW(counter.get(), kPosted, 0, 0);
    SetTimer(counter.get(), 1, 100, nullptr);

    // The measure itself must be able to see a busy thread (on a loaded
    // machine the spin may take longer than the time it burns).
    const double beforeSpin = threadCpuMs();
    const DWORD spinStart = GetTickCount();
    while (threadCpuMs() - beforeSpin < 100.0 && GetTickCount() - spinStart < 10000) {
    }
    ASSERT_GE(threadCpuMs() - beforeSpin, 100.0) << "thread times do not move here";

    const double cpuBefore = threadCpuMs();
    const DWORD start = GetTickCount();
    wait(1000);
    const DWORD elapsed = GetTickCount() - start;
    const double cpuUsed = threadCpuMs() - cpuBefore;
    KillTimer(counter.get(), 1);

    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 6000u);
    EXPECT_EQ(gPosted, 1);
    EXPECT_GE(gTimerTicks, 5);  // ten are due; a loaded machine may merge some
    EXPECT_LT(cpuUsed, 100.0);

    const DWORD instant = GetTickCount();
    wait(0);
    wait(-5);
    EXPECT_LT(GetTickCount() - instant, 100u);
}

TEST(Wait, LeavesAQuitInTheQueueAndStillDoesNotSpin) {
    dropQuit();
    CountingWindow counter;
    PostMessageW(counter.get(), kPosted, 0, 0);
    PostQuitMessage(7);

    const double cpuBefore = threadCpuMs();
    const DWORD start = GetTickCount();
    wait(500);
    EXPECT_GE(GetTickCount() - start, 500u);
    EXPECT_LT(threadCpuMs() - cpuBefore, 100.0);
    EXPECT_EQ(gPosted, 1);  // posted before the quit, so dispatched

    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
