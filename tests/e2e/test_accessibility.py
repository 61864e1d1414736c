"""What a screen reader reads of the main window, asked from another
process as one asks (AccessibleObjectFromWindow through the probe): each
slider, glyph and the product name has its role, its name as the window
shows it, a slider its position as its value, the state focusable, the
glyphs and the product name a default action; a value set from
outside moves the slider, and a slider's change raises the value-change
event an out-of-context hook sees.

And the window by the keyboard alone: Tab visits the sliders, the glyphs
and the product name in order and round again, the focused slider shows
its cue (and not after a click, where the user's setting hides cues until
the keyboard is used), a key on it is heard by the hook, and Enter on "?"
opens the about box over the mask and Enter on "-" minimises."""
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from test_overlay import WELCOME, masks  # noqa: E402

ROLE_PUSHBUTTON = 0x2B
ROLE_SLIDER = 0x33
STATE_FOCUSABLE = 0x100000
STATE_FOCUSED = 0x4
CHANNEL_NAMES = ["鸟语花香", "篝火星夜", "春雨细细", "冬雷阵阵", "惊涛拍岸", "夏夜虫鸣"]
BUTTONS = [("helpLabel", "帮助"), ("minimizeLabel", "最小化"), ("closeLabel", "关闭"),
           ("brandLabel", "禾语听泉")]


TAB_ORDER = ["volumeBar%d" % n for n in range(1, 7)] + [
    "helpLabel", "minimizeLabel", "closeLabel", "brandLabel"]
DESKTOP = r"HKCU\Control Panel\Desktop"
# Wine's default preferences with "always show keyboard cues" cleared, as
# on Windows by default.
CUES_UNTIL_KEYBOARD_USE = "1000028012000000"


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
        self.addCleanup(watcher.stdout.close)
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


def watch_value(bar):
    watcher = subprocess.Popen(
        ["wine", str(harness.PROBE), "valueevent", str(bar), "20000"], env=harness.lab_env(),
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    assert watcher.stdout.readline().strip() == b"ready"
    return watcher


def reg(*args) -> str:
    return subprocess.run(["wine", "reg"] + list(args), env=harness.lab_env(), check=True,
                          stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          errors="replace").stdout


def crop(path: Path, rect) -> Path:
    left, top, right, bottom = rect
    out = path.with_name("crop-" + path.name)
    subprocess.run(["convert", str(path), "-crop",
                    "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage",
                    str(out)], check=True)
    return out


class Keyboard(harness.ProgramTest):
    def test_every_control_by_the_keyboard_alone(self):
        before = reg("query", DESKTOP, "/v", "UserPreferencesMask").split()[-1]
        reg("add", DESKTOP, "/v", "UserPreferencesMask", "/t", "REG_BINARY", "/d",
            CUES_UNTIL_KEYBOARD_USE, "/f")
        self.addCleanup(reg, "add", DESKTOP, "/v", "UserPreferencesMask", "/t", "REG_BINARY",
                        "/d", before, "/f")
        folder = harness.BUILD / "keyboard"
        folder.mkdir(parents=True, exist_ok=True)
        self.start(harness.EXE)
        window = harness.wait_window()
        controls = {name: harness.control(window, name) for name in TAB_ORDER}
        bare = folder / "no-focus.png"
        self.assertTrue(harness.settled_screenshot(bare, window))

        harness.focus(window)
        for name in TAB_ORDER + TAB_ORDER[:1]:  # round and back to the first slider
            harness.xdotool("key", "Tab")
            harness.wait_until(lambda: harness.probe("focus", window["hwnd"])
                               and harness.probe("focus", window["hwnd"])[0]["hwnd"]
                               == controls[name]["hwnd"], 10, "the focus on %s" % name)
        self.assertTrue(accessible(controls["volumeBar1"]["hwnd"])["state"] & STATE_FOCUSED,
                        "the focused slider reads as focused")
        harness.xdotool("key", "shift+Tab")
        harness.wait_until(lambda: harness.probe("focus", window["hwnd"])[0]["hwnd"]
                           == controls["brandLabel"]["hwnd"], 10, "Shift+Tab round back")
        harness.xdotool("key", "Tab")

        # The cue: everything that differs from the picture without it lies
        # on the first slider.
        cued = folder / "focus-cue.png"
        self.assertTrue(harness.settled_screenshot(cued, window))
        slider = controls["volumeBar1"]["inparent"]
        changed = harness.differing_pixels(bare, cued, 10)
        self.assertGreater(changed, 100, "no focus cue on the first slider; see %s" % cued)
        self.assertEqual(harness.differing_pixels(crop(bare, slider), crop(cued, slider), 10),
                         changed, "the cue reaches beyond the slider; see %s" % cued)

        # A key on the focused slider is heard as a screen reader hears it.
        watcher = watch_value(controls["volumeBar1"]["hwnd"])
        self.addCleanup(watcher.stdout.close)
        self.addCleanup(watcher.kill)
        harness.xdotool("key", "Left")
        self.assertIn(b'"value":"90"', watcher.stdout.readline())
        self.assertEqual(watcher.wait(timeout=30), 0)

        # A click on the slider's right arrow (back to 100) takes the focus
        # without the cue: the picture is the bare one again.
        harness.click_client(window, 113 + 152, 43 + 16)
        harness.xdotool("mousemove", 0, 0)  # the arrow's hover look away
        clicked = folder / "after-click.png"
        harness.wait_until(lambda: harness.settled_screenshot(clicked, window)
                           and harness.differing_pixels(bare, clicked, 10) == 0, 10,
                           "the picture without the cue after the click; see %s" % clicked)
        self.assertEqual(harness.get_property(controls["volumeBar1"]["hwnd"],
                                              harness.PROPERTY_POSITION), 100)

        # Enter on "?" is its click: the about box over the mask.
        for _ in range(6):
            harness.xdotool("key", "Tab")
        harness.wait_until(lambda: harness.probe("focus", window["hwnd"])[0]["hwnd"]
                           == controls["helpLabel"]["hwnd"], 10, "the focus on ?")
        harness.xdotool("key", "Return")
        box = harness.wait_message_box(WELCOME)
        self.assertEqual(len(masks(window)), 1)
        harness.press(box, "否")
        harness.wait_until(lambda: not masks(window), 10, "the mask to go")

        # Enter on "-" minimises.
        harness.focus(window)
        harness.xdotool("key", "Tab")
        harness.wait_until(lambda: (harness.probe("focus", window["hwnd"]) or [{}])[0].get("hwnd")
                           == controls["minimizeLabel"]["hwnd"], 10, "the focus on -")
        harness.xdotool("key", "Return")
        harness.wait_until(lambda: [w for w in harness.windows(visible_only=False)
                                    if w["hwnd"] == window["hwnd"] and w["iconic"]], 10,
                           "the window to be minimised")


if __name__ == "__main__":
    unittest.main()
