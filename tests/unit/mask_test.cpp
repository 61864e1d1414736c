// The mask overlay on real windows: where a mask lies and what it shows,
// its opacity, replacing and removing masks, the subclassing and its
// undoing, the covered window's end and moves, a hole, and the picture of
// the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/startup.h"
#include "base/gdi_owners.h"
#include "overlay/blur.h"
#include "overlay/mask.h"
#include "test_support.h"
#include "ui/control_protocol.h"
#include "ui/control_table.h"

namespace {

constexpr DWORD kTimeoutMs = 5000;
constexpr UINT kAskProcedure = WM_APP + 0x51;  // a plain window answers kPlainAnswer
constexpr LRESULT kPlainAnswer = 42;

// A window of two colours (left half, right half) that paints the same way
// for WM_PAINT and WM_PRINTCLIENT, counts presses and notes what it sees of
// its mask when its own WM_DESTROY handling runs.
struct PlainWindow {
    PlainWindow(RECT rect, COLORREF left, HWND parent = nullptr, COLORREF right = CLR_INVALID);
    ~PlainWindow() {
        if (IsWindow(window)) DestroyWindow(window);
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND window = nullptr;
    COLORREF left;
    COLORREF right;
    int presses = 0;
    bool destroyed = false;
    bool maskAliveAtDestroy = false;
    HANDLE maskPropertyAtDestroy = nullptr;
    HDC watchedDc = nullptr;  // a mask's picture, looked at during WM_DESTROY
    DWORD watchedDcTypeAtDestroy = 0;
    HWND watchedMask = nullptr;
};

void paintPlain(const PlainWindow& plain, HDC dc) {
    RECT rect;
    GetClientRect(plain.window, &rect);
    GdiObject<HBRUSH> leftBrush(CreateSolidBrush(plain.left));
    GdiObject<HBRUSH> rightBrush(CreateSolidBrush(plain.right));
    const int middle = rect.right / 2;
    const RECT leftHalf{0, 0, middle, rect.bottom};
    const RECT rightHalf{middle, 0, rect.right, rect.bottom};
    FillRect(dc, &leftHalf, leftBrush.get());
    FillRect(dc, &rightHalf, rightBrush.get());
}

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* plain = reinterpret_cast<PlainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        plain = static_cast<PlainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        plain->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(plain));
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(window);
        if (plain) paintPlain(*plain, paint.dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        if (plain) paintPlain(*plain, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        if (plain) ++plain->presses;
        return 0;
    case kAskProcedure:
        return kPlainAnswer;
    case WM_DESTROY:
        if (plain) {
            plain->destroyed = true;
            plain->maskAliveAtDestroy = IsWindow(plain->watchedMask) != FALSE;
            plain->maskPropertyAtDestroy = GetPropA(window, "HalyxMask_hWnd");
            plain->watchedDcTypeAtDestroy = GetObjectType(plain->watchedDc);
        }
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

PlainWindow::PlainWindow(RECT rect, COLORREF leftColour, HWND parent, COLORREF rightColour)
    : left(leftColour), right(rightColour == CLR_INVALID ? leftColour : rightColour) {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = plainProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = L"heyu.test.Plain";
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
    // Top-level test windows stay above anything else on the test display.
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS : WS_POPUP | WS_VISIBLE;
    CreateWindowExW(parent ? 0 : WS_EX_TOPMOST, L"heyu.test.Plain", L"", style, rect.left,
                    rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                    GetModuleHandleW(nullptr), this);
    UpdateWindow(window);
}

RECT screenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT clientOnScreen(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

BOOL CALLBACK collectMaskProperty(HWND, LPSTR name, HANDLE, ULONG_PTR found) {
    const bool isAtom = (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
    if (!isAtom && std::string(name).rfind("HalyxMask_", 0) == 0)
        reinterpret_cast<std::vector<std::string>*>(found)->push_back(name);
    return TRUE;
}

// The window's "HalyxMask_" properties by name, sorted.
std::vector<std::string> maskProperties(HWND window) {
    std::vector<std::string> names;
    EnumPropsExA(window, collectMaskProperty, reinterpret_cast<LPARAM>(&names));
    std::sort(names.begin(), names.end());
    return names;
}

// A procedure that another module installs over the mask's.
LONG_PTR gBelowAbove = 0;
int gSeenAbove = 0;
LRESULT CALLBACK procedureAbove(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAskProcedure) ++gSeenAbove;
    return CallWindowProcW(reinterpret_cast<WNDPROC>(gBelowAbove), window, message, wParam,
                           lParam);
}

void startGdiplusOnce() {
    static const bool started = (startGdiplus(), true);
    (void)started;
}

// Pixels as 0x00RRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

Picture copyOf(HDC source, int x, int y, int width, int height) {
    Picture picture{width, height, {}};
    void* bits = nullptr;
    GdiBitmap bitmap(createPictureBitmap(width, height, &bits));
    MemoryDc memory(nullptr);
    {
        SelectedObject selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY);
        GdiFlush();
    }
    const auto* first = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(first, first + width * height);
    for (uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFF;
    return picture;
}

// What the mask paints: its cached picture.
Picture cachedPicture(HWND mask) {
    RECT client;
    GetClientRect(mask, &client);
    return copyOf(static_cast<HDC>(GetPropA(mask, "HalyxMask_hCacheDC")), 0, 0, client.right,
                  client.bottom);
}

int channel(uint32_t pixel, int which) {
    return static_cast<int>((pixel >> (8 * which)) & 0xFF);
}

// The largest difference of any channel of any pixel.
int largestDifference(const Picture& a, const Picture& b) {
    int largest = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int c = 0; c < 3; ++c)
            largest = std::max(largest, std::abs(channel(a.pixels[i], c) - channel(b.pixels[i], c)));
    return largest;
}

double meanBrightness(const Picture& picture) {
    double sum = 0;
    for (uint32_t pixel : picture.pixels) sum += channel(pixel, 0) + channel(pixel, 1) + channel(pixel, 2);
    return sum / (3.0 * picture.pixels.size());
}

// How much neighbouring pixels differ, summed: a sharp picture scores high,
// a blurred one low.
double edgeEnergy(const Picture& picture) {
    double sum = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 1; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(channel(picture.at(x, y), c) - channel(picture.at(x - 1, y), c));
    return sum;
}

int grey(uint32_t pixel) {
    return channel(pixel, 1);
}

class MaskTest : public ::testing::Test {
protected:
    void SetUp() override { startGdiplusOnce(); }
    void TearDown() override {
        RemoveMask();
        programState().maskList.clear();
    }
};

TEST_F(MaskTest, ShowMaskLaysABlurredChildOverExactlyTheClientAreaKeeping205Of255) {
    PlainWindow window(RECT{100, 100, 500, 400}, RGB(200, 200, 200));
    HWND mask = ShowMask(window.window);
    ASSERT_NE(mask, nullptr);
    wchar_t name[32];
    GetClassNameW(mask, name, 32);
    EXPECT_STREQ(name, L"HalyxMask");
    EXPECT_EQ(GetParent(mask), window.window);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(mask, GWL_STYLE)), DWORD{WS_CHILD | WS_VISIBLE});
    EXPECT_EQ(GetWindowLongW(mask, GWL_EXSTYLE), 0);
    EXPECT_TRUE(sameRect(screenRect(mask), clientOnScreen(window.window)));
    EXPECT_EQ(GetPropA(window.window, "HalyxMask_hWnd"), mask);
    EXPECT_EQ(maskProperties(mask),
              (std::vector<std::string>{"HalyxMask_Blur", "HalyxMask_Rgn", "HalyxMask_hCacheBitmap",
                                        "HalyxMask_hCacheDC", "HalyxMask_hCacheOldBitmap"}));
    EXPECT_EQ(GetPropA(mask, "HalyxMask_Blur"), reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(GetPropA(mask, "HalyxMask_Rgn"), nullptr);
    EXPECT_EQ(programState().maskList, std::vector<HWND>{mask});
    // Black at 50 over grey 200: 200 * 205 / 255 = 160.8.
    EXPECT_NEAR(grey(cachedPicture(mask).at(200, 150)), 161, 1);

    RemoveMask();
    EXPECT_FALSE(IsWindow(mask));
    EXPECT_TRUE(programState().maskList.empty());
}

TEST_F(MaskTest, OpacityDefaultsTo150IsClampedAndANewMaskReplacesTheOld) {
    // White blended over black at opacity a gives the grey a.
    PlainWindow black(RECT{100, 100, 300, 250}, RGB(0, 0, 0));
    const struct {
        std::optional<int> asked;
        int grey;
    } cases[] = {{std::nullopt, 150}, {-5, 0}, {300, 255}, {100, 100}};
    HWND previous = nullptr;
    HDC previousPicture = nullptr;
    for (const auto& each : cases) {
        HWND mask = CreateMask(black.window, nullptr, false, false, RGB(255, 255, 255), each.asked);
        ASSERT_NE(mask, nullptr);
        auto* picture = static_cast<HDC>(GetPropA(mask, "HalyxMask_hCacheDC"));
        EXPECT_NEAR(grey(cachedPicture(mask).at(100, 75)), each.grey, 1);
        if (previous) {
            EXPECT_FALSE(IsWindow(previous));
            ASSERT_NE(picture, previousPicture);
            EXPECT_EQ(GetObjectType(previousPicture), 0u);  // freed with its mask
        }
        EXPECT_EQ(programState().maskList, std::vector<HWND>{mask});
        previous = mask;
        previousPicture = picture;
    }

    // The blurred mode tints with black whatever colour is asked for, and is
    // always a child: 300 gives plain black, -5 the picture alone.
    PlainWindow grey128(RECT{100, 100, 300, 250}, RGB(128, 128, 128));
    HWND mask = CreateMask(grey128.window, nullptr, true, false, RGB(255, 255, 255), 300);
    EXPECT_EQ(grey(cachedPicture(mask).at(100, 75)), 0);
    mask = CreateMask(grey128.window, nullptr, true, true, RGB(255, 255, 255), -5);
    EXPECT_NEAR(grey(cachedPicture(mask).at(100, 75)), 128, 1);
    EXPECT_EQ(GetParent(mask), grey128.window);
    EXPECT_EQ(CreateMask(nullptr, nullptr, true, false, 0), nullptr);
}

TEST_F(MaskTest, ABlurredMaskAskedForOverAControlCoversTheWholeTopLevelWindow) {
    PlainWindow top(RECT{100, 100, 500, 400}, RGB(30, 60, 90));
    PlainWindow control(RECT{20, 20, 120, 60}, RGB(250, 250, 250), top.window);
    HWND mask = ShowMask(control.window);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(GetParent(mask), top.window);
    EXPECT_TRUE(sameRect(screenRect(mask), clientOnScreen(top.window)));
    EXPECT_EQ(GetWindow(top.window, GW_CHILD), mask);  // above the control
    EXPECT_TRUE(maskProperties(control.window).empty());
    EXPECT_EQ(GetPropA(top.window, "HalyxMask_hWnd"), mask);
}

// The picture covers the whole mask, so nothing beneath it is erased: the
// class's black would show before it on a slow machine.
TEST_F(MaskTest, AMaskWithItsPictureErasesNothing) {
    PlainWindow covered(RECT{100, 100, 300, 200}, RGB(255, 255, 255));
    HWND mask = ShowMask(covered.window);
    ASSERT_NE(mask, nullptr);
    MemoryDc memory(nullptr);
    void* bits = nullptr;
    GdiBitmap target(createPictureBitmap(4, 4, &bits));
    SelectedObject selected(memory.get(), target.get());
    std::fill_n(static_cast<uint32_t*>(bits), 16, 0x00123456u);
    EXPECT_EQ(SendMessageW(mask, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.get()), 0), 1);
    GdiFlush();
    EXPECT_EQ(static_cast<uint32_t*>(bits)[5], 0x00123456u);
}

TEST(Blur, APictureGoesThroughAQuarterAndOneTooLowForThatIsLeftSharp) {
    EXPECT_EQ(blurShrunkSize(1000, 300, 0).cx, 250);
    EXPECT_EQ(blurShrunkSize(1000, 300, 0).cy, 75);
    EXPECT_EQ(blurShrunkSize(1000, 300, 3).cx, 166);  // factor 6
    EXPECT_EQ(blurShrunkSize(1000, 3, 0).cy, 0);

    // White left half, black right half: the edge goes soft, the far sides
    // keep their colours.
    const auto halves = [](std::vector<uint32_t>& pixels, int width) {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<int>(i % width) < width / 2 ? 0xFFFFFF : 0;
    };
    std::vector<uint32_t> soft(1000 * 300);
    halves(soft, 1000);
    ASSERT_TRUE(blurPixels(soft.data(), 1000, 300, 1000 * 4));
    const auto greyAt = [&](int x, int y) { return soft[y * 1000 + x] & 0xFF; };
    EXPECT_EQ(greyAt(100, 150), 255u);
    EXPECT_EQ(greyAt(900, 150), 0u);
    int between = 0;
    for (int x = 490; x < 510; ++x)
        if (greyAt(x, 150) > 10 && greyAt(x, 150) < 245) ++between;
    EXPECT_GE(between, 3);

    std::vector<uint32_t> low(1000 * 3);
    halves(low, 1000);
    const std::vector<uint32_t> given = low;
    EXPECT_FALSE(blurPixels(low.data(), 1000, 3, 1000 * 4));
    EXPECT_EQ(low, given);
    // A mask over a window that low shows it sharp, only darkened.
    startGdiplusOnce();
    PlainWindow lowWindow(RECT{100, 100, 300, 103}, RGB(255, 255, 255), nullptr, RGB(0, 0, 0));
    HWND mask = ShowMask(lowWindow.window);
    ASSERT_NE(mask, nullptr);
    const Picture masked = cachedPicture(mask);
    EXPECT_NEAR(grey(masked.at(99, 1)), 205, 1);
    EXPECT_EQ(grey(masked.at(100, 1)), 0);
    RemoveMask();
}

// Known pictures of 16 x 16 through the 4 x 4 blocks: each small pixel is
// the mean of its block, and the enlarge blends the two nearest small pixels
// by distance, centre over centre, holding the edge pixels beyond.
TEST(Blur, EachBlockIsAveragedAndEnlargedBilinearly) {
    constexpr int kSide = 16;
    const auto blurred = [](auto colourAt) {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) pixels.push_back(colourAt(x, y));
        EXPECT_TRUE(blurPixels(pixels.data(), kSide, kSide, kSide * 4));
        return Picture{kSide, kSide, pixels};
    };
    const auto row = [](const Picture& picture, int y, int which) {
        std::vector<int> values;
        for (int x = 0; x < picture.width; ++x) values.push_back(channel(picture.at(x, y), which));
        return values;
    };
    const auto column = [](const Picture& picture, int x, int which) {
        std::vector<int> values;
        for (int y = 0; y < picture.height; ++y) values.push_back(channel(picture.at(x, y), which));
        return values;
    };

