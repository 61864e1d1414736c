"""The main window seen from outside: its place, size, styles and picture,
moving it by its bare picture, the sliders under the real pointer, and the
three ways of leaving it (Esc, "x", "-")."""
import os
import shutil
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import PROPERTY_POSITION  # noqa: E402

REFERENCE = Path(__file__).resolve().parent / "reference" / "main_window.png"
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_CLIPCHILDREN = 0x00020000, 0x00010000, 0x02000000
WS_EX_TOPMOST, WS_EX_APPWINDOW = 0x8, 0x40000
WM_KEYDOWN, VK_LEFT = 0x100, 0x25
# Tolerated share of pixels that differ from the reference by more than the
# fuzz: font smoothing may vary by a few pixels.
REFERENCE_TOLERANCE = 0.003


class Appearance(harness.ProgramTest):
    def test_window_is_centred_borderless_and_shows_its_picture_and_controls(self):
        program = self.start()
        window = harness.wait_window()
        left, top, right, bottom = window["rect"]
        self.assertEqual((right - left, bottom - top), (770, 445))
        self.assertEqual((left, top), ((1280 - 770) // 2, (800 - 445) // 2))
        style, exstyle = window["style"], window["exstyle"]
        self.assertEqual(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX), 0)
        self.assertTrue(style & WS_MINIMIZEBOX and style & WS_CLIPCHILDREN)
        self.assertTrue(exstyle & WS_EX_APPWINDOW)
        self.assertFalse(exstyle & WS_EX_TOPMOST)
        placed = {c["id"]: (c["inparent"], c["visible"]) for c in harness.children(window["hwnd"])}
        for name, ident, (x, y, width, height), visible in harness.CONTROLS:
            self.assertEqual(placed.get(ident), ([x, y, x + width, y + height], visible), name)
        self.assertEqual(len(placed), len(harness.CONTROLS))

        folder = self.scratch("appearance")
        shot = folder / "main_window.png"
        # Painting is done once the picture stops changing.
        harness.settled_screenshot(shot, window)
        if os.environ.get("HEYU_UPDATE_REFERENCE") == "1":
            shutil.copy(shot, REFERENCE)

        # The six white channel names, the three glyphs, the blue-grey brand.
        for n in range(6):
            label = harness.control(window, "volumeBar%d" % (n + 1))
            bar = label["inparent"]
            self.assertGreater(harness.pixels_near(shot, (45, bar[1] - 3, 109, bar[1] + 29)), 30)
        for name in ("helpLabel", "minimizeLabel", "closeLabel"):
            rect = harness.control(window, name)["inparent"]
            self.assertGreater(harness.pixels_near(shot, (rect[0], max(rect[1], 0),
                                                          rect[2], rect[3])), 5, name)
        self.assertGreater(harness.pixels_near(shot, (13, 8, 89, 32), "rgb(92,124,154)"), 20)

        diff = folder / "difference.png"
        differing = harness.differing_pixels(REFERENCE, shot, 10, diff)
        if differing > REFERENCE_TOLERANCE * 770 * 445:
            kept = harness.BUILD / "e2e-failures"
            kept.mkdir(exist_ok=True)
            shutil.copy(shot, kept / "main_window.png")
            shutil.copy(diff, kept / "main_window-difference.png")
            self.fail("%d pixels differ from %s; see %s" % (differing, REFERENCE, kept))
        program.kill()


class Moving(harness.ProgramTest):
    def test_dragging_the_bare_picture_moves_the_window_and_a_hot_spot_does_not(self):
        self.start()
        window = harness.wait_window()
        left, top = window["rect"][:2]
        # The sky between the brand name and the glyphs is bare picture.
        start = harness.client_to_screen(window, 400, 40)
        harness.drag_screen(start, (start[0] + 60, start[1] + 40))
        moved = harness.wait_until(
            lambda: [w for w in harness.windows(harness.MAIN_TITLE)
                     if w["rect"][:2] == [left + 60, top + 40]],
            10, "the window to follow the drag")[0]
        self.assertEqual(moved["rect"][2:], [left + 60 + 770, top + 40 + 445])

        # A press on the girl's hot spot is the hot spot's, not a move: it
        # shows the hot spot's text. Once a key posted after the drag has
        # moved a slider, everything the press could have posted has run.
        girl = harness.client_to_screen(moved, 450, 200)
        harness.drag_screen(girl, (girl[0] + 60, girl[1] + 40))
        harness.press(harness.wait_message_box("不语"), "确定")
        harness.wait_until(lambda: not harness.message_boxes("不语"), 10, "the text to close")
        bar = harness.control(moved, "volumeBar1")["hwnd"]
        position = harness.get_property(bar, PROPERTY_POSITION)
        harness.post(bar, WM_KEYDOWN, VK_LEFT)
        harness.wait_until(lambda: harness.get_property(bar, PROPERTY_POSITION) == position - 10,
                           10, "the key posted after the drag")
        self.assertEqual(harness.wait_window()["rect"], moved["rect"])

    def test_a_tap_is_a_click_on_the_picture_and_on_a_thumb(self):
        # A touchpad's tap: press and release at once. Neither on the bare
        # picture nor on a thumb may it leave a move behind that the pointer
        # then drags, and the next click must reach "-".
        self.start()
        window = harness.wait_window()
        bar = harness.control(window, "volumeBar3")
        for x, y in ((400, 40), (bar["inparent"][0] + 135, bar["inparent"][1] + 16)):
            harness.click_client(window, x, y)
            sx, sy = harness.client_to_screen(window, x, y)
            harness.xdotool("mousemove", "--sync", sx + 100, sy + 50)
            harness.xdotool("mousemove", "--sync", sx + 130, sy + 60)
        harness.click_client(window, 723, 18)
        harness.wait_until(lambda: [w for w in harness.windows(harness.MAIN_TITLE)
                                    if w["iconic"]], 10, "the window minimised")
        harness.post(window["hwnd"], 0x0112, 0xF120)  # WM_SYSCOMMAND, SC_RESTORE
        restored = harness.wait_until(lambda: [w for w in harness.windows(harness.MAIN_TITLE)
                                               if not w["iconic"]], 10, "the window back")[0]
        self.assertEqual(restored["rect"], window["rect"])
        self.assertEqual(harness.get_property(bar["hwnd"], PROPERTY_POSITION), 100)


class Sliders(harness.ProgramTest):
    def test_the_real_pointer_drags_clicks_and_steps_a_slider(self):
        self.start()
        window = harness.wait_window()
        bar = harness.control(window, "volumeBar3")
        self.assertEqual(harness.get_property(bar["hwnd"], PROPERTY_POSITION), 100)
        bar_left, bar_top = bar["inparent"][:2]

        # Thumb at 125..145 for 100; drag its middle 55 px left: 70 -> 50.
        thumb = harness.client_to_screen(window, bar_left + 135, bar_top + 16)
        harness.drag_screen(thumb, (thumb[0] - 55, thumb[1] + 30), steps=11)
        harness.wait_until(lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == 50,
                           10, "the dragged slider at 50")
        thumb_window = [c for c in harness.children(bar["hwnd"]) if c["id"] == 3][0]
        self.assertEqual(thumb_window["inparent"][:2], [70, 0])  # stayed on its axis

        # A click on the track centres the thumb there: d = 30 - 25 -> 5.
        harness.click_client(window, bar_left + 30, bar_top + 16)
        harness.wait_until(lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == 5,
                           10, "the clicked slider at 5")
        # The right arrow button adds 10 on its release.
        harness.click_client(window, bar_left + 152, bar_top + 16)
        harness.wait_until(lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == 15,
                           10, "the stepped slider at 15")
        # The slider has the focus now: End and Left.
        harness.focus(window)
        harness.xdotool("key", "End", "Left")
        harness.wait_until(lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == 90,
                           10, "the slider at 90 after End and Left")

    def test_with_outline_dragging_the_volume_follows_the_thumb_while_held(self):
        # Wine's and Remote Desktop's default: the move loop draws an outline
        # and moves the window only at the release.
        harness.set_desktop_value("DragFullWindows", "0")
        self.addCleanup(harness.set_desktop_value, "DragFullWindows", "1")
        self.start()
        window = harness.wait_window()
        bar = harness.control(window, "volumeBar3")
        bar_left, bar_top = bar["inparent"][:2]
        # Thumb at 125..145 for 100; 55 px left and off the axis is 50, and
        # far beyond the left arrow is 0, each while the button is held.
        thumb = harness.client_to_screen(window, bar_left + 135, bar_top + 16)
        harness.xdotool("mousemove", "--sync", *thumb)
        harness.xdotool("mousedown", "1")
        for target, position in (((thumb[0] - 55, thumb[1] + 30), 50),
                                 ((thumb[0] - 300, thumb[1] - 20), 0)):
            harness.xdotool("mousemove", target[0] + 3, target[1])
            harness.xdotool("mousemove", *target)
            harness.wait_until(
                lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == position,
                10, "the held slider at %d" % position)
        harness.xdotool("mouseup", "1")
        thumb_window = harness.wait_until(
            lambda: [c for c in harness.children(bar["hwnd"])
                     if c["id"] == 3 and c["inparent"][:2] == [15, 0]],
            10, "the thumb at the left arrow, on its axis")
        self.assertTrue(thumb_window)
        self.assertEqual(harness.get_property(bar["hwnd"], PROPERTY_POSITION), 0)


class Leaving(harness.ProgramTest):
    def test_escape_is_a_close_request_that_ends_with_code_0(self):
        program = self.start()
        window = harness.wait_window()
        harness.focus(window)
        harness.xdotool("key", "Escape")
        self.assertEqual(program.exit_code(), 0)

    def test_the_x_label_ends_the_program_at_once_with_code_0(self):
        program = self.start()
        window = harness.wait_window()
        harness.click_client(window, 752, 15)
        self.assertEqual(program.exit_code(), 0)

    def test_the_minus_label_minimises_the_window(self):
        program = self.start()
        window = harness.wait_window()
        harness.click_client(window, 723, 18)
        harness.wait_until(lambda: [w for w in harness.windows(harness.MAIN_TITLE) if w["iconic"]],
                           10, "the window minimised")
        self.assertTrue(program.running())
        harness.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
