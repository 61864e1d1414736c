"""The program at 144 dpi under Debian 13's Wine 10, which reads the
manifest's DPI awareness as Windows 10 does: the program is told 144 dpi and
draws its 1155 x 668 client itself, where a program without awareness is
given 96 dpi and stretched to that size like a bitmap. CTest runs it after
lane_wine10.py and test_display_scale.py, whose Wine 8 picture at 144 dpi it
is compared with (half a minute); by hand, after those:

    HEYU_BUILD_DIR=build/x86_64 HEYU_PROGRAM_DIR=build/x86_64 \\
    HEYU_TRIXIE_ROOT=build/x86_64/trixie-root python3 tests/e2e/lane_wine10_scale.py

It uses the Debian 13 root of lane_wine10.py as it is and never makes one:
without a finished root it says so on one line and ends with SKIP."""
import os
import subprocess
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
LAB_SCRIPTS = HERE.parents[0] / "lab"
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(LAB_SCRIPTS))
import harness  # noqa: E402
import lab  # noqa: E402

SKIP = 77
DPI = 144
SIZE = (1155, 668)
LANE = harness.BUILD / "lane-wine10-scale"
ROOT = Path(os.environ.get("HEYU_TRIXIE_ROOT", harness.BUILD / "trixie-root"))
WINE8_SHOT = harness.BUILD / "scale" / ("main_window_%d.png" % DPI)
# Both draw the same picture with the same fonts; a stretched 770 x 445
# picture differs in most of its pixels.
TOLERANCE = 0.01


def x_geometry(window: dict) -> list:
    """The window's place and size on the X screen, which Wine 10 does not
    scale for a caller without awareness (the probe is one)."""
    xid = harness.x_window(window)
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", xid], env=harness.lab_env(),
                         capture_output=True, text=True, check=True).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return [int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]


class Wine10Scale(unittest.TestCase):
    def test_the_program_draws_itself_at_144_dpi(self):
        lab.set_dpi(LANE, DPI)
        (harness.PROGRAMS / "config.ini").unlink(missing_ok=True)
        program = harness.Program(harness.EXE)
        self.addCleanup(program.kill)
        window = harness.wait_window(timeout=60)
        harness.xdotool("mousemove", 1, 1)
        left, top, width, height = x_geometry(window)
        self.assertEqual((width, height), SIZE)
        window = dict(window, rect=[left, top, left + width, top + height])
        shot = LANE / ("main_window_%d.png" % DPI)
        harness.settled_screenshot(shot, window, pause=0.5)
        differing = harness.differing_pixels(WINE8_SHOT, shot, 10, LANE / "difference.png")
        self.assertLessEqual(differing, TOLERANCE * SIZE[0] * SIZE[1],
                             "see %s and difference.png beside it" % shot)


def run_in_root() -> int:
    lab.start(LANE, sound=False)
    harness.LAB = LANE
    try:
        result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    finally:
        lab.stop(LANE)
    return 0 if result.wasSuccessful() else 1


def main() -> int:
    if sys.argv[1:] == ["--in-root"]:
        return run_in_root()
    marker = ROOT / "etc" / "heyu-lab-root"
    if not marker.exists():
        print("SKIP: no finished Debian 13 root at %s (tests/lab/trixie-root.sh makes it)" % ROOT)
        return SKIP
    if not WINE8_SHOT.exists():
        print("SKIP: no Wine 8 picture at %d dpi to compare with; run test_display_scale.py first"
              % DPI)
        return SKIP
    told = ["HEYU_BUILD_DIR=%s" % harness.BUILD, "HEYU_PROGRAM_DIR=%s" % harness.PROGRAMS,
            "HEYU_LAB_DIR=%s" % LANE]
    return subprocess.run(["sh", str(LAB_SCRIPTS / "trixie-run.sh"), str(ROOT), "env"] + told
                          + ["python3", str(Path(__file__).resolve()), "--in-root"],
                          stdin=subprocess.DEVNULL).returncode


if __name__ == "__main__":
    sys.exit(main())
