// The drop shadow: its arithmetic, the pictures it draws (read back from a
// DIB's alpha bytes), and the shadow window on the real main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/startup.h"
#include "base/embedded_data.h"
#include "base/gdi_owners.h"
#include "base/window_frame.h"
#include "shadow/shadow_drawing.h"
#include "shadow/shadow_geometry.h"
#include "shadow/shadow_picture.h"
#include "shadow/shadow_resources.h"
#include "shadow/wnd_shadow.h"
#include "test_support.h"
#include "ui/control_table.h"

namespace {

constexpr DWORD kTimeoutMs = 5000;

// --- arithmetic -------------------------------------------------------------

std::vector<int> alphasOfRings(int ringWidth) {
    std::vector<int> alphas;
    for (int i = 1; i <= ringWidth; ++i) alphas.push_back(ringAlpha(ringWidth, i));
    return alphas;
}

TEST(ShadowArithmetic, RingAlphasRiseInStepsOfAHundredOrAHundredAndFiftyOverS) {
    EXPECT_EQ(alphasOfRings(3), (std::vector<int>{33, 66, 99}));
    EXPECT_EQ(alphasOfRings(8), (std::vector<int>{12, 24, 36, 48, 60, 72, 84, 96}));
    EXPECT_EQ(alphasOfRings(9), (std::vector<int>{16, 32, 48, 64, 80, 96, 112, 128, 144}));
    EXPECT_EQ(alphasOfRings(10),
              (std::vector<int>{15, 30, 45, 60, 75, 90, 105, 120, 135, 150}));
    EXPECT_EQ(ringAlphaStep(151), 0);  // too wide to show at all

    EXPECT_EQ(ColorToArgb(RGB(0x11, 0x22, 0x33), 0x80), 0x80112233u);

    EXPECT_EQ(standardRingFor(5, RGB(0, 0, 0)), StandardRing::FivePixels);
    EXPECT_EQ(standardRingFor(10, RGB(0, 0, 0)), StandardRing::TenPixels);
    EXPECT_EQ(standardRingFor(10, RGB(0, 0, 1)), StandardRing::None);
    EXPECT_EQ(standardRingFor(3, RGB(0, 0, 0)), StandardRing::None);
}

TEST(ShadowArithmetic, ShadowBoxGrowsTheWindowBySOnEverySideAndSaturates) {
    const ShadowBox box = shadowBoxAround(RECT{255, 177, 1025, 622}, 5);
    EXPECT_EQ(box.left, 250);
    EXPECT_EQ(box.top, 172);
    EXPECT_EQ(box.width, 780);
    EXPECT_EQ(box.height, 455);
    const ShadowBox huge = shadowBoxAround(RECT{0, 0, 770, 445}, 2000000000);
    EXPECT_EQ(huge.left, -2000000000);
    EXPECT_EQ(huge.width, 2147483647);
}

TEST(ShadowArithmetic, NineSlicesKeepCornersUnscaledAndStretchEdgesAlongTheirEdge) {
    EXPECT_EQ(nineSliceMargin(100, 100), 20);
    EXPECT_EQ(nineSliceMargin(81, 100), 20);
    EXPECT_EQ(nineSliceMargin(80, 100), 10);
    EXPECT_EQ(nineSliceMargin(51, 51), 10);
    EXPECT_EQ(nineSliceMargin(100, 50), 5);

    // Source x, y, w, h in the 100 x 100 picture, then the destination in
    // the 780 x 455 shadow; row by row from the top left.
    const std::array<int, 8> expected[9] = {
        {0, 0, 20, 20, 0, 0, 20, 20},     {20, 0, 60, 20, 20, 0, 740, 20},
        {80, 0, 20, 20, 760, 0, 20, 20},  {0, 20, 20, 60, 0, 20, 20, 415},
        {20, 20, 60, 60, 20, 20, 740, 415}, {80, 20, 20, 60, 760, 20, 20, 415},
        {0, 80, 20, 20, 0, 435, 20, 20},  {20, 80, 60, 20, 20, 435, 740, 20},
        {80, 80, 20, 20, 760, 435, 20, 20}};
    const auto slices = nineSlices(100, 100, SliceRect{0, 0, 780, 455});
    for (size_t i = 0; i < slices.size(); ++i) {
        const SliceRect& from = slices[i].source;
        const SliceRect& to = slices[i].destination;
        EXPECT_EQ((std::array<int, 8>{from.x, from.y, from.width, from.height, to.x, to.y,
                                      to.width, to.height}),
                  expected[i])
            << "piece " << i;
    }
}

// --- pictures ---------------------------------------------------------------

// A bottom-up 32-bit DIB section, all zero, as the shadow draws into.
class Dib {
public:
    Dib(int width, int height) : width_(width), height_(height) {
        void* bits = nullptr;
        section_ = GdiBitmap(test::bottomUpSection(width, height, &bits));
        bits_ = static_cast<uint8_t*>(bits);
    }

