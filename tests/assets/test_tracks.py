#!/usr/bin/env python3
"""Checks the six committed nature tracks in assets/tracks/.

The container: an ID3v2.3 tag of exactly 140 bytes (three TXXX frames, one
TSSE frame, 10 bytes of zero padding), then a Xing-style "Info" frame, then
constant-bit-rate MPEG-1 Layer III stereo frames up to the last byte (so no
ID3v1 tag). The sound: the decoded loudness and true peak are on target.

Run from anywhere: python3 tests/assets/test_tracks.py
"""
import os
import re
import shutil
import subprocess
import unittest
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TRACK_DIR = os.path.join(ROOT, "assets", "tracks")

# channel, file, bit rate (kbit/s), sample rate (Hz), nominal length (s)
TRACKS = [
    (1, "01-birdsong.mp3", 256, 44100, 290),
    (2, "02-campfire.mp3", 320, 48000, 60),
    (3, "03-rain.mp3", 320, 44100, 120),
    (4, "04-thunder.mp3", 320, 44100, 318),
    (5, "05-waves.mp3", 320, 44100, 130),
    (6, "06-insects.mp3", 320, 48000, 58),
]

TAG_BYTES = 140
PADDING_BYTES = 10
# The six play summed at full volume by default, so each sits well under
# full scale: the generator's highest ceiling is -7.2 dBTP, and the MP3 round
# trip adds a few tenths of a dB at most.
TARGET_LUFS = -27.0
LOUDNESS_TOLERANCE = 1.0
MAX_TRUE_PEAK = -6.0
LENGTH_TOLERANCE = 0.10

BITRATES_KBPS = [None, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224,
                 256, 320, None]
SAMPLE_RATES = [44100, 48000, 32000, None]
MONO = 3
SAMPLES_PER_FRAME = 1152


def read_track(name):
    with open(os.path.join(TRACK_DIR, name), "rb") as f:
        return f.read()


def syncsafe(four):
    if any(b & 0x80 for b in four):
        raise ValueError("size byte with its top bit set")
    return (four[0] << 21) | (four[1] << 14) | (four[2] << 7) | four[3]


def parse_id3v23(data):
    """Returns (tag size including header, [(frame id, body)], padding)."""
    if data[:3] != b"ID3":
        raise ValueError("no ID3v2 tag at the start")
    if data[3:5] != b"\x03\x00":
        raise ValueError("not version 2.3.0: %r" % data[3:5])
    if data[5] != 0:
        raise ValueError("tag flags set: %#x" % data[5])
    end = 10 + syncsafe(data[6:10])
    frames, pos = [], 10
    while pos + 10 <= end and data[pos] != 0:
        frame_id = data[pos:pos + 4].decode("latin-1")
        size = int.from_bytes(data[pos + 4:pos + 8], "big")
        if pos + 10 + size > end:
            raise ValueError("frame %s runs past the tag" % frame_id)
        frames.append((frame_id, data[pos + 10:pos + 10 + size]))
        pos += 10 + size
    return end, frames, data[pos:end]


def frame_header(data, pos):
    """Decodes the MPEG audio frame header at pos, or raises ValueError."""
    if pos + 4 > len(data):
        raise ValueError("truncated frame header at %d" % pos)
    h = int.from_bytes(data[pos:pos + 4], "big")
    if h >> 21 != 0x7FF:
        raise ValueError("no frame sync at %d" % pos)
    version = (h >> 19) & 3
    layer = (h >> 17) & 3
    kbps = BITRATES_KBPS[(h >> 12) & 15]
    rate = SAMPLE_RATES[(h >> 10) & 3]
    if kbps is None or rate is None:
        raise ValueError("invalid bit rate or sample rate at %d" % pos)
    padding = (h >> 9) & 1
    return {
        "mpeg1": version == 3,
        "layer3": layer == 1,
        "kbps": kbps,
        "rate": rate,
        "mode": (h >> 6) & 3,
        "length": 144000 * kbps // rate + padding,
    }


def walk_frames(data, start):
    """Headers of every frame from start; the frames must end the file."""
    headers, pos = [], start
    while pos < len(data):
        header = frame_header(data, pos)
        headers.append(header)
        pos += header["length"]
    if pos != len(data):
        raise ValueError("last frame runs %d bytes past the end" % (pos - len(data)))
    return headers


def info_frame_count(data, first_frame):
    """Frame count stored in the Info frame (the side information of an
    MPEG-1 stereo frame is 32 bytes, so the tag sits 36 bytes in)."""
    tag = first_frame + 36
    if data[tag:tag + 4] != b"Info":
        raise ValueError("no Info tag in the first frame: %r" % data[tag:tag + 4])
    flags = int.from_bytes(data[tag + 4:tag + 8], "big")
    if not flags & 1:
        raise ValueError("Info tag holds no frame count")
    return int.from_bytes(data[tag + 8:tag + 12], "big")


