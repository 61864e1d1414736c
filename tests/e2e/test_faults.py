"""The program under faults of its surroundings: a read-only settings file
or folder, a temporary folder that is missing or full, a track file held
open by another process or deleted while its channel plays. In each the
program runs on, the channels sound again where their files can be
written, the settings file changes only where it can be written, and a
close request still ends the program with code 0.

The program is heyu-tones.exe, so the recording shows which channels sound.
The tests run as root, whom file permissions do not stop: read-only places
are read-only bind mounts, a full folder is a small tmpfs filled up, and
each test checks that its fault really made the program's writes fail."""
import errno
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
TONE_BYTES = {n: (harness.PROGRAMS / "test-tracks" / ("tone%d.mp3" % n)).stat().st_size
              for n in range(1, 7)}
RECORDING = harness.LAB / "recording.wav"
CHANNELS = set(range(1, 7))
SCRATCH = harness.BUILD / "e2e"
FULL_DB = -20.0  # a test tone at volume 100


def unmount(point: Path):
    # Lazy, so that a mount never outlives the test, even one still in use.
    subprocess.run(["umount", "-l", str(point)], check=True)


def unmount_leftovers():
    """Mounts left under the scratch folders by a run that was killed."""
    for line in Path("/proc/mounts").read_text().splitlines():
        point = line.split()[1]
        if point.startswith(str(SCRATCH) + "/"):
            unmount(Path(point))


def track_file(folder: Path, channel: int) -> Path:
    return folder / ("tmmmA0%d.tmp" % channel)


def recorded(start_s, end_s) -> list:
    """The channels' levels between start_s and end_s of the recording, once
    it has got that far."""
    harness.wait_until(lambda: sound.position(RECORDING) >= end_s, 60,
                       "the recording to reach %.1f s" % end_s)
    return sound.levels(RECORDING, start_s, end_s)


def heard(start_s, end_s) -> set:
    """The channels that sound at some time between start_s and end_s."""
    return {n for n in CHANNELS
            if any(level[n] >= sound.SOUNDING_DB for _, level in recorded(start_s, end_s))}


def sounding_now() -> set:
    """The channels that sound in the last 0.6 s of the recording."""
    now = sound.position(RECORDING)
    return heard(max(0.0, now - 0.6), now)


