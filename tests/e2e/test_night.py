"""Night use as a listener and a user meet it: Space, the menu (from a
right-click on the window and from the notification-area icon, its entries
chosen with the keyboard), the sleep timer's fade and the icon's removal at
every end, judged from the recorded mix, Wine's trace of the program's file
and notification-icon calls, and the windows on the screen.

heyu-tones.exe counts a second for each minute of the sleep timer, so its
"15 分钟" runs out 15 s after it is chosen; the fade keeps its real 10 s."""
import re
import shutil
import statistics
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import sound  # noqa: E402
from harness import count_calls, file_calls, tray_icons  # noqa: E402

TONES_EXE = harness.TONES_EXE
RECORDING = harness.LAB / "recording.wav"
MENU_SHOT = harness.BUILD / "night-menu.png"
CHANNELS = range(1, 7)
FULL_DB = -20.0
LEVEL_TOLERANCE_DB = 3.0
LOOP_PERIOD_S = 3.0
SLEEP_S = 15.0   # "15 分钟" in the test build
FADE_S = 10.0
WM_LBUTTONDOWN = 0x0201
# The file trace plus shell32's trace of Shell_NotifyIconW: one line per
# call, "dwMessage = 0" an add, "= 2" a delete.
TRACE = harness.FILE_TRACE + ",trace+systray"
_ICON_CALL = re.compile(r"^(\d+\.\d+):.*Shell_NotifyIconW dwMessage = (\d+)")
NIM_ADD, NIM_DELETE = 0, 2


def icon_calls(log: Path) -> list:
    """The adds and deletes of the icon, in order (the tooltip's changes left out)."""
    text = log.read_text(errors="replace") if log.exists() else ""
    calls = [int(m.group(2)) for m in map(_ICON_CALL.search, text.splitlines()) if m]
    return [c for c in calls if c in (NIM_ADD, NIM_DELETE)]


def menus() -> list:
    return [w for w in harness.windows() if w["class"] == "#32768"]


