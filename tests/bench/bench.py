#!/usr/bin/env python3
"""Benchmarks of the main window under Wine, run by hand in a started lab:

    python3 tests/lab/lab.py start build/lab
    python3 tests/bench/bench.py [RUNS]
    python3 tests/lab/lab.py stop build/lab

1. Start to first paint: from starting heyu.exe until the screen shows the
   background picture at one point, and until it shows the first slider's
   thumb, as two probes watching the screen see it.
2. Thumb drag: position events per second that a drag through the system
   move loop delivers (tests/bench/drag_bench.cpp).
3. Shadow update: one redraw of the main window's shadow (section, ring
   picture, UpdateLayeredWindow) beside the same update with nothing drawn,
   medians measured in the same run (tests/bench/shadow_bench.cpp).
4. Mask: ShowMask on the main window (snapshot, blur, tint) and RemoveMask,
   beside the bare snapshot of the window, medians measured in the same run
   (tests/bench/mask_bench.cpp).
"""
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

# Client points and their colours in the finished window (see the reference
# picture): the aurora in the background, and the first slider's thumb.
BACKGROUND_POINT = (700, 130, "6ab49b")
THUMB_POINT = (248, 59, "bcd497")
TOLERANCE = 12


def watcher(point):
    x, y, colour = point
    process = subprocess.Popen(
        ["wine", str(harness.PROBE), "waitpaint", harness.MAIN_TITLE, str(x), str(y), colour,
         str(TOLERANCE), "30000"], env=harness.lab_env(), stdin=subprocess.DEVNULL,
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if process.stdout.readline().strip() != b"ready":
        raise RuntimeError("probe did not start")
    return process


def seen_after(process, started) -> float:
    line = process.stdout.readline()
    elapsed = time.monotonic() - started
    process.wait(timeout=30)
    if not line.startswith(b"{"):
        raise RuntimeError("the window never showed the expected colour")
    return elapsed * 1000


def start_to_paint(runs: int):
    background, thumb = [], []
    for _ in range(runs):
        harness.wait_no_window()
        watchers = [watcher(BACKGROUND_POINT), watcher(THUMB_POINT)]
        started = time.monotonic()
        program = harness.Program(harness.EXE)
        background.append(seen_after(watchers[0], started))
        thumb.append(seen_after(watchers[1], started))
        window = harness.wait_window()
        harness.post(window["hwnd"], harness.WM_CLOSE)
        program.exit_code()
    return background, thumb


def describe(name, values):
    print("%-34s median %5.0f ms   min %5.0f   max %5.0f   (%d runs)"
          % (name, statistics.median(values), min(values), max(values), len(values)))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    background, thumb = start_to_paint(runs)
    describe("start -> background painted", background)
    describe("start -> sliders painted", thumb)
    drag = harness.run_json(harness.BUILD / "drag_bench.exe")
    print("thumb drag: %(position_events)d position events in %(seconds).1f s "
          "(%(events_per_second).0f per second) from %(moves_sent)d pointer moves" % drag)
    shadow = harness.run_json(harness.BUILD / "shadow_bench.exe")
    print("shadow update at %(width)dx%(height)d: median %(update_ms).2f ms; with nothing "
          "drawn %(reference_ms).2f ms; the drawing alone %(draw_ms).2f ms; rings drawn in "
          "code %(rings_in_code_ms).2f ms (%(runs)d runs)" % shadow)
    mask = harness.run_json(harness.BUILD / "mask_bench.exe")
    print("mask over the main window: ShowMask median %(show_mask_ms).2f ms; bare snapshot "
          "%(snapshot_ms).2f ms; RemoveMask %(remove_mask_ms).2f ms (%(runs)d runs)" % mask)


if __name__ == "__main__":
    main()
