"""The six channels as a listener hears them: the start sequence, the loop
check, the sliders and the two ways of ending, from the recorded mix and
Wine's trace of the program's file calls.

Most runs use heyu-tones.exe, which plays a steady tone of its own pitch and
length per channel (tools/sound/make-test-tracks.sh), so the recording shows
which channels sound and how loud; the last run checks that the real program
plays all six of its tracks."""
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import sound  # noqa: E402
from harness import calls_of, count_calls, file_calls  # noqa: E402

TONES_EXE = harness.TONES_EXE
RECORDING = harness.LAB / "recording.wav"
CHANNELS = range(1, 7)
WM_LBUTTONDOWN = 0x0201
FULL_DB = -20.0       # a test tone at volume 100
LEVEL_TOLERANCE_DB = 3.0
LOOP_PERIOD_S = 3.0


def settings_text(folder: Path) -> str:
    path = folder / "config.ini"
    return path.read_bytes().decode("gbk") if path.exists() else None


class MixerTest(harness.ProgramTest):
    def start_in(self, name, exe=TONES_EXE, settings=None):
        """Starts a copy of exe in a scratch folder, with the file trace on.
        Returns (program, folder, trace log)."""
        folder = self.scratch(name)
        shutil.copy(exe, folder / "heyu.exe")
        if settings is not None:
            (folder / "config.ini").write_bytes(settings.encode("gbk"))
        log = folder / "trace.log"
        program = self.start(folder / "heyu.exe", log=log,
                             env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE))
        # A fault inside the platform's media stack shows only in Wine's log.
        self.addCleanup(lambda: self.assertNotIn("Unhandled", log.read_text(errors="replace"),
                                                 "%s shows an unhandled exception" % log))
        return program, folder, log

    def wait_recorded(self, until_s):
        harness.wait_until(lambda: sound.position(RECORDING) >= until_s, 60,
                           "the recording to reach %.1f s" % until_s)

    def assertLevel(self, frames, channel, start, end, expected_db):
        self.assertAlmostEqual(sound.median_level(frames, channel, start, end), expected_db,
                               delta=LEVEL_TOLERANCE_DB, msg="channel %d" % channel)

    def test_start_order_loop_sliders_and_close(self):
        watcher = harness.paint_watcher()
        program, folder, log = self.start_in("mixer-start")
        shown_at = harness.painted_at(watcher)
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        shown = clock(shown_at)

        # Channel 6, the shortest tone, ends and is written out again by the
        # loop check; a little later it sounds again.
        harness.wait_until(lambda: count_calls(file_calls(log), "write", 6) >= 2, 40,
                           "channel 6 to restart")
        self.wait_recorded(clock(time.monotonic()) + 2.0)
        frames = sound.levels(RECORDING, shown - 0.5, sound.position(RECORDING))
        calls = file_calls(log)

        # The program's own order: a second's wait after the window shows (the
        # probe sees the painted window a little late),
        # the six tracks written, channel 1 opened alone, two seconds later
        # the other five one right after the other.
        written = calls_of(calls, "write", 1)[0]
        opened = [calls_of(calls, "open", n)[0] for n in CHANNELS]
        self.assertGreater(written - shown_at, 0.7)
        self.assertLess(written - shown_at, 2.0)
        writes = [calls_of(calls, "write", n)[0] for n in CHANNELS]
        self.assertEqual(writes, sorted(writes))
        self.assertLess(writes[-1], opened[0])
        self.assertGreater(opened[1] - opened[0], 1.95)
        self.assertLess(opened[1] - opened[0], 3.0)
        self.assertEqual(opened[1:], sorted(opened[1:]))
        self.assertLess(opened[5] - opened[1], 2.0)

        # What is heard: silence until the tracks are written, then channel 1
        # before the other five.
        heard = {n: sound.onset(frames, n) for n in CHANNELS}
        self.assertTrue(all(heard.values()), "a channel never sounded: %r" % heard)
        for n in CHANNELS:
            self.assertLess(sound.median_level(frames, n, shown - 0.5, clock(written)),
                            sound.SOUNDING_DB)
        self.assertGreater(heard[1], clock(written))
        others = [heard[n] for n in CHANNELS if n != 1]
        self.assertLess(heard[1], min(others))

        # No settings file: all six at full volume, and none is written.
        everyone = max(others) + 0.3
        for n in CHANNELS:
            self.assertLevel(frames, n, everyone, everyone + 1.5, FULL_DB)
        self.assertIsNone(settings_text(folder))

        # Channel 6 is written out again within a loop period of its end and
        # sounds again at its slider's volume; the others play on untouched.
        gap = [g for g in sound.gaps(frames, 6) if g[0] > heard[6]]
        self.assertTrue(gap, "channel 6 never stopped")
        self.assertAlmostEqual(gap[0][0], heard[6] + sound.TONE_SECONDS[6], delta=0.5)
        self.assertLess(clock(calls_of(calls, "write", 6)[1]) - gap[0][0], LOOP_PERIOD_S + 0.5)
        self.assertLevel(frames, 6, gap[0][1] + 0.3, gap[0][1] + 1.0, FULL_DB)
        for n in range(1, 6):
            self.assertEqual([g for g in sound.gaps(frames, n) if g[0] > everyone], [],
                             "channel %d paused" % n)
        self.assertEqual([count_calls(calls, "write", n) for n in CHANNELS], [1] * 5 + [2])

        # Slider 5 to 0: silent at once, stored, and not restarted by the
        # loop check, since its device still plays.
        bar5 = harness.control(window, "volumeBar5")["hwnd"]
        harness.set_property(bar5, harness.PROPERTY_POSITION, 0)
        moved = clock(time.monotonic())
        self.assertIn("v5=0", settings_text(folder))
        self.wait_recorded(moved + LOOP_PERIOD_S + 0.5)
        # The platform's output runs a second or more behind a busy machine:
        # the channel must fall silent within two seconds and stay silent.
        after = sound.levels(RECORDING, moved - 0.5, moved + LOOP_PERIOD_S + 0.5)
        silent = sound.gaps(after, 5)
        self.assertTrue(silent, "channel 5 never fell silent")
        self.assertLess(silent[-1][0], moved + 2.0)
        self.assertAlmostEqual(silent[-1][1], after[-1][0] + 0.1, delta=0.01)
        self.assertLevel(after, 4, moved + 1.2, moved + LOOP_PERIOD_S, FULL_DB)
        self.assertEqual(count_calls(file_calls(log), "write", 5), 1)

        # Esc: a close request, which stops the players and attempts one more
        # deletion of every track file than there were writes.
        harness.focus(window)
        harness.xdotool("key", "Escape")
        self.assertEqual(program.exit_code(), 0)
        calls = file_calls(log)
        for n in CHANNELS:
            self.assertEqual(count_calls(calls, "delete", n), count_calls(calls, "write", n) + 1,
                             "channel %d" % n)

    def test_stored_volumes_are_shown_stored_and_heard_and_x_deletes_nothing(self):
        program, folder, log = self.start_in(
            "mixer-stored", settings="[config]\r\nv2=-5\r\nv3=40\r\nv4=150\r\n")
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, 30,
                           "channel 6 to open")
        started = clock(time.monotonic())
        self.wait_recorded(started + 2.0)
        frames = sound.levels(RECORDING, started + 0.5, started + 2.0)

        positions = [harness.get_property(harness.control(window, "volumeBar%d" % n)["hwnd"],
                                          harness.PROPERTY_POSITION) for n in CHANNELS]
        self.assertEqual(positions, [100, 0, 40, 100, 100, 100])
        # -5 became 0 in the file, 40 was written again, 150 stays as stored.
        text = settings_text(folder)
        for line in ("v2=0", "v3=40", "v4=150"):
            self.assertIn(line, text)
        # What is heard is what the sliders show.
        self.assertLess(sound.median_level(frames, 2, started + 0.5, started + 2.0),
                        sound.SOUNDING_DB)
        level3 = sound.median_level(frames, 3, started + 0.5, started + 2.0)
        self.assertLess(level3, FULL_DB - LEVEL_TOLERANCE_DB)
        self.assertGreater(level3, sound.SOUNDING_DB)
        self.assertLevel(frames, 4, started + 0.5, started + 2.0, FULL_DB)

        # The close label ends at once: no close query, so no deletion beyond
        # the one that follows each write.
        harness.post(harness.control(window, "closeLabel")["hwnd"], WM_LBUTTONDOWN, 0, 0)
        # Six devices play: each is closed before the process ends, which
        # ends cleanly on every Wine.
        self.assertEqual(program.exit_code(), 0)
        harness.wait_no_window()
        calls = file_calls(log)
        for n in CHANNELS:
            self.assertEqual(count_calls(calls, "delete", n), count_calls(calls, "write", n))

    def test_a_slider_moved_and_a_close_during_the_start_waits(self):
        # The probe writes slider 1 a moment after the window shows: after
        # the first activation has set the sliders, inside its first wait.
        setter = subprocess.Popen(
            ["wine", str(harness.PROBE), "setonshow", harness.MAIN_TITLE,
             str(harness.MAIN_WINDOW_IDS["volumeBar1"]), str(harness.PROPERTY_POSITION), "30",
             "300", "60000"], env=harness.lab_env(), stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(setter.stdout.close)
        self.addCleanup(setter.kill)
        self.assertEqual(setter.stdout.readline().strip(), b"ready")
        program, folder, log = self.start_in("mixer-waits")
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        self.assertEqual(setter.wait(timeout=60), 0)

        # Close while channel 1 plays alone.
        def heard(channel):
            now = sound.position(RECORDING)
            return any(level[channel] > sound.SOUNDING_DB
                       for _, level in sound.levels(RECORDING, now - 0.3, now))
        harness.wait_until(lambda: heard(1), 30, "channel 1 to sound")
        harness.post(window["hwnd"], harness.WM_CLOSE)
        closed = clock(time.monotonic())
        self.assertEqual(program.exit_code(), 0)
        harness.wait_no_window()

        calls = file_calls(log)
        # The slider's handler ran inside the wait: its value was stored
        # before the first track was written, and channel 1 played at it.
        self.assertLess(calls_of(calls, "settings", 0)[0], calls_of(calls, "write", 1)[0])
        self.assertIn("v1=30", settings_text(folder))
        self.wait_recorded(closed + 0.5)
        frames = sound.levels(RECORDING, closed - 3.0, closed + 0.5)
        heard1 = [level[1] for _, level in frames if level[1] > sound.SOUNDING_DB]
        self.assertTrue(heard1, "channel 1 was never heard")
        self.assertLess(max(heard1), FULL_DB - LEVEL_TOLERANCE_DB)
        # Nothing was opened after the close.
        self.assertEqual([count_calls(calls, "open", n) for n in range(2, 7)], [0] * 5)

    def test_the_real_program_plays_all_six_tracks(self):
        muted = "[config]\r\n" + "".join("v%d=0\r\n" % n for n in CHANNELS)
        program, folder, log = self.start_in("mixer-real", exe=harness.EXE, settings=muted)
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, 60,
                           "channel 6 to open")
        bars = {n: harness.control(window, "volumeBar%d" % n)["hwnd"] for n in CHANNELS}
        quiet_from = clock(time.monotonic()) + 0.5
        self.wait_recorded(quiet_from + 1.0)
        spans = {}
        for n in CHANNELS:
            harness.set_property(bars[n], harness.PROPERTY_POSITION, 100)
            loud_from = clock(time.monotonic()) + 0.3
            self.wait_recorded(loud_from + 1.0)
            harness.set_property(bars[n], harness.PROPERTY_POSITION, 0)
            spans[n] = (loud_from, loud_from + 1.0)
        self.assertLess(sound.loudness(RECORDING, quiet_from, quiet_from + 1.0), -80)
        for n in CHANNELS:
            self.assertGreater(sound.loudness(RECORDING, *spans[n]), -60, "track %d" % n)
        harness.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