    // A sharp edge between white and black goes soft over the two blocks
    // beside it, the same on every row.
    const Picture edge = blurred([](int x, int) { return x < 8 ? 0xFFFFFFu : 0u; });
    const std::vector<int> softEdge{255, 255, 255, 255, 255, 255, 223, 159, 96, 32, 0, 0, 0, 0, 0, 0};
    for (int y : {0, 7, 15}) EXPECT_EQ(row(edge, y, 1), softEdge) << "row " << y;

    // One-pixel lines, a green one down column 5 and a red one along row 10:
    // each fills a quarter of its blocks, so their mean is 64 (a sampling
    // shrink would read 255 or 0), spread over 8 pixels; the channels keep
    // apart and the fourth byte is 0.
    const Picture lines = blurred([](int x, int y) {
        return (x == 5 ? 0x00FF00u : 0u) | (y == 10 ? 0xFF0000u : 0u) | 0xFF000000u;
    });
    const std::vector<int> acrossGreen{0, 0, 8, 24, 40, 56, 56, 40, 24, 8, 0, 0, 0, 0, 0, 0};
    const std::vector<int> downRed{0, 0, 0, 0, 0, 0, 8, 24, 40, 56, 56, 40, 24, 8, 0, 0};
    for (int at : {0, 10, 15}) {
        EXPECT_EQ(row(lines, at, 1), acrossGreen) << "row " << at;
        EXPECT_EQ(column(lines, at, 2), downRed) << "column " << at;
        EXPECT_EQ(row(lines, at, 0), std::vector<int>(kSide, 0));
        EXPECT_EQ(row(lines, at, 3), std::vector<int>(kSide, 0));
    }