class NightTest(harness.ProgramTest):
    def start_in(self, name):
        folder = self.scratch(name)
        shutil.copy(TONES_EXE, folder / "heyu.exe")
        log = folder / "trace.log"
        program = self.start(folder / "heyu.exe", log=log,
                             env=harness.lab_env(WINEDEBUG=TRACE))
        return program, folder, log

    def wait_recorded(self, until_s):
        harness.wait_until(lambda: sound.position(RECORDING) >= until_s, 60,
                           "the recording to reach %.1f s" % until_s)

    def levels(self, start, end):
        self.wait_recorded(end)
        return sound.levels(RECORDING, start, end)

    def assertSilent(self, frames, what):
        for n in CHANNELS:
            self.assertLess(max(level[n] for _, level in frames), sound.SOUNDING_DB,
                            "channel %d sounds %s" % (n, what))

    def assertMixAtSliders(self, resumed):
        """Channels 1, 2, 4 and 5 sound at full volume after a resume, and 3
        at its slider's 40. Each is judged by its loudest second in the 4.5 s
        that follow: a channel paused near the end of its tone ends meanwhile
        and starts again within a loop period."""
        frames = self.levels(resumed + 1.0, resumed + 5.5)
        loudest = {n: statistics.median(sorted(level[n] for _, level in frames)[-10:])
                   for n in range(1, 6)}
        for n in (1, 2, 4, 5):
            self.assertAlmostEqual(loudest[n], FULL_DB, delta=LEVEL_TOLERANCE_DB,
                                   msg="channel %d: %r" % (n, loudest))
        self.assertLess(loudest[3], FULL_DB - LEVEL_TOLERANCE_DB)
        self.assertGreater(loudest[3], sound.SOUNDING_DB)

    def choose(self, *keys, shot=None, window=None):
        """Waits for the menu, presses keys in it, and waits for it to close.
        With a window, the keys go to its X window: the program's thread
        reads them there. A menu opened from the icon needs that in the lab,
        where the window manager keeps the keyboard on the tray's window,
        which belongs to another process."""
        harness.wait_until(menus, 10, "the menu to open")
        target = ["--window", harness.x_window(window)] if window else []
        for key in keys[:-1]:
            harness.xdotool("key", *target, key)
            time.sleep(0.2)
        if shot:
            time.sleep(0.3)
            harness.screenshot(shot)
        harness.xdotool("key", *target, keys[-1])
        harness.wait_until(lambda: not menus(), 10, "the menu to close")

    def right_click_window(self, window):
        x, y = harness.client_to_screen(window, 700, 300)  # the meadow's picture, no slider
        harness.xdotool("mousemove", "--sync", x, y, "click", "3")

    def right_click_icon(self):
        icon = harness.wait_until(tray_icons, 10, "the notification icon")[0]
        left, top, right, bottom = icon["rect"]
        harness.xdotool("mousemove", "--sync", (left + right) // 2, (top + bottom) // 2,
                        "click", "3")

    def sliders(self, window):
        return [harness.get_property(harness.control(window, "volumeBar%d" % n)["hwnd"],
                                     harness.PROPERTY_POSITION) for n in CHANNELS]

    def test_space_sliders_sleep_timer_and_the_menus_exit(self):
        program, folder, log = self.start_in("night-use")
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, 30,
                           "channel 6 to open")
        self.assertEqual(len(tray_icons()), 1, "no notification icon while it runs")
        self.assertEqual(icon_calls(log), [NIM_ADD])

        # Space while a slider has the keyboard: everything falls silent
        # within a second, the slider stays where it was, and no track is
        # written again across more than two loop checks (and past the end of
        # channel 6's six-second tone).
        harness.focus(window)
        harness.xdotool("key", "Tab")
        time.sleep(0.5)
        harness.xdotool("key", "space")
        paused = clock(time.monotonic())
        writes = [count_calls(file_calls(log), "write", n) for n in CHANNELS]
        self.assertSilent(self.levels(paused + 1.0, paused + 2.5 * LOOP_PERIOD_S), "while paused")
        self.assertEqual([count_calls(file_calls(log), "write", n) for n in CHANNELS], writes)
        self.assertEqual(self.sliders(window), [100] * 6)

        # A slider moved while paused is stored at once and heard on resume.
        harness.set_property(harness.control(window, "volumeBar3")["hwnd"],
                             harness.PROPERTY_POSITION, 40)
        stored = (folder / "config.ini").read_bytes()
        self.assertIn(b"v3=40", stored)
        harness.xdotool("key", "space")
        self.assertMixAtSliders(clock(time.monotonic()))

        # The sleep timer from a right-click on the window: "定时停止", then
        # its first entry, "15 分钟". The menu is photographed open.
        self.right_click_window(window)
        self.choose("Down", "Down", "Right", "Return", shot=MENU_SHOT)
        fires = clock(time.monotonic()) + SLEEP_S
        # Full until it runs out, then the mix falls from each second-long
        # stretch to the next (about 4, 4, 6 and 12 dB at 3, 5.5, 7.5 and 9 s
        # into the fade), and is silent once the fade is over.
        self.wait_recorded(fires + FADE_S + 3.0)
        steps = [sound.loudness(RECORDING, fires - 3.0, fires - 0.5)]
        steps += [sound.loudness(RECORDING, fires + s, fires + s + 1.0)
                  for s in (3.0, 5.5, 7.5, 9.0)]
        for before, after in zip(steps, steps[1:]):
            self.assertLess(after, before - 1.5, "the fade did not fall steadily: %r" % steps)
        self.assertGreater(steps[2], steps[0] - 15.0, "fell at once, not over 10 s: %r" % steps)
        self.assertSilent(sound.levels(RECORDING, fires + FADE_S + 1.0, fires + FADE_S + 3.0),
                          "after the fade")
        # Neither the sliders nor the file moved.
        self.assertEqual(self.sliders(window), [100, 100, 40, 100, 100, 100])
        self.assertEqual((folder / "config.ini").read_bytes(), stored)

        # Resumed from the icon's menu ("继续播放" on top): the mix as it was.
        self.right_click_icon()
        self.choose("Down", "Return", window=window)
        self.assertMixAtSliders(clock(time.monotonic()))

        # "退出", the last entry: the orderly close of Esc (one more
        # deletion than writes per track), exit code 0, and the icon goes.
        self.right_click_window(window)
        self.choose("Up", "Return")
        self.assertEqual(program.exit_code(), 0)
        calls = file_calls(log)
        for n in CHANNELS:
            self.assertEqual(count_calls(calls, "delete", n), count_calls(calls, "write", n) + 1,
                             "channel %d" % n)
        self.assertEqual(icon_calls(log)[-1], NIM_DELETE)
        self.assertEqual(tray_icons(), [])

    def test_a_pause_in_the_start_waits_and_the_icon_gone_with_x_and_esc(self):
        # Space as soon as the window shows: channel 1 is opened a second
        # later and the others two seconds after it, all held silent.
        program, folder, log = self.start_in("night-waits")
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        harness.focus(window)
        harness.xdotool("key", "space")
        paused = clock(time.monotonic())
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, 30,
                           "channel 6 to open")
        opened = clock(time.monotonic())
        self.assertSilent(self.levels(paused + 1.0, opened + LOOP_PERIOD_S), "after the pause")
        self.assertEqual([count_calls(file_calls(log), "write", n) for n in CHANNELS], [1] * 6)
        self.assertEqual(len(tray_icons()), 1)

        # A left click on the icon brings the minimised window back.
        harness.post(harness.control(window, "minimizeLabel")["hwnd"], WM_LBUTTONDOWN, 0, 0)
        harness.wait_until(lambda: harness.windows(visible_only=False,
                                                   title=harness.MAIN_TITLE)[0]["iconic"],
                           10, "the window to be minimised")
        left, top, right, bottom = tray_icons()[0]["rect"]
        harness.xdotool("mousemove", "--sync", (left + right) // 2, (top + bottom) // 2,
                        "click", "1")
        harness.wait_until(lambda: not harness.windows(title=harness.MAIN_TITLE)[0]["iconic"],
                           10, "the window to be restored")

        # The shell's "taskbar created" broadcast (here only posted to the
        # program's hidden window, the shell stays) adds the icon once more;
        # the shell refuses a second copy, and one icon stays.
        night = [w for w in harness.windows(visible_only=False)
                 if w["class"] == "heyu.NightUse" and w["pid"] == window["pid"]][0]
        taskbar_created = int(subprocess.run(
            ["wine", str(harness.PROBE), "message", "TaskbarCreated"], env=harness.lab_env(),
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            check=True).stdout)
        harness.post(night["hwnd"], taskbar_created)
        harness.wait_until(lambda: icon_calls(log) == [NIM_ADD, NIM_ADD], 10, "a second add")
        self.assertEqual(len(tray_icons()), 1)

        # "x" ends at once; the icon goes with it.
        harness.post(harness.control(window, "closeLabel")["hwnd"], WM_LBUTTONDOWN, 0, 0)
        self.assertEqual(program.exit_code(), 0)
        self.assertEqual(icon_calls(log), [NIM_ADD, NIM_ADD, NIM_DELETE])
        self.assertEqual(tray_icons(), [])
        harness.wait_no_window()

        program, folder, log = self.start_in("night-esc")
        window = harness.wait_window()
        harness.wait_until(tray_icons, 10, "the notification icon")
        harness.focus(window)
        harness.xdotool("key", "Escape")
        self.assertEqual(program.exit_code(), 0)
        self.assertEqual(icon_calls(log), [NIM_ADD, NIM_DELETE])
        self.assertEqual(tray_icons(), [])


if __name__ == "__main__":
    unittest.main()
