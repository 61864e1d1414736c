"""What a screen reader reads of the main window, asked from another
process as one asks (AccessibleObjectFromWindow through the probe): each
slider, glyph and the product name has its role, its name as the window
shows it, a slider its position as its value, the state focusable, the
glyphs and the product name a default action; a value set from
outside moves the slider, and a slider's change raises the value-change
event an out-of-context hook sees."""
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

ROLE_PUSHBUTTON = 0x2B
ROLE_SLIDER = 0x33
STATE_FOCUSABLE = 0x100000
CHANNEL_NAMES = ["鸟语花香", "篝火星夜", "春雨细细", "冬雷阵阵", "惊涛拍岸", "夏夜虫鸣"]
BUTTONS = [("helpLabel", "帮助"), ("minimizeLabel", "最小化"), ("closeLabel", "关闭"),
           ("brandLabel", "禾语听泉")]


def accessible(hwnd) -> dict:
    found = harness.probe("accessible", hwnd)
    if not found:
        raise AssertionError("window %s has no client object" % hwnd)
    return found[0]


class ScreenReader(harness.ProgramTest):
    def test_controls_read_as_a_screen_reader_reads_them(self):
        self.start(harness.EXE)
        window = harness.wait_window()
        bars = [harness.control(window, "volumeBar%d" % n)["hwnd"] for n in range(1, 7)]
        read = {}
        for n, bar in enumerate(bars, 1):
            got = accessible(bar)
            read["slider %d" % n] = got
            self.assertEqual((got["role"], got["name"], got["value"], got["action"]),
                             (ROLE_SLIDER, CHANNEL_NAMES[n - 1], "100", None), "slider %d" % n)
            self.assertTrue(got["state"] & STATE_FOCUSABLE, "slider %d" % n)
        for name, spoken in BUTTONS:
            got = accessible(harness.control(window, name)["hwnd"])
            read[name] = got
            self.assertEqual((got["role"], got["name"], got["value"], got["action"]),
                             (ROLE_PUSHBUTTON, spoken, None, "按下"), name)
        for name, got in read.items():
            print("%-14s role %#04x  name %s  value %s  state %#x  action %s"
                  % (name, got["role"], got["name"], got["value"], got["state"], got["action"]))

        # A value set from outside moves slider 2 and is stored as a drag's
        # would be; the change raises the event a screen reader listens to.
        watcher = subprocess.Popen(
            ["wine", str(harness.PROBE), "valueevent", str(bars[1]), "20000"],
            env=harness.lab_env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        self.addCleanup(watcher.kill)
        self.assertEqual(watcher.stdout.readline().strip(), b"ready")
        self.assertEqual(harness.probe("setvalue", bars[1], "90"), [])
        self.assertIn(b'"value":"90"', watcher.stdout.readline())
        self.assertEqual(watcher.wait(timeout=30), 0)
        self.assertEqual(harness.get_property(bars[1], harness.PROPERTY_POSITION), 90)
        self.assertIn("v2=90", (harness.PROGRAMS / "config.ini").read_bytes().decode("gbk"))
        self.assertNotEqual(
            subprocess.run(["wine", str(harness.PROBE), "setvalue", str(bars[1]), "101"],
                           env=harness.lab_env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode, 0,
            "a value beyond the range is refused")


if __name__ == "__main__":
    unittest.main()