    // Sides that are no multiple of 4: every pixel counts once, so an even
    // colour stays exactly as it was up to the edges.
    std::vector<uint32_t> even(771 * 446, 0x336699);
    ASSERT_TRUE(blurPixels(even.data(), 771, 446, 771 * 4));
    EXPECT_EQ(std::count(even.begin(), even.end(), 0x336699u), 771 * 446);
}

TEST_F(MaskTest, RemovalActsOnMasksOfThisModuleOnlyAndTheListHoldsOnlyLiveOnes) {
    PlainWindow window(RECT{100, 100, 300, 250}, RGB(90, 90, 90));
    HWND mask = ShowMask(window.window);
    ASSERT_NE(mask, nullptr);
    programState().maskList.clear();  // as though its entry were gone
    RemoveMask();                     // an empty list: nothing happens
    EXPECT_TRUE(IsWindow(mask));
    RemoveMask(mask);  // not listed, destroyed all the same
    EXPECT_FALSE(IsWindow(mask));
    RemoveMask(window.window);  // not a mask: left alone
    EXPECT_TRUE(IsWindow(window.window));

    // Whatever destroys a mask takes its entry out of the list at once, so
    // a later removal of all can never reach a handle the system has given
    // to another window since.
    {
        PlainWindow doomed(RECT{100, 100, 300, 250}, RGB(90, 90, 90));
        ShowMask(doomed.window);
    }
    EXPECT_TRUE(programState().maskList.empty());
    HWND replaced = ShowMask(window.window);
    HWND replacing = ShowMask(window.window);
    EXPECT_FALSE(IsWindow(replaced));
    EXPECT_EQ(programState().maskList, std::vector<HWND>{replacing});
    DestroyWindow(replacing);
    EXPECT_TRUE(programState().maskList.empty());
    EXPECT_TRUE(maskProperties(window.window).empty());
}

