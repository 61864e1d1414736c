#!/usr/bin/env python3
"""The benchmarks: every figure of the program as its users run it, beside
the same figure of a reference measured in the same run, and the goal it is
read against. `make bench` runs it in a lab of its own and writes the table
to bench/results.md; `make test` runs one quick pass to keep it working.

    bench.py [--runs N] [--steady SECONDS] [--out FILE] [--quick]

--quick takes one run of everything, with a short steady span and few
repetitions inside the benchmark programs: it checks the script, not the
figures.

With HEYU_LAB_DIR set it uses that (started) lab, otherwise it starts one
in <build>/bench-lab and stops it at the end. Figures are medians over the
runs; a benchmark never fails on a slow machine, it only reports.

The figures and how they are taken:
- start to window shown, and the peak resident set at that moment
  (/proc/PID/status VmHWM): heyu.exe against startup_reference.exe, which
  does the platform's part of the program's first frame (GDI+ decoding the
  same background JPEG, a layered shadow window filled once, 53 child
  windows shown over the picture in the program's order) and shows the same
  colour at the same point; trivial_window.exe,
  bare and with 50 plain child windows, beside it as context; all started
  alternately, a probe watching the screen for each window's colour;
- window shown to first sound, first sound to all six sounding:
  heyu-tones.exe and the lab's recording; beside it trivial_player.exe,
  which opens channel 1's tone with the same device type and plays it, its
  open to heard taken the same way;
- processor time of the GUI thread (Wine runs WinMain on the process's
  first thread; /proc/PID/task/TID/schedstat) and of the whole process
  (/proc/PID/stat): inside the two start waits (heyu-tones.exe, the second
  wait found through Wine's file trace of channel 1's open), over the start
  sequence and over the steady playing that follows (heyu.exe, before its
  shortest track first ends);
- one loop restart of the longest track, ShowMask, one shadow update and a
  slider drag, from the benchmark programs built beside the tests;
- start to window shown and ShowMask again at 192 dpi (the lab's prefix
  given that LogPixels for them, then 96 again), in every run beside the
  same figures at 96 dpi;
- the executable's size against the assets it carries.
"""
import argparse
import datetime
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("HEYU_BUILD_DIR", ROOT / "build"))
OWN_LAB = "HEYU_LAB_DIR" not in os.environ
os.environ.setdefault("HEYU_LAB_DIR", str(BUILD / "bench-lab"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tests" / "lab"))
import harness  # noqa: E402
import lab  # noqa: E402
import sound  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
RECORDING = harness.LAB / "recording.wav"
TRIVIAL_TITLE = "trivial window"
REFERENCE_TITLE = "start-up reference"
# About as many plain child windows as the program has on its surface (29
# controls and four parts to each of the six sliders).
TRIVIAL_CHILDREN = 50
# How long the reference player plays: its first sound and a margin.
PLAYER_SECONDS = 5
START_SPAN_S = 4.0
# The real tracks' shortest is 58 s: the steady span ends before it first
# loops, so the figure is the cost of playing and polling alone (a restart is
# measured on its own).
LONGEST_STEADY_S = 50.0
# The large scale measured beside 96 dpi, and the background's colour the
# watcher waits for there: the design's point (300, 130) of the 2x picture,
# on the lab's screen even where the 1540 x 890 window overhangs it.
LARGE_DPI = 192
LARGE_POINT = (600, 260, "418173")


# --- reading a process from outside ----------------------------------------

def cpu_ms(path: Path) -> float:
    """utime + stime of a /proc stat file, in ms: a whole process's time,
    in clock ticks (10 ms)."""
    fields = path.read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000.0 / TICKS


def thread_cpu_ms(path: Path) -> float:
    """A thread's time on a processor from its /proc schedstat file, in ms:
    counted in nanoseconds, where one clock tick would be 1 % of a wait."""
    return int(path.read_text().split()[0]) / 1e6


def peak_resident_mb(pid: int) -> float:
    match = re.search(r"^VmHWM:\s+(\d+) kB", Path("/proc/%d/status" % pid).read_text(), re.M)
    return int(match.group(1)) / 1024.0


class Clocks:
    """The processor-time counters of a started program's GUI thread and of
    its whole process."""

    def __init__(self, program):
        pid = program.process.pid
        self.gui = Path("/proc/%d/task/%d/schedstat" % (pid, pid))
        self.process = Path("/proc/%d/stat" % pid)

    def read(self):
        return time.monotonic(), thread_cpu_ms(self.gui), cpu_ms(self.process)


def sleep_until(moment: float):
    time.sleep(max(0.0, moment - time.monotonic()))


def close(program, title=harness.MAIN_TITLE):
    harness.post(harness.wait_window(title)["hwnd"], harness.WM_CLOSE)
    program.exit_code()


# --- the runs ---------------------------------------------------------------

def start_run(exe: Path, title: str, args=()):
    """Starts a program; returns it, its start to window-shown time in ms and
    its peak resident set in MB at that moment."""
    harness.wait_no_window(title)
    watcher = harness.paint_watcher(title=title)
    started = time.monotonic()
    program = harness.Program(exe, args=args)
    shown = harness.painted_at(watcher)
    return program, shown, (shown - started) * 1000, peak_resident_mb(program.process.pid)


def trivial_run(figures):
    program, _, start_ms, peak = start_run(BUILD / "trivial_window.exe", TRIVIAL_TITLE)
    figures["trivial_start_ms"].append(start_ms)
    figures["trivial_peak_mb"].append(peak)
    close(program, TRIVIAL_TITLE)
    program, _, start_ms, _ = start_run(BUILD / "trivial_window.exe", TRIVIAL_TITLE,
                                        (TRIVIAL_CHILDREN,))
    figures["children_start_ms"].append(start_ms)
    close(program, TRIVIAL_TITLE)


def reference_run(figures):
    program, _, start_ms, peak = start_run(BUILD / "startup_reference.exe", REFERENCE_TITLE)
    figures["reference_start_ms"].append(start_ms)
    figures["reference_peak_mb"].append(peak)
    close(program, REFERENCE_TITLE)


def program_run(figures, steady_s):
    """heyu.exe with its real tracks: start, peak, and processor time over
    the start sequence and the steady playing after it."""
    (harness.PROGRAMS / "config.ini").unlink(missing_ok=True)
    program, shown, start_ms, peak = start_run(harness.EXE, harness.MAIN_TITLE)
    figures["start_ms"].append(start_ms)
    figures["peak_mb"].append(peak)
    clocks = Clocks(program)
    t0, g0, p0 = clocks.read()
    sleep_until(shown + START_SPAN_S)
    t1, g1, p1 = clocks.read()
    sleep_until(t1 + steady_s)
    t2, g2, p2 = clocks.read()
    close(program)
    figures["start_gui_ms"].append(g1 - g0)
    figures["start_process_ms"].append(p1 - p0)
    figures["steady_gui_ms_min"].append((g2 - g1) * 60.0 / (t2 - t1))
    figures["steady_process_ms_min"].append((p2 - p1) * 60.0 / (t2 - t1))


def large_scale_run(figures):
    """heyu.exe started at LARGE_DPI: start to window shown, after one
    trivial window has warmed the restarted Wine server as the runs at 96
    dpi are warmed."""
    lab.set_dpi(harness.LAB, LARGE_DPI)
    try:
        program, _, _, _ = start_run(BUILD / "trivial_window.exe", TRIVIAL_TITLE)
        close(program, TRIVIAL_TITLE)
        (harness.PROGRAMS / "config.ini").unlink(missing_ok=True)
        harness.wait_no_window()
        watcher = harness.paint_watcher(point=LARGE_POINT)
        started = time.monotonic()
        program = harness.Program(harness.EXE)
        figures["large_start_ms"].append((harness.painted_at(watcher) - started) * 1000)
        close(program)
    finally:
        lab.set_dpi(harness.LAB, 96)


def mask_at(dpi, repetitions):
    """mask_bench.exe's figures with the lab's prefix at dpi."""
    lab.set_dpi(harness.LAB, dpi)
    try:
        return harness.run_json(BUILD / "mask_bench.exe", *repetitions)
    finally:
        lab.set_dpi(harness.LAB, 96)


def share_of_core(clocks, start: float, end: float) -> float:
    """The GUI thread's processor time between two moments, in % of a core."""
    sleep_until(start)
    t0, g0, _ = clocks.read()
    sleep_until(end)
    t1, g1, _ = clocks.read()
    return (g1 - g0) / (t1 - t0) / 10.0


def tones_run(figures, log: Path):
    """heyu-tones.exe: the GUI thread inside the two start waits, and the
    first sounds in the recording."""
    (harness.PROGRAMS / "config.ini").unlink(missing_ok=True)
    harness.wait_no_window()
    watcher = harness.paint_watcher()
    program = harness.Program(harness.TONES_EXE,
                              env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE), log=log)
    shown = harness.painted_at(watcher)
    clocks = Clocks(program)
    # The first wait begins as the window shows and lasts 1 s; the second
    # begins once channel 1's open and play have returned, which keeps the
    # GUI thread busy for about 0.5 s after the open, and lasts 2 s.
    figures["first_wait_gui_pct"].append(share_of_core(clocks, shown + 0.1, shown + 0.9))
    channel1 = harness.wait_until(
        lambda: harness.calls_of(harness.file_calls(log), "open", 1), 30, "channel 1 opened")[0]
    figures["second_wait_gui_pct"].append(share_of_core(clocks, channel1 + 0.7, channel1 + 2.0))

    clock = sound.clock(RECORDING)
    start = clock(shown)
    harness.wait_until(lambda: sound.position(RECORDING) > start + 8.0, 30, "8 s of sound")
    frames = sound.levels(RECORDING, start, start + 8.0, window_s=0.02)
    onsets = [sound.onset(frames, n) for n in range(1, 7)]
    figures["first_sound_ms"].append((onsets[0] - start) * 1000)
    # Where that time goes: the program's part up to channel 1's open, and
    # the platform's from the open (play follows at once) to the sound.
    figures["shown_to_open_ms"].append((channel1 - shown) * 1000)
    figures["open_to_sound_ms"].append((onsets[0] - clock(channel1)) * 1000)
    figures["all_six_ms"].append((max(onsets[1:]) - onsets[0]) * 1000)
    close(program)


def player_run(figures, log: Path):
    """trivial_player.exe: from its open of channel 1's tone (the first open
    of the file in Wine's trace, as for the program) to the tone in the
    recording."""
    folder = BUILD / "bench-player"
    folder.mkdir(exist_ok=True)
    track = folder / "tmmmA01.tmp"
    shutil.copy(harness.PROGRAMS / "test-tracks" / "tone1.mp3", track)
    # What the sound server still held of the program closed before reaches
    # the recording after it has gone: the player starts once that is over.
    clock = sound.clock(RECORDING)
    quiet = clock(time.monotonic()) + 1.0
    harness.wait_until(lambda: sound.position(RECORDING) > quiet + 0.5, 30, "1.5 s of recording")
    harness.wait_until(lambda: all(level[1] < sound.SOUNDING_DB for _, level in sound.levels(
        RECORDING, sound.position(RECORDING) - 0.5, sound.position(RECORDING), window_s=0.02)),
        30, "channel 1 to fall silent")
    player = harness.Program(BUILD / "trivial_player.exe",
                             env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE), log=log,
                             args=(harness.windows_path(track), PLAYER_SECONDS))
    opened = harness.wait_until(
        lambda: harness.calls_of(harness.file_calls(log), "open", 1), 30, "the player's open")[0]
    start = clock(opened)
    harness.wait_until(lambda: sound.position(RECORDING) > start + 3.0, 30, "3 s of sound")
    frames = sound.levels(RECORDING, start, start + 3.0, window_s=0.02)
    figures["player_open_to_sound_ms"].append((sound.onset(frames, 1) - start) * 1000)
    player.exit_code(timeout=PLAYER_SECONDS + 30)


def embedded_assets() -> list:
    """The files the program's resource scripts embed."""
    files = []
    for script in ("ui/pictures.rc", "shadow/shadow_pictures.rc", "assets/tracks.rc"):
        files += re.findall(r'^\w+\s+\w+\s+"([^"]+)"', (ROOT / script).read_text(), re.M)
    return [ROOT / name for name in files]


# --- the table ----------------------------------------------------------------

def med(values):
    return statistics.median(values)


def machine() -> str:
    cpu = re.search(r"^model name\s*:\s*(.+)$", Path("/proc/cpuinfo").read_text(), re.M)
    wine = subprocess.run(["wine", "--version"], env=harness.lab_env(), capture_output=True,
                          text=True).stdout.strip()
    commit = subprocess.run(["git", "-C", str(ROOT), "describe", "--always", "--dirty"],
                            capture_output=True, text=True).stdout.strip()
    return ("%s, %d cores, %s, %s (%s Wine), load %.1f; commit %s, %s UTC"
            % (cpu.group(1) if cpu else platform.processor(), os.cpu_count(), platform.system(),
               wine, harness.lab_arch(), os.getloadavg()[0], commit,
               datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M")))


def rows(f, extra):
    """(figure, program, reference, goal, met) for every measure."""
    start, trivial_start = med(f["start_ms"]), med(f["trivial_start_ms"])
    reference_start = med(f["reference_start_ms"])
    children_start = med(f["children_start_ms"])
    first_sound, player_heard = med(f["first_sound_ms"]), med(f["player_open_to_sound_ms"])
    first_sound_goal = 1000 + player_heard + 50
    peak, trivial_peak = med(f["peak_mb"]), med(f["trivial_peak_mb"])
    steady_gui = med(f["steady_gui_ms_min"])
    restart, mask, shadow, drag = extra["restart"], extra["mask"], extra["shadow"], extra["drag"]
    large_start, large_mask = med(f["large_start_ms"]), extra["large_mask"]
    exe_mb, assets_mb = extra["exe_mb"], extra["assets_mb"]
    return [
        ("process start to window shown", "%.0f ms" % start,
         "%.0f ms start-up reference; %.0f ms trivial window, %.0f ms with %d child windows"
         % (reference_start, trivial_start, children_start, TRIVIAL_CHILDREN),
         "<= 1.1 x start-up reference (%.2f x)" % (start / reference_start),
         start <= 1.1 * reference_start),
        ("process start to window shown at %d dpi" % LARGE_DPI, "%.0f ms" % large_start,
         "%.0f ms at 96 dpi (%.2f x)" % (start, large_start / start), "", None),
        ("peak resident set at window shown", "%.1f MB" % peak,
         "%.1f MB trivial window; %.1f MB start-up reference"
         % (trivial_peak, med(f["reference_peak_mb"])), "<= trivial + 10 MB",
         peak <= trivial_peak + 10),
        ("window shown to first sound", "%.0f ms" % first_sound,
         "shown to channel 1 opened %.0f ms, opened to heard %.0f ms; trivial player "
         "opened to heard %.0f ms" % (med(f["shown_to_open_ms"]), med(f["open_to_sound_ms"]),
                                      player_heard),
         "<= 1000 + player + 50 ms (%.0f ms)" % first_sound_goal,
         first_sound <= first_sound_goal),
        ("first sound to all six sounding", "%.0f ms" % med(f["all_six_ms"]), "",
         "about 2000 ms", None),
        ("GUI thread in the first start wait", "%.2f %% of a core" % med(f["first_wait_gui_pct"]),
         "", "< 1 %", med(f["first_wait_gui_pct"]) < 1),
        ("GUI thread in the second start wait",
         "%.2f %% of a core" % med(f["second_wait_gui_pct"]), "", "< 1 %",
         med(f["second_wait_gui_pct"]) < 1),
        ("GUI thread, whole start sequence (%.0f s)" % START_SPAN_S,
         "%.0f ms" % med(f["start_gui_ms"]),
         "process %.0f ms" % med(f["start_process_ms"]), "", None),
        ("GUI thread, steady playing", "%.0f ms/min (%.3f %%)" % (steady_gui, steady_gui / 600),
         "process %.0f ms/min (%.1f %%)" % (med(f["steady_process_ms_min"]),
                                           med(f["steady_process_ms_min"]) / 600),
         "< 0.2 % of a core", steady_gui / 600 < 0.2),
        ("loop restart of the longest track (tick to playing)",
         "%.0f ms" % restart["restart_until_playing_ms"],
         "track write alone %.0f ms" % restart["track_write_ms"], "<= 150 ms",
         restart["restart_until_playing_ms"] <= 150),
        ("ShowMask on the main window", "%.1f ms" % mask["show_mask_ms"],
         "bare snapshot %.1f ms, blur alone %.1f ms" % (mask["snapshot_ms"], mask["blur_ms"]),
         "<= 20 ms", mask["show_mask_ms"] <= 20),
        ("ShowMask at %d dpi" % LARGE_DPI, "%.1f ms" % large_mask["show_mask_ms"],
         "bare snapshot %.1f ms, blur alone %.1f ms; %.1f ms at 96 dpi"
         % (large_mask["snapshot_ms"], large_mask["blur_ms"], mask["show_mask_ms"]), "", None),
        ("one shadow update during a drag", "%.1f ms" % shadow["update_ms"],
         "update with nothing drawn %.1f ms" % shadow["reference_ms"], "<= 3 ms",
         shadow["update_ms"] <= 3),
        ("slider drag position events", "%.0f per s" % drag["events_per_second"],
         "%.0f pointer moves per s" % (drag["moves_sent"] / drag["seconds"]), "", None),
        ("executable size (32-bit heyu.exe)", "%.2f MB" % exe_mb,
         "embedded assets %.2f MB" % assets_mb, "<= assets + 1 MB (+%.2f MB)"
         % (exe_mb - assets_mb), exe_mb - assets_mb <= 1),
    ]


def table(f, extra, runs) -> str:
    lines = ["| figure | program | reference | goal | met |", "|---|---|---|---|---|"]
    for name, value, reference, goal, met in rows(f, extra):
        mark = "" if met is None else ("yes" if met else "**no**")
        lines.append("| %s | %s | %s | %s | %s |" % (name, value, reference, goal, mark))
    return "\n".join(lines) + ("\n\nMedians of %d runs (the benchmark programs: of their own "
                               "repetitions).\n" % runs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--steady", type=float, default=LONGEST_STEADY_S)
    parser.add_argument("--out", type=Path)
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    # Repetitions inside the benchmark programs; their own defaults otherwise.
    repetitions = {"restart": [], "mask": [], "shadow": []}
    if args.quick:
        args.runs, args.steady = 1, 5.0
        repetitions = {"restart": [1], "mask": [5], "shadow": [30]}
    lab = ROOT / "tests" / "lab" / "lab.py"
    if OWN_LAB:
        subprocess.run([sys.executable, str(lab), "start", str(harness.LAB)], check=True)
    try:
        about = machine()
        figures = {key: [] for key in (
            "start_ms", "peak_mb", "trivial_start_ms", "trivial_peak_mb", "start_gui_ms",
            "start_process_ms", "steady_gui_ms_min", "steady_process_ms_min",
            "first_wait_gui_pct", "second_wait_gui_pct", "first_sound_ms", "all_six_ms",
            "shown_to_open_ms", "open_to_sound_ms", "children_start_ms",
            "player_open_to_sound_ms", "reference_start_ms", "reference_peak_mb",
            "large_start_ms")}
        log = BUILD / "bench-trace.log"
        for run in range(args.runs):
            print("run %d of %d" % (run + 1, args.runs), flush=True)
            trivial_run(figures)
            reference_run(figures)
            program_run(figures, min(args.steady, LONGEST_STEADY_S))
            tones_run(figures, log)
            player_run(figures, log)
            large_scale_run(figures)
        log.unlink(missing_ok=True)
        assets = sum(path.stat().st_size for path in embedded_assets())
        product = ROOT / "build" / "heyu.exe"
        extra = {"restart": harness.run_json(BUILD / "restart_bench.exe", *repetitions["restart"]),
                 "mask": harness.run_json(BUILD / "mask_bench.exe", *repetitions["mask"]),
                 "large_mask": mask_at(LARGE_DPI, repetitions["mask"]),
                 "shadow": harness.run_json(BUILD / "shadow_bench.exe", *repetitions["shadow"]),
                 "drag": harness.run_json(BUILD / "drag_bench.exe"),
                 "exe_mb": (product if product.exists() else harness.EXE).stat().st_size / 2**20,
                 "assets_mb": assets / 2**20}
        report = "# Benchmarks\n\n%s\n\n%s" % (about, table(figures, extra, args.runs))
        print(report)
        if args.out:
            args.out.parent.mkdir(parents=True, exist_ok=True)
            args.out.write_text(report)
    finally:
        if OWN_LAB:
            subprocess.run([sys.executable, str(lab), "stop", str(harness.LAB)])


if __name__ == "__main__":
    main()
