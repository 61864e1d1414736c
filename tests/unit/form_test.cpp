// The main window built from its definition: the window's own properties,
// the 29 controls, the order of its events, property access, closing, and
// a snapshot that shows the controls.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "overlay/mask.h"
#include "shadow/wnd_shadow.h"
#include "test_support.h"
#include "ui/control_table.h"
#include "ui/main_window.h"
#include "ui/super_bar.h"

namespace {

std::vector<std::string> gEvents;
bool gVisibleWhenCreated = true;
int32_t gAllowClose = 1;
EventArgs gPressArgs;

int32_t onCreated(const EventArgs&) {
    gEvents.push_back("created");
    gVisibleWhenCreated = IsWindowVisible(formWindow(ids::mainWindow)) != FALSE;
    return 0;
}
int32_t onFirstActivation(const EventArgs&) {
    gEvents.push_back("first activation");
    return 0;
}
int32_t onActivated(const EventArgs&) {
    gEvents.push_back("activated");
    return 0;
}
int32_t onCloseQuery(const EventArgs&) {
    gEvents.push_back("close query");
    return gAllowClose;
}
int32_t onPress(const EventArgs& args) {
    gEvents.push_back("press");
    gPressArgs = args;
    return 0;
}
int32_t onKey(const EventArgs& args) {
    gEvents.push_back("key " + std::to_string(args.key));
    return 0;
}
int32_t onContextMenu(const EventArgs& args) {
    gEvents.push_back("menu at " + std::to_string(args.x) + "," + std::to_string(args.y));
    return 0;
}
int32_t destroyWindow(const EventArgs&) {
    DestroyWindow(formWindow(ids::mainWindow));
    return 0;
}

const Binding kBindings[] = {
    {ids::mainWindowUnit, kEventCreated, onCreated},
    {ids::mainWindowUnit, kEventFirstActivation, onFirstActivation},
    {ids::mainWindowUnit, kEventActivated, onActivated},
    {ids::mainWindowUnit, kEventCloseQuery, onCloseQuery},
    {ids::girlHotSpot, kEventLeftButtonDown, onPress},
    {ids::volumeBar[2], kEventLeftButtonDown, onPress},
    {ids::mainWindowUnit, kEventKeyDown, onKey},
    {ids::mainWindowUnit, kEventContextMenu, onContextMenu},
};
constexpr BindingTable kTable{kBindings, std::size(kBindings)};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        gEvents.clear();
        gAllowClose = 1;
        form = std::make_unique<test::TestForm>(kTable);
        ASSERT_NE(form->window(), nullptr);
    }
    std::unique_ptr<test::TestForm> form;
};

std::wstring className(HWND window) {
    wchar_t name[64];
    GetClassNameW(window, name, 64);
    return name;
}

TEST(FormGeometry, CentresOnTheScreenAndGoesNegativeOnASmallOne) {
    EXPECT_EQ(centredOrigin(1280, 800, 770, 445).x, 255);
    EXPECT_EQ(centredOrigin(1280, 800, 770, 445).y, 177);
    EXPECT_EQ(centredOrigin(640, 400, 770, 445).x, -65);
    EXPECT_EQ(centredOrigin(640, 400, 770, 445).y, -22);  // -22.5 toward zero
}