TEST_F(MaskTest, TheLastRemovalLeavesNoPropertyAndGivesEachWindowItsProcedureBack) {
    PlainWindow top(RECT{100, 100, 400, 300}, RGB(10, 20, 30));
    PlainWindow control(RECT{20, 20, 120, 60}, RGB(200, 100, 0), top.window);
    const LONG_PTR topProcedure = GetWindowLongPtrW(top.window, GWLP_WNDPROC);
    const LONG_PTR controlProcedure = GetWindowLongPtrW(control.window, GWLP_WNDPROC);

    // A plain tint lies on the control itself; the control and its parent
    // are subclassed. The top-level window then gets a mask of its own.
    HWND onControl = CreateMask(control.window, nullptr, false, false, RGB(0, 0, 255), 80);
    ASSERT_NE(onControl, nullptr);
    EXPECT_EQ(GetParent(onControl), control.window);
    EXPECT_NE(GetWindowLongPtrW(control.window, GWLP_WNDPROC), controlProcedure);
    EXPECT_NE(GetWindowLongPtrW(top.window, GWLP_WNDPROC), topProcedure);
    EXPECT_EQ(GetPropA(control.window, "HalyxMask_Proc"), reinterpret_cast<HANDLE>(controlProcedure));
    EXPECT_EQ(GetPropA(top.window, "HalyxMask_Proc"), reinterpret_cast<HANDLE>(topProcedure));
    HWND onTop = ShowMask(top.window);
    ASSERT_NE(onTop, nullptr);

    // The control lets go; its parent, still masked, stays subclassed.
    RemoveMask(onControl);
    EXPECT_TRUE(maskProperties(control.window).empty());
    EXPECT_EQ(GetWindowLongPtrW(control.window, GWLP_WNDPROC), controlProcedure);
    EXPECT_EQ(maskProperties(top.window),
              (std::vector<std::string>{"HalyxMask_Proc", "HalyxMask_hWnd"}));
    EXPECT_EQ(SendMessageW(top.window, kAskProcedure, 0, 0), kPlainAnswer);

    RemoveMask(onTop);
    EXPECT_TRUE(maskProperties(top.window).empty());
    EXPECT_EQ(GetWindowLongPtrW(top.window, GWLP_WNDPROC), topProcedure);

    // A procedure installed over the mask's is not cut out when the mask
    // goes: the chain still reaches the window's own procedure.
    ShowMask(top.window);
    const LONG_PTR above = reinterpret_cast<LONG_PTR>(&procedureAbove);
    gBelowAbove = SetWindowLongPtrW(top.window, GWLP_WNDPROC, above);
    RemoveMask();
    EXPECT_EQ(GetWindowLongPtrW(top.window, GWLP_WNDPROC), above);
    EXPECT_EQ(SendMessageW(top.window, kAskProcedure, 0, 0), kPlainAnswer);
    EXPECT_EQ(gSeenAbove, 1);
    EXPECT_EQ(GetPropA(top.window, "HalyxMask_hWnd"), nullptr);
}

