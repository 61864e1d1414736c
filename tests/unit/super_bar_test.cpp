// The slider on a real main window: positions and their events, arrows with
// their auto-repeat, the track, keys and the thumb dragged through the
// platform's move loop.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "test_support.h"
#include "ui/control_table.h"
#include "ui/focus_cue.h"
#include "ui/super_bar.h"

namespace {

struct SeenChange {
    int32_t position;  // as read inside the event
    DWORD tick;
};

std::vector<SeenChange> gChanges;

int32_t recordChange(const EventArgs&) {
    gChanges.push_back(SeenChange{
        getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition), GetTickCount()});
    return 0;
}

const Binding kBindings[] = {{ids::volumeBar[0], kEventPositionChanged, recordChange}};

class SuperBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        gChanges.clear();
        ASSERT_NE(form.window(), nullptr);
        bar = form.control(ids::volumeBar[0]);
        ASSERT_NE(bar, nullptr);
    }

    int32_t position() const { return getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition); }
    void write(int32_t value) { setProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition, value); }
    HWND part(int id) const { return GetDlgItem(bar, id); }
    int partLeft(int id) const {
        RECT rect;
        GetWindowRect(part(id), &rect);
        MapWindowPoints(HWND_DESKTOP, bar, reinterpret_cast<POINT*>(&rect), 2);
        return rect.left;
    }
    int partWidth(int id) const {
        RECT rect;
        GetWindowRect(part(id), &rect);
        return rect.right - rect.left;
    }
    std::vector<int32_t> seenPositions() const {
        std::vector<int32_t> positions;
        for (const SeenChange& change : gChanges) positions.push_back(change.position);
        return positions;
    }
    void click(HWND target, UINT down, UINT up, int x, int y) {
        SendMessageW(target, down, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(target, up, 0, MAKELPARAM(x, y));
    }

    test::TestForm form{BindingTable{kBindings, std::size(kBindings)}};
    HWND bar = nullptr;
};

TEST_F(SuperBarTest, StartsAtTheMaximumOfItsRangeWithTheThumbAtTheRightEnd) {
    EXPECT_EQ(position(), 100);
    EXPECT_EQ(getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyMinimum), 0);
    EXPECT_EQ(getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyMaximum), 100);
    EXPECT_EQ(partLeft(kPartIdThumb), 125);
    EXPECT_EQ(partLeft(kPartIdLeftArrow), 0);
    EXPECT_EQ(partLeft(kPartIdRightArrow), 145);
    EXPECT_EQ(partLeft(kPartIdFill), 15);
    EXPECT_EQ(partWidth(kPartIdFill), 120);  // to the middle of the thumb
}

TEST_F(SuperBarTest, WritesRaiseOneEventPerChangeAndTheHandlerReadsTheNewValue) {
    write(100);  // unchanged: nothing
    EXPECT_TRUE(gChanges.empty());
    write(40);
    write(40);
    write(-5);   // clamped to 0: one event
    write(-70);  // still 0: none
    write(150);  // clamped to 100
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{40, 0, 100}));
    write(57);
    EXPECT_EQ(partLeft(kPartIdThumb), 15 + 62);
    EXPECT_EQ(partWidth(kPartIdFill), 62 + 10);
}

TEST_F(SuperBarTest, KeysStepByTenTimesTheirRepeatCount) {
    write(50);
    gChanges.clear();
    SendMessageW(bar, WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(position(), 40);
    SendMessageW(bar, WM_KEYDOWN, VK_RIGHT, 3);
    EXPECT_EQ(position(), 70);
    SendMessageW(bar, WM_KEYDOWN, VK_DOWN, 2);
    EXPECT_EQ(position(), 50);
    SendMessageW(bar, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(position(), 60);
    SendMessageW(bar, WM_KEYDOWN, VK_PRIOR, 2);
    EXPECT_EQ(position(), 40);
    SendMessageW(bar, WM_KEYDOWN, VK_NEXT, 9);  // clamped at the end
    EXPECT_EQ(position(), 100);
    SendMessageW(bar, WM_KEYDOWN, VK_HOME, 1);
    EXPECT_EQ(position(), 0);
    SendMessageW(bar, WM_KEYDOWN, VK_HOME, 1);  // already there: no event
    SendMessageW(bar, WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(position(), 100);
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{40, 70, 50, 60, 40, 100, 0, 100}));
}

// Tab with Shift held, as the thread's key state tells it.
void pressShiftTab(HWND focus) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

std::vector<uint8_t> printedClient(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    std::vector<uint8_t> out(static_cast<size_t>(rect.right * rect.bottom) * 4);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rect.right, rect.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = rect.right;
    info.bmiHeader.biHeight = -rect.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(rect.bottom), out.data(), &info,
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return out;
}

// The platform's setting that shows keyboard cues always (Wine's default)
// off, as on Windows by default, for the life of the record.
struct CuesHiddenUntilKeyboardUse {
    BOOL before = FALSE;
    CuesHiddenUntilKeyboardUse() {
        SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &before, 0);
        SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(FALSE), 0);
    }
    ~CuesHiddenUntilKeyboardUse() {
        SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0,
                              reinterpret_cast<void*>(static_cast<INT_PTR>(before)), 0);
    }
};

