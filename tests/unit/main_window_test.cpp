#include <gtest/gtest.h>

#include "ui/main_window.h"

namespace {

struct CreatedEventSeen {
    bool fired = false;
    bool visibleThen = true;
    HWND window = nullptr;
};

CreatedEventSeen gSeen;

void recordCreated() {
    gSeen.fired = true;
    gSeen.window = mainWindowHandle();
    gSeen.visibleThen = IsWindowVisible(gSeen.window) != FALSE;
}

void destroyOnCreated() {
    DestroyWindow(mainWindowHandle());
}

TEST(MainWindow, RaisesItsCreatedEventWhileHiddenAndIsShownAfterwards) {
    HWND window = LoadMainWindow(GetModuleHandleW(nullptr), recordCreated);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(gSeen.fired);
    EXPECT_EQ(gSeen.window, window);
    EXPECT_FALSE(gSeen.visibleThen);
    EXPECT_TRUE(IsWindowVisible(window));

    wchar_t text[64];
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, kMainWindowText);

    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 770);
    EXPECT_EQ(rect.bottom - rect.top, 445);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 770) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 445) / 2);

    // A close request destroys it, and with it gone the loop gets its quit.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(mainWindowHandle(), nullptr);
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message == WM_QUIT) quit = message.wParam == 0;
    EXPECT_TRUE(quit);
}

TEST(MainWindow, IsNotShownWhenTheCreatedHandlerDestroysIt) {
    HWND window = LoadMainWindow(GetModuleHandleW(nullptr), destroyOnCreated);
    EXPECT_FALSE(IsWindow(window));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace
