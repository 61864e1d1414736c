"""The shipped programs under Debian 13's Wine 10, which most Linux users
have, in a lab of its own: a Debian 13 root made by tests/lab/trixie-root.sh
in the build, entered in a mount namespace of its own (trixie-run.sh), with
the lab's prefix settings, display, window manager and sound server. Where
the kernel runs no 32-bit code the root's 64-bit Wine runs the 64-bit build,
as the main lab does.

One run of heyu.exe checks the window, its controls, its picture against the
reference, the notification icon and the second copy's notice; one run of
heyu-tones.exe the six tones heard, Space holding and resuming them and the
right-click menu. Then the program is closed while it plays, ten times by
Esc and ten by "x": each time it must end with exit code 0 within 5 s (Wine
10's MPEG device can hang when it is stopped while it decodes). No log may
show an unhandled exception.

When the root cannot be made (no archive, no space, no mount namespace) the
script says why on one line and ends with SKIP, CTest's skip return code.
"""
import os
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
LAB_SCRIPTS = HERE.parents[0] / "lab"
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(LAB_SCRIPTS))
import harness  # noqa: E402
import lab  # noqa: E402
import sound  # noqa: E402
from harness import count_calls, file_calls  # noqa: E402

SKIP = 77
LANE = harness.BUILD / "lane-wine10"
ROOT = Path(os.environ.get("HEYU_TRIXIE_ROOT", harness.BUILD / "trixie-root"))
REFERENCE = HERE / "reference" / "main_window.png"
REFERENCE_TOLERANCE = 0.003  # as test_main_window.py
NOTICE = "墨川禾语听泉已经运行"
CHANNELS = range(1, 7)
CLOSES_EACH = 10
CLOSE_BOUND_S = 5.0
# Wine 10 opens each media device about twice as slowly as Wine 8.
START_S = 60.0


def client_point(window, x, y):
    """Moves the pointer away first: a synced move to where it already is
    waits some 15 s."""
    harness.xdotool("mousemove", 1, 1)
    return harness.client_to_screen(window, x, y)


class Wine10(unittest.TestCase):
    def start(self, source, name):
        folder = LANE / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        exe = folder / "heyu.exe"
        shutil.copy(source, exe)
        log = folder / "wine.log"
        program = harness.Program(exe, log=log, env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE))
        self.addCleanup(program.kill)
        self.addCleanup(lambda: self.assertNotIn("Unhandled", log.read_text(errors="replace"),
                                                 "%s shows an unhandled exception" % log))
        return program, log

    def close_within_bound(self, program, how, window):
        if how == "Esc":
            harness.focus(window)
            harness.xdotool("key", "Escape")
        else:
            harness.xdotool("mousemove", "--sync", *client_point(window, 752, 15), "click", "1")
        asked = time.monotonic()
        try:
            code = program.exit_code(timeout=CLOSE_BOUND_S)
        except subprocess.TimeoutExpired:
            self.fail("still running %.0f s after %s" % (CLOSE_BOUND_S, how))
        self.assertEqual(code, 0, how)
        return time.monotonic() - asked

    def wait_playing(self, log):
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, START_S,
                           "all six devices to open")

    def test_1_window_picture_icon_and_second_copy(self):
        program, _ = self.start(harness.EXE, "program")
        window = harness.wait_window(timeout=START_S)
        harness.check_main_window(self, window, LANE / "main_window.png", REFERENCE,
                                  REFERENCE_TOLERANCE)
        self.assertEqual(len(harness.wait_until(harness.tray_icons, 10, "the notification icon")),
                         1)

        second, _ = self.start(harness.EXE, "second")
        box = harness.wait_message_box("提示", timeout=START_S)
        self.assertEqual(box["message"], NOTICE)
        harness.press(box, "确定")
        self.assertEqual(second.exit_code(timeout=30), 0)
        self.assertTrue(program.running())
        self.close_within_bound(program, "Esc", window)

    def test_2_tones_space_and_menu(self):
        recording = LANE / "recording.wav"
        program, log = self.start(harness.TONES_EXE, "tones")
        window = harness.wait_window(timeout=START_S)
        clock = sound.clock(recording)
        self.wait_playing(log)

        def levels_after(moment, start=0.8, end=2.0):
            harness.wait_until(lambda: sound.position(recording) >= moment + end, 30,
                               "the recording to reach %.1f s" % (moment + end))
            frames = sound.levels(recording, moment + start, moment + end)
            return {n: sound.median_level(frames, n, moment + start, moment + end)
                    for n in CHANNELS}

        def heard(moment):
            return [n for n, level in levels_after(moment).items() if level > sound.SOUNDING_DB]

        opened = clock(time.monotonic())
        self.assertEqual(heard(opened), list(CHANNELS), "the six tones")
        harness.focus(window)
        harness.xdotool("key", "space")
        self.assertEqual(heard(clock(time.monotonic())), [], "held by Space")
        harness.xdotool("key", "space")
        self.assertEqual(heard(clock(time.monotonic())), list(CHANNELS), "resumed by Space")

        # Wine 10's menus are a few pixels smaller than Wine 8's: only that
        # one opens and closes is judged.
        harness.xdotool("mousemove", "--sync", *client_point(window, 700, 300), "click", "3")
        menus = lambda: [w for w in harness.windows() if w["class"] == "#32768"]  # noqa: E731
        harness.wait_until(menus, 10, "the right-click menu")
        harness.xdotool("key", "Escape")
        harness.wait_until(lambda: not menus(), 10, "the menu to close")
        self.close_within_bound(program, "x", window)

    def test_3_closes_while_playing(self):
        longest = {}
        for attempt in range(2 * CLOSES_EACH):
            how = ("Esc", "x")[attempt % 2]
            program, log = self.start(harness.TONES_EXE, "close-%d" % attempt)
            window = harness.wait_window(timeout=START_S)
            self.wait_playing(log)
            with self.subTest(attempt=attempt, how=how):
                took = self.close_within_bound(program, how, window)
                longest[how] = max(longest.get(how, 0.0), took)
            harness.wait_no_window(timeout=30)
        print("lane: longest close after Esc %.2f s, after x %.2f s; %d notification icons left"
              % (longest["Esc"], longest["x"], len(harness.tray_icons())))


def skip(reason: str) -> int:
    print("SKIP: " + reason)
    return SKIP


def run_in_root() -> int:
    started = time.monotonic()
    lab.start(LANE)
    harness.LAB = LANE
    try:
        result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    finally:
        lab.stop(LANE)
    print("lane: Wine 10 lab, %.0f s" % (time.monotonic() - started))
    return 0 if result.wasSuccessful() else 1


def main() -> int:
    if sys.argv[1:] == ["--in-root"]:
        return run_in_root()
    started = time.monotonic()
    made = subprocess.run(["sh", str(LAB_SCRIPTS / "trixie-root.sh"), str(ROOT)],
                          stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if made.returncode != 0:
        return skip((made.stderr.strip().splitlines() or ["the Debian 13 root failed"])[-1])
    print("lane: Debian 13 root ready in %.0f s" % (time.monotonic() - started))
    trial = subprocess.run(["unshare", "--mount", "true"], capture_output=True, text=True)
    if trial.returncode != 0:
        return skip("no private mount namespace here: " + trial.stderr.strip())
    told = ["HEYU_BUILD_DIR=%s" % harness.BUILD, "HEYU_PROGRAM_DIR=%s" % harness.PROGRAMS,
            "HEYU_LAB_DIR=%s" % LANE]
    return subprocess.run(["sh", str(LAB_SCRIPTS / "trixie-run.sh"), str(ROOT), "env"] + told
                          + ["python3", str(Path(__file__).resolve()), "--in-root"],
                          stdin=subprocess.DEVNULL).returncode


if __name__ == "__main__":
    sys.exit(main())