    ShadowPixels pixels() { return bottomUpPixels(bits_, width_, height_); }
    // Byte 0 blue, 1 green, 2 red, 3 alpha; y counted from the top.
    int byte(int x, int y, int index) const {
        return bits_[(static_cast<size_t>(height_ - 1 - y) * width_ + x) * 4 + index];
    }
    int alpha(int x, int y) const { return byte(x, y, 3); }

    // Alphas from each edge's middle inward, outermost first.
    std::vector<int> ramp(char side, int count) const {
        std::vector<int> alphas;
        for (int k = 0; k < count; ++k) {
            switch (side) {
            case 't': alphas.push_back(alpha(width_ / 2, k)); break;
            case 'b': alphas.push_back(alpha(width_ / 2, height_ - 1 - k)); break;
            case 'l': alphas.push_back(alpha(k, height_ / 2)); break;
            default: alphas.push_back(alpha(width_ - 1 - k, height_ / 2)); break;
            }
        }
        return alphas;
    }

    // How many pixels inside the ring of width s are not fully transparent.
    int coloredInside(int s) const {
        int count = 0;
        for (int y = s; y < height_ - s; ++y)
            for (int x = s; x < width_ - s; ++x) count += alpha(x, y) != 0;
        return count;
    }

private:
    int width_;
    int height_;
    GdiBitmap section_;
    uint8_t* bits_ = nullptr;
};

class ShadowPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startGdiplus(); }
};

TEST_F(ShadowPictureTest, DefaultLookIsTheFivePixelRingWithItsCornersUnscaled) {
    Dib dib(780, 455);
    drawShadowPicture(dib.pixels(), RGB(0, 0, 0), 5);
    for (char side : {'t', 'b', 'l', 'r'}) {
        SCOPED_TRACE(side);
        EXPECT_EQ(dib.ramp(side, 6), (std::vector<int>{15, 31, 53, 79, 111, 0}));
    }
    EXPECT_EQ(dib.coloredInside(5), 0);

    // Each 20 x 20 corner is the picture's own corner, pixel for pixel.
    ShadowPicture& ring = programState().shadowRing5;
    ASSERT_NE(ring.image(), nullptr);
    EXPECT_EQ(ring.width(), 100u);
    EXPECT_EQ(ring.height(), 100u);
    auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(ring.image());
    int differing = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const int corners[4][4] = {{x, y, x, y},
                                       {80 + x, y, 760 + x, y},
                                       {x, 80 + y, x, 435 + y},
                                       {80 + x, 80 + y, 760 + x, 435 + y}};
            for (const auto& c : corners) {
                Gdiplus::ARGB pixel = 0;
                Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, c[0], c[1], &pixel);
                differing += static_cast<int>(pixel >> 24) != dib.alpha(c[2], c[3]);
            }
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(dib.alpha(0, 0), 0);

    // The holders are released at exit; a later draw would load them again.
    releaseProgramState();
    EXPECT_EQ(programState().shadowRing5.image(), nullptr);
    EXPECT_EQ(programState().shadowRing5.width(), 0u);
}