class HelperTests(unittest.TestCase):
    """The parsers must reject what they are meant to catch."""

    def test_syncsafe(self):
        self.assertEqual(syncsafe(bytes([0, 0, 1, 2])), 130)
        self.assertEqual(syncsafe(bytes([0, 0, 2, 0])), 256)
        with self.assertRaises(ValueError):
            syncsafe(bytes([0, 0, 0x81, 0]))

    def test_frame_walk_rejects_trailing_bytes(self):
        header = bytes([0xFF, 0xFB, 0xE0, 0x44])  # MPEG-1 L3 320k 44.1k
        frame = header + bytes(frame_header(header, 0)["length"] - 4)
        self.assertEqual(len(walk_frames(frame * 3, 0)), 3)
        with self.assertRaises(ValueError):
            walk_frames(frame * 3 + b"TAG" + bytes(125), 0)
        with self.assertRaises(ValueError):
            walk_frames(frame * 2 + frame[:100], 0)

    def test_id3_rejects_other_versions(self):
        with self.assertRaises(ValueError):
            parse_id3v23(b"ID3\x04\x00\x00\x00\x00\x00\x00")
        with self.assertRaises(ValueError):
            parse_id3v23(b"\xff\xfb\xe0\x44" + bytes(10))


class ContainerTests(unittest.TestCase):

    def test_id3v23_tag_make_up(self):
        for channel, name, _, _, _ in TRACKS:
            with self.subTest(track=name):
                data = read_track(name)
                self.assertEqual(data[:5], b"ID3\x03\x00")
                end, frames, padding = parse_id3v23(data)
                self.assertEqual(end, TAG_BYTES)
                self.assertEqual([f for f, _ in frames], ["TXXX"] * 3 + ["TSSE"])
                self.assertEqual(padding, bytes(PADDING_BYTES))
                texts = {}
                for frame_id, body in frames:
                    self.assertEqual(body[0], 0, "%s not in ISO-8859-1" % frame_id)
                    if frame_id == "TXXX":
                        description, _, value = body[1:].partition(b"\0")
                        texts[description.decode("latin-1")] = value.decode("latin-1")
                    else:
                        self.assertTrue(body[1:].startswith(b"LAME"), body)
                # The tag names its own channel: catches swapped files.
                self.assertEqual(texts.get("track"), str(channel))

    def test_info_frame_and_constant_bit_rate(self):
        for _, name, kbps, rate, _ in TRACKS:
            with self.subTest(track=name):
                data = read_track(name)
                headers = walk_frames(data, TAG_BYTES)
                first = headers[0]
                self.assertTrue(first["mpeg1"] and first["layer3"])
                self.assertNotEqual(first["mode"], MONO)
                self.assertEqual(info_frame_count(data, TAG_BYTES), len(headers) - 1)
                self.assertNotIn(b"Xing", data[TAG_BYTES:TAG_BYTES + first["length"]])
                for h in headers:
                    self.assertEqual((h["kbps"], h["rate"]), (kbps, rate))
                    self.assertNotEqual(h["mode"], MONO)

    def test_no_id3v1_tag(self):
        for _, name, _, _, _ in TRACKS:
            with self.subTest(track=name):
                self.assertNotEqual(read_track(name)[-128:][:3], b"TAG")

    def test_length(self):
        for _, name, _, rate, seconds in TRACKS:
            with self.subTest(track=name):
                audio_frames = info_frame_count(read_track(name), TAG_BYTES)
                length = audio_frames * SAMPLES_PER_FRAME / rate
                self.assertLess(abs(length - seconds), LENGTH_TOLERANCE * seconds)


def measure_loudness(name):
    out = subprocess.run(
        ["ffmpeg", "-nostats", "-hide_banner", "-i", os.path.join(TRACK_DIR, name),
         "-af", "ebur128=peak=true", "-f", "null", "-"],
        capture_output=True, text=True, check=True).stderr
    summary = out[out.rindex("Summary:"):]
    integrated = float(re.search(r"I:\s+(-?[\d.]+) LUFS", summary).group(1))
    peak = float(re.search(r"Peak:\s+(-?[\d.]+|-inf) dBFS", summary).group(1))
    return integrated, peak


class DecodedLevelTests(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if shutil.which("ffmpeg") is None:
            raise AssertionError("ffmpeg is needed to decode the tracks")
        with ThreadPoolExecutor(max_workers=2) as pool:
            names = [t[1] for t in TRACKS]
            cls.levels = dict(zip(names, pool.map(measure_loudness, names)))

    def test_integrated_loudness(self):
        for _, name, _, _, _ in TRACKS:
            with self.subTest(track=name):
                integrated, _ = self.levels[name]
                self.assertLessEqual(abs(integrated - TARGET_LUFS), LOUDNESS_TOLERANCE)

    def test_true_peak(self):
        for _, name, _, _, _ in TRACKS:
            with self.subTest(track=name):
                _, peak = self.levels[name]
                self.assertLessEqual(peak, MAX_TRUE_PEAK)


if __name__ == "__main__":
    unittest.main()
