"""The main window at the display scales users run: 96, 120, 144 and 192 dpi,
as Wine 8 gives them from the prefix's LogPixels (every program there draws
itself at that dpi; nothing is stretched). One run of the program at each
scale, in a lab of its own with a screen large enough for the window at
200 %: the window's size and place, every control's rectangle scaled edge by
edge from the design's, the shadow's ring as wide as the scale makes its 5
units, every channel name drawn whole, and a click at a
scaled point of a slider meaning what it means at 96 dpi. At 96 dpi the
picture is the reference of test_main_window.py."""
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "lab"))
import harness  # noqa: E402
import lab  # noqa: E402
from harness import PROPERTY_POSITION  # noqa: E402

SCREEN = (2560, 1600)
SCALES = (96, 120, 144, 192)
REFERENCE = Path(__file__).resolve().parent / "reference" / "main_window.png"
REFERENCE_TOLERANCE = 0.003  # as test_main_window.py
SHADOW_CLASS = "Halyx.Shadow"
CHANNEL_FONT_HEIGHT = 12  # the channel names' character height at 96 dpi


def px(units, dpi):
    """Design units to pixels as the program's MulDiv does: to the nearest,
    halves away from zero."""
    pixels = (abs(units) * dpi + 48) // 96
    return pixels if units >= 0 else -pixels


def scaled_rect(x, y, width, height, dpi):
    return [px(x, dpi), px(y, dpi), px(x + width, dpi), px(y + height, dpi)]


def ink_columns(shot: Path, rect) -> list:
    """The columns (screenshot x) of the rectangle that hold white ink."""
    left, top, right, bottom = rect
    text = subprocess.run(
        ["convert", str(shot), "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
         "+repage", "-fuzz", "20%", "-fill", "black", "+opaque", "white", "-fill", "white",
         "-opaque", "white", "-colorspace", "gray", "-depth", "8", "txt:-"],
        capture_output=True, text=True, check=True).stdout
    columns = set()
    for line in text.splitlines()[1:]:
        place, _, colour = line.partition(":")
        if "#FFFFFF" in colour:
            columns.add(left + int(place.split(",")[0]))
    return sorted(columns)


class DisplayScale(harness.ProgramTest):
    @classmethod
    def setUpClass(cls):
        cls.shared_lab = harness.LAB
        harness.LAB = harness.BUILD / "scale-lab"
        lab.start(harness.LAB, sound=False, screen="%dx%d" % SCREEN)

    @classmethod
    def tearDownClass(cls):
        lab.stop(harness.LAB)
        harness.LAB = cls.shared_lab

    def test_the_window_is_drawn_for_each_scale(self):
        for dpi in SCALES:
            with self.subTest(dpi=dpi):
                self.check_scale(dpi)

    def check_scale(self, dpi):
        lab.set_dpi(harness.LAB, dpi)
        (harness.PROGRAMS / "config.ini").unlink(missing_ok=True)
        program = self.start()
        self.addCleanup(program.kill)
        window = harness.wait_window()
        width, height = px(770, dpi), px(445, dpi)
        left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
        self.assertEqual(window["rect"], [left, top, left + width, top + height])
        placed = {c["id"]: c["inparent"] for c in harness.children(window["hwnd"])}
        for name, ident, rect, _ in harness.CONTROLS:
            self.assertEqual(placed.get(ident), scaled_rect(*rect, dpi), name)
        # The shadow's ring is 5 units wide at the window's scale.
        ring = px(5, dpi)
        harness.wait_until(lambda: [w for w in harness.probe("windows")
                                    if w["class"] == SHADOW_CLASS and w["visible"]
                                    and w["owner"] == window["hwnd"]
                                    and w["rect"] == [left - ring, top - ring, left + width + ring,
                                                      top + height + ring]],
                           10, "the shadow %d px out around the window" % ring)

        shot = harness.BUILD / "scale" / ("main_window_%d.png" % dpi)
        shot.parent.mkdir(exist_ok=True)
        harness.xdotool("mousemove", 1, 1)
        harness.settled_screenshot(shot, window)
        # Each name's four full-width characters, an em wide each, end inside
        # their label: a name cut off by its label's edge has ink up to it.
        em = px(CHANNEL_FONT_HEIGHT, dpi)
        for n in range(1, 7):
            label = placed[harness.MAIN_WINDOW_IDS["channelLabel%d" % n]]
            bar = placed[harness.MAIN_WINDOW_IDS["volumeBar%d" % n]]
            ink = ink_columns(shot, (label[0], label[1], bar[0], label[3]))
            self.assertTrue(ink, "channel %d shows no name" % n)
            self.assertGreaterEqual(ink[-1] + 1 - ink[0], 3.6 * em, "channel %d's name" % n)
            self.assertLessEqual(ink[-1] + 1, label[2] - 2, "channel %d's name at its edge" % n)
        if dpi == 96:
            differing = harness.differing_pixels(REFERENCE, shot, 10)
            self.assertLessEqual(differing, REFERENCE_TOLERANCE * 770 * 445)

        # On channel 3's slider: a click on the track 30 units from its left
        # centres the thumb there (5), and the right arrow adds 10, as at 96.
        bar = harness.control(window, "volumeBar3")
        bar_left, bar_top = 113, 99
        for x, position in ((30, 5), (152, 15)):
            harness.click_client(window, px(bar_left + x, dpi), px(bar_top + 16, dpi))
            harness.wait_until(
                lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == position,
                10, "the slider at %d after a click at %d" % (position, x))
        thumb = [c for c in harness.children(bar["hwnd"]) if c["id"] == 3][0]
        # Position 15: the thumb's left edge 15 + trunc(15 * 110 / 100) = 31.
        self.assertEqual(thumb["inparent"], [px(31, dpi), 0, px(31, dpi) + px(20, dpi), px(32, dpi)])
        program.kill()
        harness.wait_no_window()


if __name__ == "__main__":
    unittest.main()