TEST_F(ShadowPictureTest, TenPixelsBlackIsTheTenPixelRingOtherLooksAreDrawnRingByRing) {
    Dib ten(780, 455);
    drawShadowPicture(ten.pixels(), RGB(0, 0, 0), 10);
    const std::vector<int> ramp{11, 19, 28, 40, 53, 68, 85, 105, 122};
    auto with = [&](int inner) {
        std::vector<int> all = ramp;
        all.push_back(inner);
        all.push_back(0);
        return all;
    };
    EXPECT_EQ(ten.ramp('t', 11), with(137));
    EXPECT_EQ(ten.ramp('l', 11), with(137));
    EXPECT_EQ(ten.ramp('r', 11), with(124));
    EXPECT_EQ(ten.ramp('b', 11), with(124));
    EXPECT_EQ(ten.coloredInside(10), 0);

    Dib thin(400, 300);
    drawShadowPicture(thin.pixels(), RGB(0, 0, 0), 3);
    for (char side : {'t', 'b', 'l', 'r'})
        EXPECT_EQ(thin.ramp(side, 4), (std::vector<int>{33, 66, 99, 0})) << side;
    EXPECT_EQ(thin.coloredInside(3), 0);

    // The picture is premultiplied, as a layered window takes it.
    const COLORREF colour = RGB(200, 100, 50);
    Dib coloured(400, 300);
    drawShadowPicture(coloured.pixels(), colour, 10);
    for (char side : {'t', 'b', 'l', 'r'}) {
        EXPECT_EQ(coloured.ramp(side, 11),
                  (std::vector<int>{15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 0}))
            << side;
    }
    EXPECT_EQ(coloured.coloredInside(10), 0);
    const int a = coloured.alpha(200, 9);
    EXPECT_NEAR(coloured.byte(200, 9, 2), 200 * a / 255, 2);
    EXPECT_NEAR(coloured.byte(200, 9, 1), 100 * a / 255, 2);
    EXPECT_NEAR(coloured.byte(200, 9, 0), 50 * a / 255, 2);
}

TEST_F(ShadowPictureTest, AtOtherScalesTheStandardRingsAreAsWideAsTheScaleMakesThem) {
    // The 5-pixel ring at 120, 144 and 192 dpi: 6, 8 and 10 pixels whose
    // alpha rises to the 1x ring's innermost value, nothing inside; at 192
    // it is the 2x picture itself, in between the 2x one resized.
    for (const auto& [dpi, ring] : {std::pair{120, 6}, std::pair{144, 8}, std::pair{192, 10}}) {
        SCOPED_TRACE(dpi);
        Dib dib(1540, 890);
        drawShadowPicture(dib.pixels(), RGB(0, 0, 0), 5, dpi);
        for (char side : {'t', 'b', 'l', 'r'}) {
            const std::vector<int> ramp = dib.ramp(side, ring + 1);
            EXPECT_GT(ramp[0], 0) << side;
            EXPECT_LT(ramp[0], 15) << side;
            EXPECT_TRUE(std::is_sorted(ramp.begin(), ramp.end() - 1)) << side;
            EXPECT_NEAR(ramp[ring - 1], 111, 8) << side;
            EXPECT_EQ(ramp[ring], 0) << side;
        }
        EXPECT_EQ(dib.coloredInside(ring), 0);
        EXPECT_EQ(dib.alpha(0, 0), 0);
        EXPECT_EQ(standardRingPicture(StandardRing::FivePixels, ring)->width(),
                  static_cast<UINT>(20 * ring));
    }
    // Made once per width and kept.
    EXPECT_EQ(standardRingPicture(StandardRing::FivePixels, 8),
              standardRingPicture(StandardRing::FivePixels, 8));
    Dib ten(1540, 890);
    drawShadowPicture(ten.pixels(), RGB(0, 0, 0), 10, 192);
    EXPECT_EQ(ten.ramp('t', 21)[19], 137);
    EXPECT_EQ(ten.ramp('r', 21)[19], 124);
    EXPECT_EQ(ten.coloredInside(20), 0);
    // A look drawn in code is drawn ring by ring at the scaled width.
    Dib thin(800, 600);
    drawShadowPicture(thin.pixels(), RGB(0, 0, 0), 3, 192);
    EXPECT_EQ(thin.ramp('l', 7), (std::vector<int>{16, 32, 48, 64, 80, 96, 0}));
}