TEST_F(FormTest, WindowIsABorderlessCentredPopupWithItsTextAndTaskbarButton) {
    HWND window = form->window();
    wchar_t text[64];
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"墨川大自然背景音");
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 770);
    EXPECT_EQ(rect.bottom - rect.top, 445);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 770) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 445) / 2);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 770);
    EXPECT_EQ(client.bottom, 445);

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(style & WS_POPUP);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(FormTest, ControlsFollowTheTableInZOrderWithTheirRectanglesAndVisibility) {
    const FormDefinition& definition = mainWindowDefinition();
    ASSERT_EQ(definition.rowCount, 29u);
    std::vector<HWND> zOrder;
    for (HWND child = GetWindow(form->window(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        zOrder.push_back(child);
    ASSERT_EQ(zOrder.size(), 29u);
    const wchar_t* classes[] = {L"heyu.TransLabel", L"heyu.SuperBar", L"heyu.MediaPlay",
                                L"heyu.Timer"};
    int visible = 0;
    int tabStops = 0;
    for (size_t i = 0; i < 29; ++i) {
        const ControlRow& row = definition.rows[i];
        SCOPED_TRACE(row.name);
        HWND control = zOrder[i];
        EXPECT_EQ(static_cast<uint32_t>(GetDlgCtrlID(control)), row.id);
        EXPECT_EQ(className(control), classes[static_cast<int>(row.kind)]);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, form->window(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, row.left);
        EXPECT_EQ(rect.top, row.top);
        EXPECT_EQ(rect.right - rect.left, row.width);
        EXPECT_EQ(rect.bottom - rect.top, row.height);
        EXPECT_EQ(IsWindowVisible(control) != FALSE, row.visible);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, row.kind == ControlKind::SuperBar);
        EXPECT_FALSE(style & WS_DISABLED);
        if (row.kind == ControlKind::TransLabel) {
            EXPECT_TRUE(GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
            EXPECT_TRUE(style & WS_CLIPSIBLINGS);
        }
        visible += row.visible;
        tabStops += (style & WS_TABSTOP) != 0;
    }
    EXPECT_EQ(visible, 22);
    EXPECT_EQ(tabStops, 6);
    EXPECT_STREQ(definition.rows[0].name, "brandLabel");
    EXPECT_STREQ(definition.rows[28].name, "player1");
}

TEST_F(FormTest, LabelsShowTheirCursorsAndHotSpotsTakePressesWhereNothingIsDrawn) {
    struct Expected {
        uint32_t id;
        LPCWSTR cursor;
    };
    const Expected expected[] = {{ids::brandLabel, IDC_HAND}, {ids::boyHotSpot, IDC_HAND},
                                 {ids::helpLabel, IDC_HELP}, {ids::closeLabel, IDC_HAND},
                                 {ids::channelLabel[0], IDC_ARROW}};
    for (const Expected& e : expected) {
        HWND label = form->control(e.id);
        SetCursor(nullptr);
        SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, e.cursor)) << std::hex << e.id;
    }

    // The pointer over the girl finds her hot spot, not the picture.
    HWND girl = form->control(ids::girlHotSpot);
    POINT point{427 + 20, 120 + 70};
    ClientToScreen(form->window(), &point);
    EXPECT_EQ(WindowFromPoint(point), girl);
    // The close label reaches above the window; only its inside takes clicks.
    POINT corner{750, 0};
    ClientToScreen(form->window(), &corner);
    EXPECT_EQ(WindowFromPoint(corner), form->control(ids::closeLabel));

    SendMessageW(girl, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL | MK_SHIFT, MAKELPARAM(3, 140));
    EXPECT_EQ(gEvents.back(), "press");
    EXPECT_EQ(gPressArgs.x, 3);
    EXPECT_EQ(gPressArgs.y, 140);
    EXPECT_EQ(gPressArgs.keys, kKeyControl | kKeyShift);

    // A slider's press event gives the point in the slider's coordinates.
    HWND arrow = GetDlgItem(form->control(ids::volumeBar[2]), 2);
    SendMessageW(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 5));
    SendMessageW(arrow, WM_LBUTTONUP, 0, MAKELPARAM(4, 5));
    EXPECT_EQ(gPressArgs.x, 145 + 4);
    EXPECT_EQ(gPressArgs.y, 5);
}

TEST_F(FormTest, CreatedRunsWhileHiddenAndFirstActivationOnceBeforeActivated) {
    EXPECT_FALSE(gVisibleWhenCreated);
    EXPECT_TRUE(IsWindowVisible(form->window()));
    ASSERT_TRUE(test::pumpUntil([] { return gEvents.size() >= 3; }, 5000));
    EXPECT_EQ(gEvents[0], "created");
    EXPECT_EQ(gEvents[1], "first activation");
    EXPECT_EQ(gEvents[2], "activated");

    // Activated again later: only the ordinary event.
    SendMessageW(form->window(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(form->window(), WM_ACTIVATE, WA_ACTIVE, 0);
    test::pumpFor(100);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"created", "first activation", "activated",
                                                 "activated"}));
}

