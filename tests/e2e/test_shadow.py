"""The real program's drop shadow seen from outside: the shadow window with
its class, styles, rectangle and properties, following a drag of the main
window, hiding while it is minimised and coming back when it is restored."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

SHADOW_CLASS = "Halyx.Shadow"
WS_POPUP, WS_VISIBLE, WS_DISABLED, WS_CLIPSIBLINGS = 0x80000000, 0x10000000, 0x08000000, 0x04000000
WS_EX_LAYERED, WS_EX_TRANSPARENT, WS_EX_NOACTIVATE = 0x00080000, 0x20, 0x08000000
WM_SYSCOMMAND, SC_RESTORE = 0x0112, 0xF120


def grown(rect, size):
    return [rect[0] - size, rect[1] - size, rect[2] + size, rect[3] + size]


def shadows_of(window, visible_only=True):
    return [w for w in harness.probe("windows")
            if w["class"] == SHADOW_CLASS and w["owner"] == window["hwnd"]
            and (w["visible"] or not visible_only)]


def wait_shadow_at(window, rect, what):
    """The visible shadow of the window once it lies 5 px out around rect."""
    return harness.wait_until(
        lambda: [s for s in shadows_of(window) if s["rect"] == grown(rect, 5)], 10, what)[0]


def properties(hwnd) -> dict:
    """The window's properties named "Halyx..." (Wine keeps its own there too)."""
    return {p["name"]: p["value"] for p in harness.probe("props", hwnd)
            if p["name"].startswith("Halyx.")}


class Shadow(harness.ProgramTest):
    def test_the_window_carries_a_shadow_that_follows_it_and_hides_while_minimised(self):
        program = self.start()
        window = harness.wait_window()
        shadow = wait_shadow_at(window, window["rect"], "the shadow around the window")
        self.assertEqual(len(shadows_of(window, visible_only=False)), 1)
        self.assertEqual(shadow["pid"], window["pid"])
        self.assertEqual(shadow["text"], "")
        self.assertEqual(shadow["style"] & ~WS_CLIPSIBLINGS, WS_POPUP | WS_VISIBLE | WS_DISABLED)
        self.assertEqual(shadow["exstyle"], WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE)
        self.assertEqual(properties(shadow["hwnd"]),
                         {"Halyx.WndShadow.Color": 0, "Halyx.WndShadow.Size": 5})
        mine = properties(window["hwnd"])
        self.assertEqual(mine["Halyx.WndShadow"], shadow["hwnd"])
        self.assertNotEqual(mine.get("Halyx.WndShadow.Proc", 0), 0)
        self.assertEqual(harness.probe("foreground")[0]["hwnd"], window["hwnd"])

        # Dragged by its bare picture (through the transparent inside of the
        # shadow), the window takes its shadow along.
        left, top = window["rect"][:2]
        start = harness.client_to_screen(window, 400, 40)
        harness.drag_screen(start, (start[0] + 60, start[1] + 40))
        moved = [left + 60, top + 40, left + 60 + 770, top + 40 + 445]
        wait_shadow_at(window, moved, "the shadow to follow the drag")
        self.assertEqual(harness.wait_window()["rect"], moved)

        # The "-" label minimises: the shadow hides, and comes back in place
        # with the restored window.
        harness.click_client(harness.wait_window(), 723, 18)
        harness.wait_until(lambda: not shadows_of(window), 10, "the shadow hidden")
        harness.post(window["hwnd"], WM_SYSCOMMAND, SC_RESTORE)
        wait_shadow_at(window, moved, "the shadow back with the restored window")

        # The shadow goes with the window.
        harness.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)
        self.assertEqual(shadows_of(window, visible_only=False), [])


if __name__ == "__main__":
    unittest.main()