TEST_F(MaskTest, TheCoveredWindowsEndFreesTheMaskBeforeItsOwnDestroyHandlingRuns) {
    PlainWindow window(RECT{100, 100, 300, 250}, RGB(90, 90, 90));
    window.watchedMask = ShowMask(window.window);
    ASSERT_NE(window.watchedMask, nullptr);
    window.watchedDc = static_cast<HDC>(GetPropA(window.watchedMask, "HalyxMask_hCacheDC"));
    ASSERT_EQ(GetObjectType(window.watchedDc), DWORD{OBJ_MEMDC});
    DestroyWindow(window.window);
    ASSERT_TRUE(window.destroyed);
    EXPECT_FALSE(window.maskAliveAtDestroy);
    EXPECT_EQ(window.maskPropertyAtDestroy, nullptr);
    EXPECT_EQ(window.watchedDcTypeAtDestroy, 0u);
    EXPECT_TRUE(programState().maskList.empty());
}

TEST_F(MaskTest, MovingTheCoveredWindowCarriesTheMaskAlongAndAResizeAloneDoesNot) {
    PlainWindow window(RECT{100, 100, 400, 300}, RGB(90, 90, 90));
    HWND mask = ShowMask(window.window);
    ASSERT_NE(mask, nullptr);
    const auto place = [&](int x, int y, int width, int height, UINT keep) {
        SetWindowPos(window.window, nullptr, x, y, width, height,
                     keep | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(150, 130, 0, 0, SWP_NOSIZE);
    EXPECT_TRUE(sameRect(screenRect(mask), clientOnScreen(window.window)));
    place(0, 0, 400, 260, SWP_NOMOVE);  // larger from the right and bottom edges
    EXPECT_TRUE(sameRect(screenRect(mask), RECT{150, 130, 450, 330}));
    place(160, 140, 0, 0, SWP_NOSIZE);
    EXPECT_TRUE(sameRect(screenRect(mask), clientOnScreen(window.window)));

    // A layered mask is an owned popup in screen coordinates that lets the
    // pointer through, and it follows too. Asked for over a control, it lies
    // on the top-level window, the only kind of window that can own it.
    PlainWindow control(RECT{20, 20, 120, 60}, RGB(200, 100, 0), window.window);
    HWND layered = CreateMask(control.window, nullptr, false, true, RGB(0, 0, 255), 100);
    ASSERT_NE(layered, nullptr);
    EXPECT_FALSE(IsWindow(mask));  // the top-level window's mask was replaced
    EXPECT_EQ(GetWindow(layered, GW_OWNER), window.window);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(layered, GWL_STYLE)) & (WS_POPUP | WS_CHILD),
              DWORD{WS_POPUP});
    EXPECT_EQ(GetWindowLongW(layered, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT),
              LONG{WS_EX_LAYERED | WS_EX_TRANSPARENT});
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(layered, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 100);
    EXPECT_EQ(flags, DWORD{LWA_ALPHA});
    EXPECT_NE(GetPropA(layered, "HalyxMask_Brush"), nullptr);
    EXPECT_TRUE(sameRect(screenRect(layered), clientOnScreen(window.window)));
    place(200, 150, 0, 0, SWP_NOSIZE);
    EXPECT_TRUE(sameRect(screenRect(layered), clientOnScreen(window.window)));
    RemoveMask();
    EXPECT_TRUE(maskProperties(control.window).empty());
    EXPECT_TRUE(maskProperties(window.window).empty());
}