TEST_F(ShadowPictureTest, HolderRefusesFourBytesOrLessAndReadsTheRingsSize) {
    const EmbeddedBlock ring = lockEmbeddedBlock(IDR_SHADOW_RING10);
    ASSERT_TRUE(ring);
    ShadowPicture picture;
    EXPECT_FALSE(picture.loadFromBytes(ring.data, 4));
    EXPECT_EQ(picture.image(), nullptr);
    const std::string junk(64, 'x');
    EXPECT_FALSE(picture.loadFromBytes(junk.data(), junk.size()));
    ASSERT_TRUE(picture.loadFromBytes(ring.data, ring.size));
    EXPECT_EQ(picture.width(), 100u);
    EXPECT_EQ(picture.height(), 100u);
    picture.release();
    EXPECT_EQ(picture.image(), nullptr);
    EXPECT_EQ(picture.width(), 0u);
}

// --- the shadow window ------------------------------------------------------

using PropertyList = std::map<std::string, intptr_t>;

BOOL CALLBACK collectHaloProperty(HWND, LPSTR name, HANDLE value, ULONG_PTR list) {
    const bool named = (reinterpret_cast<uintptr_t>(name) >> 16) != 0;
    if (named && std::string(name).rfind("Halyx.", 0) == 0)
        (*reinterpret_cast<PropertyList*>(list))[name] = reinterpret_cast<intptr_t>(value);
    return TRUE;
}

