"""A DLL of a system DLL's name, planted beside the program or in the folder
it is started from, never runs: the program loads every DLL it does not
import from the known ones by its full path in the system folder. Wine is
told to prefer a native DLL of those names, as Windows does for DLLs that
are not known DLLs, and the stand-in (tests/stand_in) leaves a mark when it
runs. The program must not run it and must work as ever: its picture
painted, its six tones heard."""
import shutil
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import sound  # noqa: E402
from harness import count_calls, file_calls  # noqa: E402

STAND_IN = harness.BUILD / "stand_in.dll"
# The names the program has loaded, or would load, from outside the known DLLs.
NAMES = ["winmm", "gdiplus", "shell32", "msimg32"]
RECORDING = harness.LAB / "recording.wav"
CHANNELS = range(1, 7)


class PlantedDll(harness.ProgramTest):
    def test_stand_ins_beside_the_program_and_in_the_current_folder_never_run(self):
        folder = self.scratch("planted")
        beside, current = folder / "program", folder / "started-from"
        for place in (beside, current):
            place.mkdir()
            for name in NAMES:
                shutil.copy(STAND_IN, place / (name + ".dll"))
        shutil.copy(harness.TONES_EXE, beside / "heyu.exe")
        log = folder / "trace.log"
        overrides = "mscoree,mshtml=;%s=n,b" % ",".join(NAMES)
        watcher = harness.paint_watcher()
        self.start(beside / "heyu.exe", cwd=current, log=log,
                   env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE, WINEDLLOVERRIDES=overrides))
        harness.painted_at(watcher)
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        harness.wait_until(lambda: count_calls(file_calls(log), "open", 6) >= 1, 60,
                           "all six devices to open")
        opened = clock(time.monotonic())
        harness.wait_until(lambda: sound.position(RECORDING) >= opened + 2.0, 30,
                           "the recording to reach the six tones")
        frames = sound.levels(RECORDING, opened + 0.8, opened + 2.0)
        quiet = [n for n in CHANNELS
                 if sound.median_level(frames, n, opened + 0.8, opened + 2.0) < sound.SOUNDING_DB]
        self.assertEqual(quiet, [], "channels not heard")
        self.assertEqual(sorted(p.name for p in folder.rglob("*.ran")), [], "stand-ins that ran")
        harness.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(self.programs[0].exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