POINT centreOf(HWND window) {
    const RECT rect = screenRect(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST_F(MaskTest, AHoleStaysUncoveredAndTakesThePointerWhereverTheWindowMoves) {
    PlainWindow window(RECT{200, 200, 600, 500}, RGB(90, 90, 90));
    PlainWindow hole(RECT{50, 50, 150, 120}, RGB(255, 255, 0), window.window);
    PlainWindow covered(RECT{200, 50, 300, 120}, RGB(0, 255, 255), window.window);
    HWND mask = ShowMask(window.window, hole.window);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(GetPropA(mask, "HalyxMask_Rgn"), hole.window);
    SetForegroundWindow(window.window);

    // The press on the covered control goes first; once the hole has its
    // press, the earlier one has been delivered too.
    for (int round = 1; round <= 2; ++round) {
        test::clickAt(centreOf(covered.window));
        test::clickAt(centreOf(hole.window));
        EXPECT_TRUE(test::pumpUntil([&] { return hole.presses == round; }, kTimeoutMs));
        EXPECT_EQ(covered.presses, 0);
        SetWindowPos(window.window, nullptr, 300, 250, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(mask, region.get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.get(), 100, 85));  // the hole, in the mask's coordinates
    EXPECT_TRUE(PtInRegion(region.get(), 250, 85));
}

// The main window as the program shows it: the mask's picture is the
// window's snapshot, its controls included, blurred and darkened.
TEST_F(MaskTest, ThePictureIsTheBlurredSnapshotWithTheControlsDarkenedTo205Of255) {
    test::TestForm form(BindingTable{nullptr, 0});
    HWND window = form.window();
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    // The sharp snapshot: a plain mask without a tint shows it as taken.
    HWND plain = CreateMask(window, nullptr, false, false, 0, 0);
    ASSERT_NE(plain, nullptr);
    const Picture sharp = cachedPicture(plain);
    void* backdropBits = nullptr;
    GdiBitmap backdropBitmap(createPictureBitmap(width, height, &backdropBits));
    MemoryDc backdropDc(nullptr);
    Picture bare;
    {
        SelectedObject selected(backdropDc.get(), backdropBitmap.get());
        SendMessageW(window, kPaintBackdropMessage, reinterpret_cast<WPARAM>(backdropDc.get()), 0);
        bare = copyOf(backdropDc.get(), 0, 0, width, height);
    }
    // Each channel name and each slider shows in the snapshot, not only the
    // picture beneath them.
    const auto changedPixels = [&](uint32_t id) {
        RECT rect = screenRect(form.control(id));
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        int changed = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (std::abs(grey(sharp.at(x, y)) - grey(bare.at(x, y))) > 40) ++changed;
        return changed;
    };
    for (int n = 0; n < 6; ++n) {
        EXPECT_GT(changedPixels(ids::channelLabel[n]), 30) << "channel label " << n + 1;
        EXPECT_GT(changedPixels(ids::volumeBar[n]), 300) << "slider " << n + 1;
    }

    HWND mask = ShowMask(window);
    ASSERT_NE(mask, nullptr);
    EXPECT_FALSE(IsWindow(plain));
    const Picture masked = cachedPicture(mask);

    // The same snapshot blurred and darkened: each channel keeps 205/255.
    void* bits = nullptr;
    GdiBitmap expectedBitmap(createPictureBitmap(width, height, &bits));
    std::copy(sharp.pixels.begin(), sharp.pixels.end(), static_cast<uint32_t*>(bits));
    ASSERT_TRUE(blurPixels(bits, width, height, width * 4));
    const auto* blurredPixels = static_cast<const uint32_t*>(bits);
    const Picture blurred{width, height, {blurredPixels, blurredPixels + width * height}};
    Picture expected{width, height, {}};
    for (uint32_t pixel : blurred.pixels) {
        uint32_t darkened = 0;
        for (int c = 0; c < 3; ++c)
            darkened |= static_cast<uint32_t>((channel(pixel, c) * 205 + 127) / 255) << (8 * c);
        expected.pixels.push_back(darkened);
    }
    EXPECT_LE(largestDifference(masked, expected), 2);
    EXPECT_NEAR(meanBrightness(masked) / meanBrightness(blurred), 205.0 / 255.0, 0.015);
    EXPECT_LT(edgeEnergy(masked), 0.5 * edgeEnergy(sharp) * 205 / 255);

    // The screen shows the picture once it is painted.
    const RECT onScreen = clientOnScreen(window);
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(test::pumpUntil(
        [&] {
            return largestDifference(copyOf(screen, onScreen.left, onScreen.top, width, height),
                                     masked) <= 2;
        },
        kTimeoutMs));
    ReleaseDC(nullptr, screen);
}

}  // namespace