TEST_F(FormTest, TheCloseQueryDecidesAndEscapeAsksIt) {
    gAllowClose = 0;
    SendMessageW(form->window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(form->window()));
    EXPECT_EQ(gEvents.back(), "close query");

    gEvents.clear();
    gAllowClose = 1;
    SendMessageW(form->window(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(gEvents, std::vector<std::string>{"close query"});
    EXPECT_FALSE(IsWindow(form->window()));
    EXPECT_EQ(formWindow(ids::mainWindow), nullptr);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

// What no control uses reaches the window's events: keys a slider has no use
// for, and a context menu asked for anywhere but on a slider.
TEST_F(FormTest, KeysAndContextMenusNoControlUsesAreTheWindows) {
    HWND bar = controlWindow(ids::mainWindow, ids::volumeBar[0]);
    HWND label = controlWindow(ids::mainWindow, ids::girlHotSpot);
    gEvents.clear();
    SendMessageW(form->window(), WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(bar, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(bar, WM_KEYDOWN, VK_LEFT, 1);  // the slider's own: it moves
    EXPECT_EQ(getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition),
              kSuperBarInitialPosition - kSuperBarClickStep);
    SendMessageW(bar, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar), MAKELPARAM(10, 20));
    SendMessageW(label, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(label), MAKELPARAM(30, 40));
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 32", "key 32", "menu at 30,40"}));
}

int32_t throwLogicError(const EventArgs&) {
    throw std::logic_error("a handler's fault");
}
int32_t throwBadAlloc(const EventArgs&) {
    throw std::bad_alloc();
}

// A handler that throws (an .at() out of range, an allocation that fails)
// costs only its own message: the exception never reaches the system's
// frames, where it would end the process.
TEST(FormGuard, AThrowingHandlerLeavesTheProcessAndTheWindowWorking) {
    gEvents.clear();
    const Binding bindings[] = {
        {ids::mainWindowUnit, kEventKeyDown, throwLogicError},
        {ids::volumeBar[0], kEventPositionChanged, throwBadAlloc},
        {ids::girlHotSpot, kEventLeftButtonDown, onPress},
    };
    test::TestForm form(BindingTable{bindings, std::size(bindings)});
    HWND window = form.window();
    ASSERT_NE(window, nullptr);

    // A slider's write raises its event inside the write: the slider goes on.
    EXPECT_TRUE(setProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition, 40));
    EXPECT_EQ(getProperty(ids::mainWindow, ids::volumeBar[0], kPropertyPosition), 40);

    // Through the shadow's and the mask's subclass procedures on the way.
    ASSERT_TRUE(SetWndShadow(window));
    ASSERT_NE(ShowMask(window), nullptr);
    SendMessageW(window, WM_KEYDOWN, 'K', 1);
    SendMessageW(form.control(ids::girlHotSpot), WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
    RemoveMask();
    EXPECT_EQ(gEvents, std::vector<std::string>{"press"});
    SetWindowPos(window, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT shadow{};
    GetWindowRect(static_cast<HWND>(GetPropA(window, "Halyx.WndShadow")), &shadow);
    EXPECT_EQ(shadow.left, 35);
    EXPECT_EQ(shadow.top, 25);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(FormTest, WindowStatePropertyMinimisesAndReportsIt) {
    EXPECT_EQ(getProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyWindowState), 0);
    EXPECT_TRUE(setProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyWindowState, 2));
    EXPECT_TRUE(IsIconic(form->window()));
    EXPECT_EQ(getProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyWindowState), 2);
    EXPECT_TRUE(setProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyWindowState, 0));
    EXPECT_FALSE(IsIconic(form->window()));
    // Unknown windows, controls and properties.
    EXPECT_FALSE(setProperty(0x52010002, ids::mainWindowUnit, kPropertyWindowState, 2));
    EXPECT_FALSE(setProperty(ids::mainWindow, 0x16019999, kPropertyPosition, 2));
    EXPECT_FALSE(setProperty(ids::mainWindow, ids::brandLabel, kPropertyPosition, 2));
    EXPECT_EQ(getProperty(ids::mainWindow, ids::volumeBar[0], 99), 0);
}

TEST(FormLoad, ACreatedHandlerThatDestroysTheWindowStopsTheLoad) {
    const Binding destroying[] = {{ids::mainWindowUnit, kEventCreated, destroyWindow}};
    test::TestForm form(BindingTable{destroying, 1});
    EXPECT_EQ(form.window(), nullptr);
    EXPECT_EQ(formWindow(ids::mainWindow), nullptr);
}

// The client area as a 32-bit top-down picture.
std::vector<uint32_t> pixels(HDC source, int width, int height) {
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> out(static_cast<const uint32_t*>(bits),
                              static_cast<const uint32_t*>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return out;
}

std::vector<uint32_t> printed(HWND window, int width, int height) {
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PrintWindow(window, memory, PW_CLIENTONLY);
    std::vector<uint32_t> out = pixels(memory, width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return out;
}

// Near-white pixels: the edges of smoothed glyphs are blended with the picture.
int whitePixelsIn(const std::vector<uint32_t>& picture, int width, RECT area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const uint32_t p = picture[y * width + x];
            count += (p & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) > 200;
        }
    return count;
}

TEST_F(FormTest, ASnapshotOfTheClientAreaShowsWhatTheScreenShows) {
    HWND window = form->window();
    setProperty(ids::mainWindow, ids::volumeBar[3], kPropertyPosition, 30);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    test::pumpFor(200);
    HDC dc = GetDC(window);
    const std::vector<uint32_t> screen = pixels(dc, 770, 445);
    ReleaseDC(window, dc);
    const std::vector<uint32_t> snapshot = printed(window, 770, 445);

    int different = 0;
    for (size_t i = 0; i < screen.size(); ++i)
        different += (screen[i] & 0xFFFFFF) != (snapshot[i] & 0xFFFFFF);
    EXPECT_LT(different, 770 * 445 / 1000) << different << " pixels differ";
    // The white channel names are in it, and the glyphs.
    EXPECT_GT(whitePixelsIn(snapshot, 770, RECT{45, 40, 109, 72}), 20);
    EXPECT_GT(whitePixelsIn(snapshot, 770, RECT{740, 0, 764, 31}), 5);
    // The moved thumb stands where the screen shows it.
    for (int x = 113; x < 273; ++x)
        EXPECT_EQ(screen[(127 + 16) * 770 + x] & 0xFFFFFF, snapshot[(127 + 16) * 770 + x] & 0xFFFFFF)
            << "x " << x;
}

}  // namespace