// The window's properties whose names start with "Halyx.".
PropertyList haloProperties(HWND window) {
    PropertyList found;
    EnumPropsExA(window, collectHaloProperty, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK collectShadowWindow(HWND window, LPARAM list) {
    wchar_t name[64];
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"Halyx.Shadow")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> shadowWindowsOfThisThread() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectShadowWindow,
                      reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT rectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::vector<long> grown(const RECT& rect, long s) {
    return {rect.left - s, rect.top - s, rect.right + s, rect.bottom + s};
}

std::vector<long> asList(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

LONG_PTR procedureOf(HWND window) {
    return GetWindowLongPtrW(window, GWLP_WNDPROC);
}

bool gGirlPressed = false;

int32_t girlPressed(const EventArgs&) {
    gGirlPressed = true;
    return 0;
}

const Binding kBindings[] = {{ids::girlHotSpot, kEventLeftButtonDown, girlPressed}};

// A plain window that records a press, for the ring to lie over.
bool gBeneathPressed = false;

LRESULT CALLBACK beneathProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) gBeneathPressed = true;
    return DefWindowProcW(window, message, wParam, lParam);
}

struct DestroyTheWindow {
    bool operator()(HWND window) const { return DestroyWindow(window) != FALSE; }
};

UniqueOwner<HWND, DestroyTheWindow> windowBeneath(const RECT& rect) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, L"heyu.test.Beneath", beneathProc,
                        LoadCursorW(nullptr, IDC_ARROW));
    HWND window = CreateWindowExW(0, L"heyu.test.Beneath", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    SetWindowPos(window, HWND_BOTTOM, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return UniqueOwner<HWND, DestroyTheWindow>(window);
}

TEST(ShadowWindow, LiesAroundTheWindowFollowsItAndHidesWhileMinimisedOrMaximised) {
    test::TestForm form(BindingTable{kBindings, std::size(kBindings)});
    HWND target = form.window();
    ASSERT_NE(target, nullptr);
    const LONG_PTR original = procedureOf(target);
    ASSERT_EQ(GetActiveWindow(), target);
    ASSERT_TRUE(SetWndShadow(target));
    EXPECT_EQ(GetActiveWindow(), target);  // attaching takes no activation away

    const std::vector<HWND> shadows = shadowWindowsOfThisThread();
    ASSERT_EQ(shadows.size(), 1u);
    HWND shadow = shadows[0];
    EXPECT_EQ(GetWindow(shadow, GW_OWNER), target);
    // Popup, visible, disabled; the system adds clip-siblings to every
    // top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(shadow, GWL_STYLE)) & ~DWORD{WS_CLIPSIBLINGS},
              0x98000000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(shadow, GWL_EXSTYLE)), 0x08080020u);
    EXPECT_EQ(haloProperties(target),
              (PropertyList{
                  {"Halyx.WndShadow", reinterpret_cast<intptr_t>(shadow)},
                  {"Halyx.WndShadow.Proc", static_cast<intptr_t>(original)}}));
    EXPECT_EQ(haloProperties(shadow), (PropertyList{
                                          {"Halyx.WndShadow.Color", 0},
                                          {"Halyx.WndShadow.Size", 5}}));
    EXPECT_TRUE(IsWindowVisible(shadow));
    const RECT shown = rectOf(target);
    EXPECT_EQ(shown.right - shown.left, 770);
    EXPECT_EQ(asList(rectOf(shadow)), grown(shown, 5));  // 780 x 455

    SetWindowPos(target, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(test::pumpUntil(
        [&] { return asList(rectOf(shadow)) == grown(RECT{100, 80, 870, 525}, 5); },
        kTimeoutMs));

    // Real clicks pass through the shadow: on its ring (alpha 53 there) to a
    // window beneath, and over the window to the girl's hot spot. The shadow
    // never becomes active.
    const auto beneath = windowBeneath(RECT{40, 80, 100, 525});
    SetForegroundWindow(target);
    test::clickAt(POINT{97, 300});
    EXPECT_TRUE(test::pumpUntil([] { return gBeneathPressed; }, kTimeoutMs));
    SetForegroundWindow(target);
    test::clickAt(POINT{100 + 450, 80 + 200});
    EXPECT_TRUE(test::pumpUntil([] { return gGirlPressed; }, kTimeoutMs));
    EXPECT_NE(GetForegroundWindow(), shadow);
    EXPECT_NE(GetActiveWindow(), shadow);

    const auto hiddenAfter = [&](int command) {
        ShowWindow(target, command);
        return test::pumpUntil([&] { return !IsWindowVisible(shadow); }, kTimeoutMs);
    };
    const auto backInPlace = [&] {
        ShowWindow(target, SW_RESTORE);
        return test::pumpUntil(
            [&] {
                // A window manager carries out a minimise or maximise when it
                // gets to it, which can be after the restore that follows at
                // once; Wine then takes the window to that state again, as
                // the desktop shows it. Restore it until it stays restored.
                if (IsIconic(target) || IsZoomed(target)) ShowWindow(target, SW_RESTORE);
                return IsWindowVisible(shadow) &&
                       asList(rectOf(shadow)) == grown(RECT{100, 80, 870, 525}, 5);
            },
            kTimeoutMs);
    };
    EXPECT_TRUE(hiddenAfter(SW_MINIMIZE));
    EXPECT_TRUE(backInPlace());
    EXPECT_TRUE(hiddenAfter(SW_MAXIMIZE));
    EXPECT_TRUE(backInPlace());
    EXPECT_TRUE(hiddenAfter(SW_HIDE));
}

