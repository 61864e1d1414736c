// Repeated work leaves the process as it found it: a thousand masks shown
// over the main window and removed, ten thousand moves of a window carrying
// a shadow. Wine's own counts of GDI and USER objects read 0 whatever the
// process holds, so this counts what is real: the process's private bytes,
// its windows and the covered window's properties by enumeration, and its
// live GDI objects (device contexts included) by asking the type of every
// handle number, which sees a handle whatever holds it, an owner or a
// window property. The first test shows that each of these measures moves
// when something is left behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "base/gdi_owners.h"
#include "overlay/blur.h"
#include "overlay/mask.h"
#include "shadow/wnd_shadow.h"
#include "test_support.h"
#include "ui/control_table.h"
#include "ui/display_scale.h"
#include "ui/form.h"
#include "ui/pictures.h"
#include "ui/super_bar.h"

namespace {

constexpr int kMaskCycles = 1000;
constexpr int kShadowMoves = 10000;
constexpr int kWarmUp = 20;
// The main window's client area: one mask picture, 32 bits a pixel.
constexpr int kWidth = 770;
constexpr int kHeight = 445;
constexpr long long kPictureBytes = 4LL * kWidth * kHeight;  // 1.37 MB
// What the heap may settle by over a whole run: less than one picture.
constexpr long long kAllowedGrowth = kPictureBytes * 3 / 4;

// Under Wine, the kernel's status file of the Unix process this program
// runs in: the one whose command line starts with this executable's path.
// (Z:\\proc\\self would name the Wine server, which opens files for its
// clients.) Empty elsewhere.
std::wstring ownStatusFile() {
    const std::wstring exe = test::ownExecutable();
    if (exe.rfind(L"Z:\\", 0) != 0) return {};
    std::string unixPath;
    for (wchar_t c : exe.substr(2)) unixPath += c == L'\\' ? '/' : static_cast<char>(c);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::wstring status;
    do {
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::string command = test::readBytes(folder + L"\\cmdline");
        if (command.c_str() == unixPath) status = folder + L"\\status";
    } while (status.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return status;
}

// The process's private memory. Under Wine, GetProcessMemoryInfo's
// PrivateUsage reads 0, and a walk of the committed private regions
// (VirtualQuery) misses what Wine's Unix side allocates for the process,
// GDI's device contexts among them; the kernel's count of the process's
// anonymous resident memory holds both. On Windows, PrivateUsage.
long long privateBytes() {
    static const std::wstring statusFile = ownStatusFile();
    if (!statusFile.empty()) {
        const std::string status = test::readBytes(statusFile);
        const size_t at = status.find("RssAnon:");
        return at == std::string::npos
                   ? 0
                   : std::atoll(status.c_str() + at + std::strlen("RssAnon:")) * 1024;
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(),
                         reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return static_cast<long long>(counters.PrivateUsage);
}

// The process's GDI objects. Windows counts them itself; Wine's count reads
// 0, but its handles are indices into the process's table whose upper half
// (a reuse counter) may be left out, so every index is asked its type.
long gdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return static_cast<long>(counted);
    long live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

BOOL CALLBACK countOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Top-level windows of this process and all their descendants.
BOOL CALLBACK countWithChildren(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(window, countOne, count);
    }
    return TRUE;
}

BOOL CALLBACK countProperty(HWND, LPSTR, HANDLE, ULONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

struct Census {
    long long privateBytes = 0;
    int windows = 0;
    int properties = 0;  // on the watched window
    long gdiObjects = 0;
};

Census census(HWND watched) {
    Census now;
    EnumWindows(countWithChildren, reinterpret_cast<LPARAM>(&now.windows));
    EnumPropsExA(watched, countProperty, reinterpret_cast<LPARAM>(&now.properties));
    now.gdiObjects = gdiObjects();
    now.privateBytes = privateBytes();
    return now;
}

void dispatchPending() {
    test::pumpUntil([] { return true; }, 0);
}

// Everything but the memory exactly as before; the memory within the margin.
void expectUnchanged(const Census& before, const Census& after, const char* what) {
    EXPECT_EQ(after.windows, before.windows) << what;
    EXPECT_EQ(after.properties, before.properties) << what;
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << what;
    EXPECT_LT(after.privateBytes - before.privateBytes, kAllowedGrowth) << what;
    std::printf("%s: private bytes %.2f MB before, %.2f MB after; %d windows, %d properties, "
                "%ld GDI objects\n",
                what, before.privateBytes / 1048576.0, after.privateBytes / 1048576.0,
                after.windows, after.properties, after.gdiObjects);
}

// Repeats the work, dispatching what it leaves queued; stops with a failure
// when the work fails or once the memory has grown by many pictures (a leak
// of a picture a time would otherwise take the machine's memory first).
template <typename Work>
bool repeat(int times, long long from, Work work) {
    for (int i = 0; i < times; ++i) {
        if (!work(i)) {
            ADD_FAILURE() << "round " << i + 1 << " failed";
            return false;
        }
        dispatchPending();
        const long long grown = i % 100 == 99 ? privateBytes() - from : 0;
        if (grown > 20 * kPictureBytes) {
            ADD_FAILURE() << "private bytes grew by " << grown / 1048576.0 << " MB in "
                          << i + 1 << " rounds";
            return false;
        }
    }
    return true;
}

// While it lives, the creation of every window of one class is refused
// before WM_NCCREATE, as a hook of the platform's may refuse it.
class CreationRefused {
public:
    explicit CreationRefused(const wchar_t* className)
        : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId())) {
        refusedClass() = className;
    }
    ~CreationRefused() { UnhookWindowsHookEx(hook_); }
    CreationRefused(const CreationRefused&) = delete;
    CreationRefused& operator=(const CreationRefused&) = delete;

private:
    static std::wstring& refusedClass() {
        static std::wstring name;
        return name;
    }
    static LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            const wchar_t* name = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
            if (!IS_INTRESOURCE(name) && refusedClass() == name) return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

TEST(Leak, EachMeasureSeesWhatIsLeftBehind) {
    test::TestForm form(BindingTable{nullptr, 0});
    ASSERT_NE(form.window(), nullptr);
    const Census before = census(form.window());

    // Eight pictures of the mask's size, painted, a window and a property.
    std::vector<GdiBitmap> pictures;
    for (int i = 0; i < 8; ++i) {
        void* bits = nullptr;
        pictures.emplace_back(createPictureBitmap(kWidth, kHeight, &bits));
        ASSERT_NE(bits, nullptr);
        std::memset(bits, 0x55, kPictureBytes);
    }
    HWND extra = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, form.window(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetPropA(form.window(), "leak.test", extra);
    const Census holding = census(form.window());
    EXPECT_GT(holding.privateBytes - before.privateBytes, 7 * kPictureBytes);
    EXPECT_EQ(holding.windows, before.windows + 1);
    EXPECT_EQ(holding.properties, before.properties + 1);
    EXPECT_EQ(holding.gdiObjects, before.gdiObjects + 8);

    // One brush kept in a window property, as the mask keeps its handles,
    // out of every owner's sight.
    SetPropA(form.window(), "leak.brush", CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_EQ(census(form.window()).gdiObjects, before.gdiObjects + 9);
    DeleteObject(RemovePropA(form.window(), "leak.brush"));

    pictures.clear();
    RemovePropA(form.window(), "leak.test");
    DestroyWindow(extra);
    const Census after = census(form.window());
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.properties, before.properties);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_LT(after.privateBytes - before.privateBytes, kAllowedGrowth);
}

TEST(Leak, AWindowWhoseCreationFailsLeavesNothingBehind) {
    test::TestForm form(BindingTable{nullptr, 0});
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const FormDefinition& definition = mainWindowDefinition();
    const ControlRow* slider = nullptr;
    for (size_t i = 0; i < definition.rowCount && !slider; ++i)
        if (definition.rows[i].kind == ControlKind::SuperBar) slider = &definition.rows[i];
    ASSERT_NE(slider, nullptr);
    const long sliderRecords = sharedSliderSkin(instance, kDesignDpi).use_count();
    const Census before = census(form.window());
    // A slider refused, a slider whose parts are refused, a form refused.
    for (const wchar_t* refused : {L"heyu.SuperBar", L"heyu.SuperBarPart", L"heyu.Form"}) {
        const CreationRefused refusal(refused);
        for (int i = 0; i < 50; ++i) {
            const bool isForm = std::wstring(refused) == L"heyu.Form";
            EXPECT_EQ(isForm ? LoadForm(instance, definition, BindingTable{nullptr, 0})
                             : createSuperBar(form.window(), *slider, kDesignDpi),
                      nullptr)
                << refused;
        }
    }
    dispatchPending();
    expectUnchanged(before, census(form.window()), "150 refused creations");
    EXPECT_EQ(sharedSliderSkin(instance, kDesignDpi).use_count(), sliderRecords);
}

TEST(Leak, AThousandMasksOverTheMainWindowLeaveNothingBehind) {
    test::TestForm form(BindingTable{nullptr, 0});
    HWND window = form.window();
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, kWidth);
    ASSERT_EQ(client.bottom, kHeight);
    const auto cycle = [&](int) {
        if (!ShowMask(window)) return false;
        dispatchPending();  // painted from its picture
        RemoveMask();
        return true;
    };
    // Everything once the first masks have made what lives on (the class,
    // the heap grown to its working size).
    ASSERT_TRUE(repeat(kWarmUp, privateBytes(), cycle));
    const Census before = census(window);
    ASSERT_TRUE(repeat(kMaskCycles, before.privateBytes, cycle));
    expectUnchanged(before, census(window), "1000 masks");
}

// A small window, so that the ten thousand updates take seconds rather than
// minutes: each draws and hands over a picture the size of the shadow.
TEST(Leak, TenThousandMovesOfAShadowedWindowLeaveNothingBehind) {
    static const bool gdiplusStarted = (startGdiplus(), true);  // the ring picture's drawing
    (void)gdiplusStarted;
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200,
                                  120, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetWndShadow(window));
    HWND shadow = static_cast<HWND>(GetPropA(window, "Halyx.WndShadow"));
    int followed = 0;
    const auto move = [&](int i) {
        SetWindowPos(window, nullptr, 200 + i % 2, 200 + i % 3, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT target{};
        RECT ring{};
        GetWindowRect(window, &target);
        GetWindowRect(shadow, &ring);
        followed += ring.left == target.left - 5 && ring.bottom == target.bottom + 5;
        return true;
    };
    // The shadow window and its properties are there from the attach on,
    // the ring picture from the first drawing on.
    ASSERT_TRUE(repeat(kWarmUp, privateBytes(), move));
    const Census before = census(window);
    followed = 0;
    ASSERT_TRUE(repeat(kShadowMoves, before.privateBytes, move));
    EXPECT_EQ(followed, kShadowMoves);
    expectUnchanged(before, census(window), "10000 shadow updates");
    DestroyWindow(window);
}

}  // namespace
