// How long ShowMask takes on the main window (snapshot, blur, tint), beside
// a reference measured in the same run: the bare snapshot, PrintWindow of
// the client area into a memory bitmap, which every mask needs anyway; the
// blur alone on a picture of the client's size; and how long RemoveMask
// takes to uncover the window again. Medians of many runs, in milliseconds,
// as one JSON line. A benchmark, run by bench.py.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/gdi_owners.h"
#include "overlay/blur.h"
#include "overlay/mask.h"
#include "test_support.h"

namespace {

constexpr int kDefaultRuns = 100;
constexpr DWORD kSettleMs = 100;

void snapshot(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    HDC screen = GetDC(window);
    MemoryDc memory(screen);
    GdiBitmap picture(CreateCompatibleBitmap(screen, client.right, client.bottom));
    ReleaseDC(window, screen);
    SelectedObject selected(memory.get(), picture.get());
    PrintWindow(window, memory.get(), PW_CLIENTONLY);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    test::TestForm form(BindingTable{nullptr, 0});
    if (!form.window()) return 1;
    // The first of each warms caches (fonts, the window class) and is not counted.
    snapshot(form.window());
    ShowMask(form.window());
    RemoveMask();

    RECT client;
    GetClientRect(form.window(), &client);
    void* bits = nullptr;
    GdiBitmap blurred(createPictureBitmap(client.right, client.bottom, &bits));
    if (!bits) return 1;
    std::vector<double> snapshots, shows, removals, blurs;
    for (int i = 0; i < runs; ++i) {
        // Each measurement starts from a settled window, as a press on a
        // window at rest does: the system has had the time to show all that
        // was painted before (under Wine the next window operation would
        // otherwise first wait for that).
        test::pumpFor(kSettleMs);
        double start = test::nowMs();
        snapshot(form.window());
        snapshots.push_back(test::nowMs() - start);

        start = test::nowMs();
        blurPixels(bits, client.right, client.bottom, client.right * 4);
        blurs.push_back(test::nowMs() - start);

        test::pumpFor(kSettleMs);
        start = test::nowMs();
        HWND mask = ShowMask(form.window());
        shows.push_back(test::nowMs() - start);
        if (!mask) return 1;
        // Painted, as the user sees it, before it goes again.
        UpdateWindow(mask);
        test::pumpFor(kSettleMs);

        start = test::nowMs();
        RemoveMask();
        removals.push_back(test::nowMs() - start);
    }
    std::printf("{\"runs\":%d,\"snapshot_ms\":%.2f,\"blur_ms\":%.2f,\"show_mask_ms\":%.2f,"
                "\"remove_mask_ms\":%.2f}\n",
                runs, test::median(snapshots), test::median(blurs), test::median(shows),
                test::median(removals));
    return 0;
}