TEST_F(SuperBarTest, TabVisitsSlidersGlyphsAndNameRoundAndRoundAndEscapeIsACloseRequest) {
    const CuesHiddenUntilKeyboardUse cues;
    const std::vector<HWND> order = {
        bar, form.control(ids::volumeBar[1]), form.control(ids::volumeBar[2]),
        form.control(ids::volumeBar[3]), form.control(ids::volumeBar[4]),
        form.control(ids::volumeBar[5]), form.control(ids::helpLabel),
        form.control(ids::minimizeLabel), form.control(ids::closeLabel),
        form.control(ids::brandLabel)};
    const std::vector<uint8_t> unfocused = printedClient(bar);
    SetFocus(form.window());
    SendMessageW(form.window(), WM_KEYDOWN, VK_TAB, 1);  // from the window: the first slider
    EXPECT_EQ(GetFocus(), bar);
    // The keyboard was used: the focus shows, but never in a printed copy.
    EXPECT_TRUE(focusCueShown(bar));
    EXPECT_EQ(printedClient(bar), unfocused);
    for (size_t i = 1; i <= order.size(); ++i) {
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        EXPECT_EQ(GetFocus(), order[i % order.size()]) << "Tab number " << i;
    }
    pressShiftTab(bar);
    EXPECT_EQ(GetFocus(), order.back());  // round the other way
    pressShiftTab(order.back());
    EXPECT_EQ(GetFocus(), order[8]);

    // A click that takes the focus hides it until the keyboard is used again.
    click(part(kPartIdLeftArrow), WM_LBUTTONDOWN, WM_LBUTTONUP, 7, 16);
    EXPECT_EQ(GetFocus(), bar);
    EXPECT_FALSE(focusCueShown(bar));
    SendMessageW(bar, WM_KEYDOWN, VK_RIGHT, 1);  // the keyboard again
    EXPECT_TRUE(focusCueShown(bar));

    SendMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindow(form.window()));
}

TEST_F(SuperBarTest, ArrowClickStepsOnReleaseWhereverThePointerIs) {
    write(50);
    gChanges.clear();
    HWND left = part(kPartIdLeftArrow);
    SendMessageW(left, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 16));
    EXPECT_EQ(GetCapture(), left);
    EXPECT_EQ(superBarPartLook(bar, SliderPart::LeftArrow), PartLook::Pressed);
    EXPECT_TRUE(gChanges.empty());  // nothing on the press
    SendMessageW(left, WM_LBUTTONUP, 0, MAKELPARAM(-300, 90));  // far outside
    EXPECT_EQ(position(), 40);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(superBarPartLook(bar, SliderPart::LeftArrow), PartLook::Normal);

    click(part(kPartIdRightArrow), WM_LBUTTONDOWN, WM_LBUTTONUP, 7, 16);
    EXPECT_EQ(position(), 50);
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{40, 50}));
}

TEST_F(SuperBarTest, HeldArrowRepeatsAfterHalfASecondEveryTenthUntilTheEnd) {
    HWND left = part(kPartIdLeftArrow);
    const DWORD pressed = GetTickCount();
    SendMessageW(left, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 16));
    ASSERT_TRUE(test::pumpUntil([] { return gChanges.size() >= 4; }, 5000));
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{90, 80, 70, 60}));
    const DWORD delay = gChanges[0].tick - pressed;
    EXPECT_GE(delay, 450u);
    EXPECT_LE(delay, 800u);
    const DWORD period = (gChanges[3].tick - gChanges[0].tick) / 3;
    EXPECT_GE(period, 80u);
    EXPECT_LE(period, 250u);

    // Held on, it runs to the end of the range and stops there.
    ASSERT_TRUE(test::pumpUntil([this] { return position() == 0; }, 5000));
    const size_t atEnd = gChanges.size();
    test::pumpFor(300);
    EXPECT_EQ(gChanges.size(), atEnd);
    SendMessageW(left, WM_LBUTTONUP, 0, MAKELPARAM(7, 16));
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(gChanges.size(), atEnd);
}

