#!/usr/bin/env python3
"""Figures of the mixer under Wine, run by hand in a started lab:

    python3 tests/lab/lab.py start build/lab
    python3 tests/bench/mixer_bench.py [RUNS]
    python3 tests/lab/lab.py stop build/lab

1. Window shown to first sound, and to all six sounding: heyu-tones.exe,
   a probe watching the screen for the window, the recording for the tones.
2. Processor time of the GUI thread and of the whole process, from
   /proc/PID/task/TID/stat outside the program: during the start sequence
   (window shown + 4 s), inside its first wait, and over 50 s of steady playing
   (given per minute), with the real
   tracks; and the peak resident set (VmHWM) at the end of the start.
3. One loop restart of the longest track (tests/bench/restart_bench.cpp).
"""
import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
import sound  # noqa: E402

RECORDING = harness.LAB / "recording.wav"
TICKS = os.sysconf("SC_CLK_TCK")
START_SPAN_S = 4.0
# Ends before the shortest real track (58 s) runs out, so that the figure is
# the cost of playing and polling alone; a restart is measured on its own.
STEADY_SPAN_S = 50.0


def first_sounds(runs):
    first, all_six = [], []
    for _ in range(runs):
        harness.wait_no_window()
        watcher = harness.paint_watcher()
        program = harness.Program(harness.BUILD / "heyu-tones.exe")
        shown_at = harness.painted_at(watcher)
        clock = sound.clock(RECORDING)
        shown = clock(shown_at)
        harness.wait_until(lambda: sound.position(RECORDING) > shown + 8.0, 30, "8 s of sound")
        frames = sound.levels(RECORDING, shown, shown + 8.0, window_s=0.02)
        onsets = [sound.onset(frames, n) for n in range(1, 7)]
        first.append((onsets[0] - shown) * 1000)
        all_six.append((max(onsets[1:]) - onsets[0]) * 1000)
        harness.post(harness.wait_window()["hwnd"], harness.WM_CLOSE)
        program.exit_code()
    return first, all_six


def cpu_ms(path: Path) -> float:
    """utime + stime of a /proc stat file, in ms."""
    fields = path.read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000.0 / TICKS


def peak_rss_mb(pid: int) -> float:
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024.0
    return 0.0


def processor_time():
    harness.wait_no_window()
    watcher = harness.paint_watcher()
    program = harness.Program(harness.EXE)
    pid = program.process.pid
    gui = Path("/proc/%d/task/%d/stat" % (pid, pid))  # Wine runs WinMain on the first thread
    whole = Path("/proc/%d/stat" % pid)
    shown = harness.painted_at(watcher)
    marks = [(time.monotonic(), cpu_ms(gui), cpu_ms(whole))]
    # Inside the first wait, which begins as the window shows and lasts 1 s.
    time.sleep(max(0.0, shown + 0.1 - time.monotonic()))
    wait_from = (time.monotonic(), cpu_ms(gui))
    time.sleep(max(0.0, shown + 0.9 - time.monotonic()))
    wait_to = (time.monotonic(), cpu_ms(gui))
    time.sleep(max(0.0, shown + START_SPAN_S - time.monotonic()))
    marks.append((time.monotonic(), cpu_ms(gui), cpu_ms(whole)))
    peak = peak_rss_mb(pid)
    time.sleep(STEADY_SPAN_S)
    marks.append((time.monotonic(), cpu_ms(gui), cpu_ms(whole)))
    harness.post(harness.wait_window()["hwnd"], harness.WM_CLOSE)
    program.exit_code()
    (t0, g0, w0), (t1, g1, w1), (t2, g2, w2) = marks
    return {"start_s": t1 - t0, "start_gui_ms": g1 - g0, "start_process_ms": w1 - w0,
            "steady_s": t2 - t1, "steady_gui_ms": g2 - g1, "steady_process_ms": w2 - w1,
            "peak_rss_mb": peak, "wait_s": wait_to[0] - wait_from[0],
            "wait_gui_ms": wait_to[1] - wait_from[1]}


def describe(name, values, unit="ms"):
    print("%-40s median %6.0f %s   min %6.0f   max %6.0f   (%d runs)"
          % (name, statistics.median(values), unit, min(values), max(values), len(values)))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    first, all_six = first_sounds(runs)
    describe("window shown -> first sound", first)
    describe("first sound -> all six sounding", all_six)

    cpu = processor_time()
    print("start sequence (%.1f s): GUI thread %.0f ms (%.1f %% of a core), process %.0f ms"
          % (cpu["start_s"], cpu["start_gui_ms"], cpu["start_gui_ms"] / cpu["start_s"] / 10,
             cpu["start_process_ms"]))
    print("inside the first wait (%.1f s): GUI thread %.0f ms (%.1f %% of a core)"
          % (cpu["wait_s"], cpu["wait_gui_ms"], cpu["wait_gui_ms"] / cpu["wait_s"] / 10))
    per_minute = 60.0 / cpu["steady_s"]
    print("steady playing: GUI thread %.0f ms per minute (%.2f %% of a core), "
          "process %.0f ms per minute (%.1f %%)"
          % (cpu["steady_gui_ms"] * per_minute, cpu["steady_gui_ms"] / cpu["steady_s"] / 10,
             cpu["steady_process_ms"] * per_minute,
             cpu["steady_process_ms"] / cpu["steady_s"] / 10))
    print("peak resident set at the end of the start: %.0f MB" % cpu["peak_rss_mb"])

    restart = harness.run_json(harness.BUILD / "restart_bench.exe")
    print("restart of channel 4: %(restart_in_tick_ms).0f ms inside the tick, "
          "%(restart_until_playing_ms).0f ms until playing (the 12.7 MB write alone: "
          "%(track_write_ms).0f ms; medians of %(runs)d)" % restart)


if __name__ == "__main__":
    main()
