"""What the platform tells a user about heyu.exe before it runs: the version
information Explorer shows under Properties > Details, asked for with
GetFileVersionInfoW and VerQueryValueW, and the icon the shell takes from
the file."""
import re
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "art"))
import imagefiles  # noqa: E402

VERSION = re.search(r"project\(heyu VERSION (\d+\.\d+\.\d+)",
                    (ROOT / "CMakeLists.txt").read_text()).group(1)


class Identity(unittest.TestCase):
    def test_the_shell_reads_description_version_and_icon(self):
        found = harness.probe("identity", harness.windows_path(harness.EXE))
        self.assertEqual(len(found), 1, "no version information")
        info = found[0]
        # The first translation names the one string table: Chinese (PRC), Unicode.
        self.assertEqual(info["table"], "080404b0")
        self.assertEqual(info["FileDescription"], harness.MAIN_TITLE)
        self.assertEqual(info["ProductName"], "墨川禾语听泉")
        self.assertEqual((info["FileVersion"], info["ProductVersion"]), (VERSION, VERSION))
        self.assertEqual(info["fixed"], VERSION + ".0")
        # One icon group, and the large icon the shell extracts is the
        # committed 32-pixel image, pixel for pixel, alpha included.
        self.assertEqual(info["icons"], 1)
        self.assertEqual(info["iconSize"], 32)
        images = imagefiles.ico_images((ROOT / "assets" / "art" / "heyu.ico").read_bytes())
        large = next(image for image in images if len(image) == 32)
        expected = "".join("%02x%02x%02x%02x" % pixel for row in large for pixel in row)
        self.assertTrue(info["iconPixels"] == expected, "the shell's icon is not the 32-pixel image")


if __name__ == "__main__":
    unittest.main()