TEST_F(SuperBarTest, ReleaseAddsItsStepToTheRepeatedOnesAndALostCaptureAddsNothing) {
    HWND right = part(kPartIdRightArrow);
    write(0);
    gChanges.clear();
    SendMessageW(right, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 16));
    ASSERT_TRUE(test::pumpUntil([] { return gChanges.size() >= 2; }, 5000));
    SendMessageW(right, WM_LBUTTONUP, 0, MAKELPARAM(7, 16));
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{10, 20, 30}));

    gChanges.clear();
    SendMessageW(right, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 16));
    SetCapture(form.window());  // someone else takes the mouse
    test::pumpFor(700);
    SendMessageW(right, WM_LBUTTONUP, 0, MAKELPARAM(7, 16));
    ReleaseCapture();
    EXPECT_TRUE(gChanges.empty());
    EXPECT_EQ(position(), 30);
}

TEST_F(SuperBarTest, TrackClickMovesTheThumbsMiddleToThePointer) {
    click(bar, WM_LBUTTONDOWN, WM_LBUTTONUP, 80, 16);  // d = 55 of 110
    EXPECT_EQ(position(), 50);
    click(bar, WM_LBUTTONDOWN, WM_LBUTTONUP, 30, 16);  // 4.545 -> 5
    EXPECT_EQ(position(), 5);
    click(bar, WM_LBUTTONDOWN, WM_LBUTTONUP, 16, 16);  // left of the first step
    EXPECT_EQ(position(), 0);
    // A press on the track that is released elsewhere is no click.
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 16));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(seenPositions(), (std::vector<int32_t>{50, 5, 0}));
}

TEST_F(SuperBarTest, PointerOverAPartMakesItHotUntilItLeaves) {
    HWND thumb = part(kPartIdThumb);
    SendMessageW(thumb, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(superBarPartLook(bar, SliderPart::Thumb), PartLook::Hot);
    SendMessageW(thumb, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(superBarPartLook(bar, SliderPart::Thumb), PartLook::Normal);
    SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(60, 16));
    EXPECT_EQ(superBarPartLook(bar, SliderPart::Track), PartLook::Hot);
}

// Real input, from another thread, while this one runs the move loop.
TEST_F(SuperBarTest, DraggedThumbSetsThePositionOnEveryMoveAndStaysOnItsAxis) {
    write(50);
    gChanges.clear();
    HWND thumb = part(kPartIdThumb);
    RECT rect;
    GetWindowRect(thumb, &rect);
    const int startX = rect.left + 10;
    const int y = rect.top + 16;
    std::atomic<bool> done{false};
    std::thread hand([&] {
        test::sendMouse(MOUSEEVENTF_MOVE, POINT{startX, y});
        Sleep(100);
        test::sendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        // Right by 22 px in steps of 2, wandering off the axis on the way.
        for (int step = 1; step <= 11; ++step) {
            test::sendMouse(MOUSEEVENTF_MOVE, POINT{startX + 2 * step, y + 3 * step});
            Sleep(40);
        }
        test::sendMouse(MOUSEEVENTF_MOVE, POINT{startX + 200, y});  // far past the right arrow
        Sleep(100);
        test::sendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    test::pumpUntil([&] { return done.load(); }, 20000);
    hand.join();
    test::pumpFor(300);

    EXPECT_EQ(position(), 100);
    EXPECT_EQ(partLeft(kPartIdThumb), 125);
    RECT after;
    GetWindowRect(thumb, &after);
    EXPECT_EQ(after.top, rect.top);  // never left its axis
    // Every move gave its own position: 70 + 2k px means trunc(100 (55 + 2k) / 110).
    ASSERT_GE(gChanges.size(), 6u);
    const std::vector<int32_t> seen = seenPositions();
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_NE(superBarPartLook(bar, SliderPart::Thumb), PartLook::Pressed);
}

TEST_F(SuperBarTest, PressOnTheThumbWithoutMovingKeepsThePosition) {
    write(57);
    gChanges.clear();
    HWND thumb = part(kPartIdThumb);
    RECT rect;
    GetWindowRect(thumb, &rect);
    std::atomic<bool> done{false};
    std::thread hand([&] {
        test::sendMouse(MOUSEEVENTF_MOVE, POINT{rect.left + 10, rect.top + 16});
        Sleep(100);
        test::sendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        test::sendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    test::pumpUntil([&] { return done.load(); }, 20000);
    hand.join();
    test::pumpFor(300);
    EXPECT_EQ(position(), 57);
    EXPECT_TRUE(gChanges.empty());
}

}  // namespace
