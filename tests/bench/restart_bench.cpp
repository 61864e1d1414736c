// How long one loop restart of the longest track takes: the tick that finds
// channel 4 not playing stops it, rewrites its 12.7 MB file, reopens and
// plays it; then the device is polled until it reports "playing". Beside it,
// the same write of the track file alone, the largest part of the work.
// Prints one JSON line with medians in milliseconds. A benchmark, run by bench.py.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "mixer/channels.h"
#include "mixer/track_files.h"
#include "test_support.h"
#include "ui/control_table.h"
#include "ui/media_play.h"

namespace {

constexpr int kDefaultRuns = 7;
constexpr int kChannel = 4;

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    test::ScratchFolder folder(L"restart_bench");
    SetEnvironmentVariableW(L"TMP", folder.path().c_str());
    test::TestForm form(BindingTable{nullptr, 0});
    if (!form.window()) return 1;
    prepareTrackPaths();
    HWND player = form.control(ids::player[kChannel - 1]);

    std::vector<double> inTick, untilPlaying, writeOnly;
    for (int run = 0; run < runs; ++run) {
        mediaStop(player);  // as the end of the track leaves it
        const double start = test::nowMs();
        if (mediaGetStatus(player) != kMediaPlaying) restartChannel(kChannel);
        inTick.push_back(test::nowMs() - start);
        test::pumpUntil([&] { return mediaGetStatus(player) == kMediaPlaying; }, 10000);
        untilPlaying.push_back(test::nowMs() - start);
    }
    mediaClose(player);
    for (int run = 0; run < runs; ++run) {
        const double start = test::nowMs();
        writeTrackFile(kChannel);
        writeOnly.push_back(test::nowMs() - start);
    }
    deleteTrackFile(kChannel);
    std::printf("{\"restart_in_tick_ms\":%.1f,\"restart_until_playing_ms\":%.1f,"
                "\"track_write_ms\":%.1f,\"runs\":%d}\n",
                test::median(inTick), test::median(untilPlaying), test::median(writeOnly), runs);
    return 0;
}