class FaultTest(harness.ProgramTest):
    def setUp(self):
        unmount_leftovers()
        super().setUp()

    def read_only(self, path: Path):
        """Makes a file or folder read-only for everyone, root included,
        until the test ends."""
        subprocess.run(["mount", "--bind", str(path), str(path)], check=True)
        self.addCleanup(unmount, path)
        subprocess.run(["mount", "-o", "remount,bind,ro", str(path)], check=True)

    def start_tones(self, folder: Path, read_only_folder=False, clocked=True, **kwargs):
        """Starts heyu-tones.exe from folder with the file trace on; returns
        the program, its trace and (if clocked) the recording's clock."""
        shutil.copy(TONES_EXE, folder / "heyu.exe")
        if read_only_folder:
            self.read_only(folder)
        log = folder.parent / (folder.name + "-trace.log")
        self.addCleanup(log.unlink, True)
        program = self.start(folder / "heyu.exe", log=log,
                             env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE), **kwargs)
        harness.wait_window(timeout=60)
        return program, log, sound.clock(RECORDING) if clocked else None

    def close(self, program):
        harness.post(harness.wait_window()["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)

    def assert_silent_until_restored(self, program, log, clock, temp: Path, restore):
        """No channel sounds while no track file can be written to temp,
        although the loop check retries every channel; after restore() all
        six sound again."""
        harness.wait_until(lambda: all(count_calls(file_calls(log), "write", n) >= 2
                                       for n in CHANNELS), 60,
                           "a retry of every channel")
        first_write = min(calls_of(file_calls(log), "write", 1))
        self.assertEqual(heard(clock(first_write), clock(time.monotonic())), set())
        for n in CHANNELS:
            path = track_file(temp, n)
            self.assertFalse(path.exists() and path.stat().st_size == TONE_BYTES[n],
                             "channel %d's file was written" % n)
        self.assertTrue(program.running())

        restore()
        harness.wait_until(lambda: sounding_now() == CHANNELS, 60, "the six channels to sound")
        # While a device plays its deleted file, the file stays on disk (the
        # shortest, channel 6's, may be between two of its restarts).
        for n in CHANNELS - {6}:
            self.assertEqual(track_file(temp, n).stat().st_size, TONE_BYTES[n])


class Faults(FaultTest):
    def test_a_read_only_settings_file_and_a_track_file_held_then_deleted(self):
        folder = self.scratch("faults-held")
        settings = folder / "config.ini"
        stored = b"[config]\r\nv2=40\r\n"
        settings.write_bytes(stored)
        self.read_only(settings)

        # Another process holds channel 6's file, without sharing, from
        # before the program starts.
        track6 = track_file(harness.prefix_temp_dir(), 6)
        track6.unlink(missing_ok=True)
        holder = subprocess.Popen(["wine", str(harness.PROBE), "holdfile",
                                   harness.windows_path(track6), "120000"],
                                  env=harness.lab_env(), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(holder.kill)
        self.addCleanup(holder.stdout.close)
        self.assertEqual(holder.stdout.readline().strip(), b"ready")

        program, log, clock = self.start_tones(folder)
        window = harness.wait_window()
        harness.wait_until(lambda: count_calls(file_calls(log), "write", 6) >= 3, 60,
                           "two retries of channel 6")
        calls = file_calls(log)
        started = clock(calls_of(calls, "open", 2)[0]) + 1.0
        # Silently: no box, and the other five play on, untouched.
        self.assertEqual(heard(started, clock(time.monotonic())), CHANNELS - {6})
        self.assertEqual([w for w in harness.windows() if w["class"] == "#32770"], [])
        self.assertEqual([count_calls(calls, "write", n) for n in range(1, 6)], [1] * 5)
        self.assertEqual(track6.stat().st_size, 0)  # the holder's empty file

        # A slider moved: heard at once, but the settings file stays as it was.
        writes = count_calls(file_calls(log), "settings", 0)
        bar5 = harness.control(window, "volumeBar5")["hwnd"]
        harness.set_property(bar5, harness.PROPERTY_POSITION, 0)
        self.assertGreater(count_calls(file_calls(log), "settings", 0), writes)
        self.assertEqual(settings.read_bytes(), stored)
        harness.wait_until(lambda: 5 not in sounding_now(), 20, "channel 5 to fall silent")
        bar2 = harness.control(window, "volumeBar2")["hwnd"]
        self.assertEqual(harness.get_property(bar2, harness.PROPERTY_POSITION), 40)

        # Released, the file is written at the next loop check and sounds.
        holder.stdin.close()
        self.assertEqual(holder.stdout.readline().strip(), b"released")
        harness.wait_until(lambda: 6 in sounding_now(), 30, "channel 6 to sound")
        self.assertEqual(track6.stat().st_size, TONE_BYTES[6])

        # Deleted while it plays: the tone plays on, and the file is written
        # again at the channel's next restart, which sounds again.
        writes = count_calls(file_calls(log), "write", 6)
        track6.unlink()
        deleted = clock(time.monotonic())
        self.assertIn(6, heard(deleted + 0.5, deleted + 2.0))
        harness.wait_until(lambda: count_calls(file_calls(log), "write", 6) > writes, 30,
                           "channel 6 to restart")
        rewritten = clock(calls_of(file_calls(log), "write", 6)[-1])
        harness.wait_until(lambda: 6 in heard(rewritten, clock(time.monotonic())), 20,
                           "channel 6 to sound again")
        self.assertEqual(track6.stat().st_size, TONE_BYTES[6])

        self.close(program)
        self.assertEqual(settings.read_bytes(), stored)

    def test_a_read_only_folder_and_a_full_temporary_folder(self):
        folder = self.scratch("faults-full")
        temp = self.scratch("faults-full-temp")
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "tmpfs", str(temp)], check=True)
        self.addCleanup(unmount, temp)
        filler = temp / "filler"
        with open(filler, "wb") as out:
            try:
                while True:
                    out.write(b"\0" * 65536)
                    out.flush()
            except OSError as error:
                self.assertEqual(error.errno, errno.ENOSPC)
        program, log, clock = self.start_tones(
            folder, read_only_folder=True, windows_env={"TMP": harness.windows_path(temp)})
        window = harness.wait_window()
        # A slider moved: the settings write is tried and fails.
        writes = count_calls(file_calls(log), "settings", 0)
        harness.set_property(harness.control(window, "volumeBar3")["hwnd"],
                             harness.PROPERTY_POSITION, 50)
        self.assertGreater(count_calls(file_calls(log), "settings", 0), writes)
        self.assertFalse((folder / "config.ini").exists())

        self.assert_silent_until_restored(program, log, clock, temp, filler.unlink)
        self.close(program)
        self.assertFalse((folder / "config.ini").exists())

    def test_a_missing_temporary_folder(self):
        folder = self.scratch("faults-missing")
        temp = folder / "temp"
        program, log, clock = self.start_tones(
            folder, windows_env={"TMP": harness.windows_path(temp)})
        window = harness.wait_window()
        # Where the settings can be written, they are, at once.
        harness.set_property(harness.control(window, "volumeBar1")["hwnd"],
                             harness.PROPERTY_POSITION, 30)
        self.assertEqual((folder / "config.ini").read_bytes(), b"[config]\r\nv1=30\r\n")

        self.assert_silent_until_restored(program, log, clock, temp, temp.mkdir)
        # A restarted channel plays at its slider's volume.
        now = clock(time.monotonic())
        self.assertLess(sound.median_level(recorded(now - 0.5, now), 1, now - 0.5, now),
                        FULL_DB - 3.0)
        self.close(program)
        self.assertEqual((folder / "config.ini").read_bytes(), b"[config]\r\nv1=30\r\n")


class NoSoundDevice(FaultTest):
    """A lab whose prefix has no audio driver: no media device opens, as on
    a PC without a sound card."""

    @classmethod
    def setUpClass(cls):
        sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "lab"))
        import lab  # noqa: E402
        cls.lab, cls.shared_lab = lab, harness.LAB
        harness.LAB = harness.BUILD / "silent-lab"
        lab.start(harness.LAB, sound=False)

    @classmethod
    def tearDownClass(cls):
        cls.lab.stop(harness.LAB)
        harness.LAB = cls.shared_lab

    def test_each_track_is_written_once_and_tried_at_growing_intervals(self):
        folder = self.scratch("faults-no-device")
        temp = harness.prefix_temp_dir()
        program, log, _ = self.start_tones(folder, clocked=False)

        def tries(channel):
            """When the channel's device was tried: each try opens the file
            a few times at once."""
            opens = calls_of(file_calls(log), "open", channel)
            return [at for i, at in enumerate(opens) if i == 0 or at - opens[i - 1] > 1.0]

        # Retried at the next loop check, then after 6 s, then after 12.
        harness.wait_until(lambda: all(len(tries(n)) >= 4 for n in CHANNELS), 90,
                           "four tries of every channel")
        for n in CHANNELS:
            at = tries(n)
            gaps = [b - a for a, b in zip(at, at[1:4])]
            self.assertTrue(gaps[0] < 8 and gaps[1] > 5 and gaps[2] > 1.5 * gaps[1],
                            "channel %d tried at %s" % (n, at))
        self.assertEqual([count_calls(file_calls(log), "write", n) for n in sorted(CHANNELS)],
                         [1] * 6)
        for n in CHANNELS:
            self.assertEqual(track_file(temp, n).stat().st_size, TONE_BYTES[n])
        # A kept file that is no longer as written is written again.
        track_file(temp, 2).write_bytes(b"not a track")
        harness.wait_until(lambda: count_calls(file_calls(log), "write", 2) == 2, 60,
                           "channel 2's file written again")
        self.assertEqual(track_file(temp, 2).stat().st_size, TONE_BYTES[2])
        self.close(program)
        self.assertEqual([n for n in CHANNELS if track_file(temp, n).exists()], [])

if __name__ == "__main__":
    unittest.main()
