"""The executable carries the six committed tracks, each byte for byte as
one contiguous block, the shadow rings at 1x and 2x, and little else beside them and
the pictures; its
sections lie on whole pages of the file, so Wine can map it rather than read
it all into memory."""
import os
import struct
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("HEYU_PROGRAM_DIR", os.environ.get("HEYU_BUILD_DIR", ROOT / "build")))
TRACKS = sorted((ROOT / "assets" / "tracks").glob("0[1-6]-*.mp3"))
# Every picture is carried, at 1x and for high-dpi screens at 2x.
PICTURES = [p for p in (ROOT / "assets" / "art").iterdir() if p.suffix in (".jpg", ".bmp", ".png", ".ico")]


class EmbeddedTracks(unittest.TestCase):
    def setUp(self):
        self.exe = (BUILD / "heyu.exe").read_bytes()

    def test_every_track_is_one_contiguous_block_in_the_executable(self):
        self.assertEqual(len(TRACKS), 6)
        for track in TRACKS:
            self.assertIn(track.read_bytes(), self.exe, "%s is not in the executable" % track.name)

    def test_the_shadow_rings_at_1x_and_2x_are_carried_byte_for_byte(self):
        for name in ("shadow5.png", "shadow10.png", "shadow5_2x.png", "shadow10_2x.png"):
            ring = (ROOT / "assets" / "art" / name).read_bytes()
            self.assertIn(ring, self.exe, "%s is not in the executable" % name)

    def test_every_section_starts_on_a_page_of_the_file(self):
        pe = struct.unpack_from("<I", self.exe, 0x3C)[0]
        self.assertEqual(self.exe[pe:pe + 4], b"PE\0\0")
        sections, optional_size = struct.unpack_from("<H12xH", self.exe, pe + 6)
        optional = pe + 24
        # FileAlignment sits at the same offset in 32- and 64-bit headers.
        self.assertEqual(struct.unpack_from("<I", self.exe, optional + 36)[0], 4096)
        table = optional + optional_size
        for k in range(sections):
            name, raw_size, raw_start = struct.unpack_from("<8s8xII", self.exe, table + 40 * k)
            if raw_size:
                self.assertEqual(raw_start % 4096, 0, name.rstrip(b"\0").decode())

    def test_code_adds_less_than_a_megabyte_to_the_tracks_and_pictures(self):
        tracks = sum(t.stat().st_size for t in TRACKS)
        pictures = sum(p.stat().st_size for p in PICTURES)
        self.assertLess(len(self.exe) - tracks - pictures, 1024 * 1024)
        self.assertGreater(len(self.exe), tracks + pictures)


if __name__ == "__main__":
    unittest.main()
