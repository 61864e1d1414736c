// How long one update of the main window's shadow takes: a new 780 x 455
// section, the 5-pixel ring picture drawn as nine slices, and
// UpdateLayeredWindow, which every WM_MOVE of a drag costs. Measured in the
// same run, interleaved: the reference (the same section, DCs and
// UpdateLayeredWindow with nothing drawn) and the drawing alone; then a look
// drawn ring by ring in code at the same size. Prints the medians of many
// runs as one JSON line. A benchmark, run by bench.py.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/gdi_owners.h"
#include "shadow/shadow_drawing.h"
#include "shadow/wnd_shadow.h"
#include "test_support.h"

namespace {

constexpr int kDefaultRuns = 300;
constexpr int kWidth = 780;  // the main window grown by 5 on every side
constexpr int kHeight = 455;

template <typename Work>
double timed(Work work) {
    const double start = test::nowMs();
    work();
    return test::nowMs() - start;
}

// An update with nothing drawn: what every update costs besides the picture.
void bareUpdate(HWND shadow) {
    const WindowDc screen = windowDc(shadow);
    const MemoryDc memory(screen.get());
    void* pixels = nullptr;
    const GdiBitmap section(test::bottomUpSection(kWidth, kHeight, &pixels));
    const SelectedObject selected(memory.get(), section.get());
    SIZE size{kWidth, kHeight};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(shadow, screen.get(), nullptr, &size, memory.get(), &origin, 0, &blend,
                        ULW_ALPHA);
}

void dispatchPending() {
    test::pumpUntil([] { return true; }, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : kDefaultRuns;
    test::TestForm form(BindingTable{nullptr, 0});
    HWND target = form.window();
    if (!target || !SetWndShadow(target)) return 1;
    HWND shadow = static_cast<HWND>(GetPropA(target, "Halyx.WndShadow"));
    RenderWndShadow(target, kWidth, kHeight);  // the ring picture is decoded once, first

    std::vector<uint8_t> section(kWidth * kHeight * 4);
    std::vector<double> update;
    std::vector<double> reference;
    std::vector<double> draw;
    for (int i = 0; i < runs; ++i) {
        reference.push_back(timed([&] { bareUpdate(shadow); }));
        update.push_back(timed([&] { RenderWndShadow(target, kWidth, kHeight); }));
        std::fill(section.begin(), section.end(), 0);
        draw.push_back(timed([&] {
            DrawWndShadow(shadow, bottomUpPixels(section.data(), kWidth, kHeight));
        }));
        dispatchPending();
    }
    // The same size in a colour other than black: five rings drawn in code.
    SetWndShadow(target, RGB(32, 32, 32), 5);
    std::vector<double> rings;
    for (int i = 0; i < runs / 3; ++i) {
        rings.push_back(timed([&] { RenderWndShadow(target, kWidth, kHeight); }));
        dispatchPending();
    }
    std::printf("{\"runs\":%d,\"width\":%d,\"height\":%d,\"update_ms\":%.3f,"
                "\"reference_ms\":%.3f,\"draw_ms\":%.3f,\"rings_in_code_ms\":%.3f}\n",
                runs, kWidth, kHeight, test::median(update), test::median(reference), test::median(draw),
                test::median(rings));
    return 0;
}