TEST(ShadowWindow, SecondAttachOnlyChangesTheLookAndRemovalRestoresTheProcedureOnce) {
    EXPECT_FALSE(SetWndShadow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0001))));
    EXPECT_TRUE(shadowWindowsOfThisThread().empty());

    test::TestForm form(BindingTable{nullptr, 0});
    HWND target = form.window();
    const LONG_PTR original = procedureOf(target);
    ASSERT_TRUE(SetWndShadow(target));
    HWND shadow = shadowWindowsOfThisThread().at(0);
    const LONG_PTR subclassed = procedureOf(target);
    EXPECT_NE(subclassed, original);

    ASSERT_TRUE(SetWndShadow(target, RGB(200, 100, 50), 10));
    EXPECT_EQ(shadowWindowsOfThisThread(), std::vector<HWND>{shadow});
    EXPECT_EQ(procedureOf(target), subclassed);
    EXPECT_EQ(haloProperties(target)["Halyx.WndShadow.Proc"], static_cast<intptr_t>(original));
    EXPECT_EQ(haloProperties(shadow), (PropertyList{
                                          {"Halyx.WndShadow.Color", RGB(200, 100, 50)},
                                          {"Halyx.WndShadow.Size", 10}}));
    EXPECT_EQ(asList(rectOf(shadow)), grown(rectOf(target), 10));

    EXPECT_FALSE(SetWndShadow(target, std::nullopt, 0));
    EXPECT_FALSE(IsWindow(shadow));
    EXPECT_TRUE(haloProperties(target).empty());
    EXPECT_EQ(procedureOf(target), original);
    // Nothing is left to restore the second time.
    EXPECT_FALSE(SetWndShadow(target, std::nullopt, -3));
    EXPECT_EQ(procedureOf(target), original);
    EXPECT_TRUE(haloProperties(target).empty());
    EXPECT_TRUE(shadowWindowsOfThisThread().empty());
}

WNDPROC procedureBeneathLater = nullptr;
int laterCalls = 0;

LRESULT CALLBACK laterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++laterCalls;
    return CallWindowProcW(procedureBeneathLater, window, message, wParam, lParam);
}

TEST(ShadowWindow, RemovalBeneathALaterSubclassKeepsItAndTheChainWhole) {
    test::TestForm form(BindingTable{nullptr, 0});
    HWND target = form.window();
    ASSERT_TRUE(SetWndShadow(target));
    procedureBeneathLater = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterSubclass)));
    EXPECT_FALSE(SetWndShadow(target, std::nullopt, 0));
    EXPECT_TRUE(shadowWindowsOfThisThread().empty());
    EXPECT_EQ(procedureOf(target), reinterpret_cast<LONG_PTR>(laterSubclass));
    // Every message still passes both subclasses down to the window's own.
    laterCalls = 0;
    EXPECT_TRUE(SetWindowTextW(target, L"听泉"));
    wchar_t text[8] = {};
    GetWindowTextW(target, text, 8);
    EXPECT_STREQ(text, L"听泉");
    EXPECT_GE(laterCalls, 2);
    SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedureBeneathLater));
}

// Also run by CTest under a Western code page (see CMakeLists.txt), where an
// ANSI subclass would turn the Chinese text into question marks.
TEST(ShadowText, TheWindowStaysUnicodeAndItsTextReadsBackExactly) {
    if (const char* expected = std::getenv("HEYU_EXPECT_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    test::TestForm form(BindingTable{nullptr, 0});
    HWND target = form.window();
    ASSERT_TRUE(SetWndShadow(target));
    EXPECT_TRUE(IsWindowUnicode(target));
    wchar_t text[64] = {};
    GetWindowTextW(target, text, 64);
    EXPECT_STREQ(text, L"墨川大自然背景音");
    // A text no ANSI code page of the lab can spell (Thai after Chinese).
    const wchar_t* mixed = L"墨川 \u0E01\u0E02";
    SetWindowTextW(target, mixed);
    SendMessageW(target, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, mixed);
}

}  // namespace
