#!/usr/bin/env python3
"""Checks the end-to-end tests' helpers against known input: the test tones
from tools/sound/make-test-tracks.sh mixed into a recording laid out the way
parec leaves it while still recording.

Run from anywhere: python3 tests/tools/test_e2e_helpers.py
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import sound  # noqa: E402

RATE = 44100
FRAME = 4  # bytes per 16-bit stereo frame


def recording(pcm, data_size):
    """A WAV header as parec writes it before it stops (sizes not filled in)."""
    return (b"RIFF" + struct.pack("<I", 8) + b"WAVE"
            + b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * FRAME, FRAME, 16)
            + b"data" + struct.pack("<I", data_size) + pcm)


class RecordingTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        subprocess.run(["sh", os.path.join(ROOT, "tools", "sound", "make-test-tracks.sh"),
                        cls.dir.name], check=True)
        cls.tones = {}
        for ch in sound.TONES:
            mp3 = os.path.join(cls.dir.name, "tone%d.mp3" % ch)
            with open(mp3, "rb") as f:
                data = f.read()
            assert data[:5] == b"ID3\x03\x00" and data[-128:-125] != b"TAG", mp3
            subprocess.run(["lame", "--quiet", "--decode", mp3, mp3 + ".wav"], check=True)
            with wave.open(mp3 + ".wav") as w:
                assert (w.getframerate(), w.getnchannels()) == (RATE, 2), mp3
                cls.tones[ch] = w.readframes(w.getnframes())

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def mix(self, seconds, parts):
        """parts: (channel, start s, gain dB); each tone plays once, whole."""
        out = bytearray(seconds * RATE * FRAME)
        for ch, start, gain in parts:
            at = round(start * RATE) * FRAME
            tone = sound.audioop.mul(self.tones[ch], 2, 10 ** (gain / 20))[:len(out) - at]
            out[at:at + len(tone)] = sound.audioop.add(bytes(out[at:at + len(tone)]), tone, 2)
        return bytes(out)

    def test_timeline_of_a_growing_recording(self):
        # 1 s silence, channel 1 alone for 2 s (starting between two windows),
        # then all six with channel 3 8 dB down; channel 6 (6 s long) plays
        # again after a 1 s gap.
        parts = [(1, 1.03, 0)] + [(ch, 3, -8 if ch == 3 else 0) for ch in range(2, 7)] + [(6, 10, 0)]
        pcm = self.mix(12, parts)
        path = os.path.join(self.dir.name, "recording.wav")
        for data_size in (0, 0xFFFFFFFF):
            # A torn last frame, as when parec is caught mid-write.
            with open(path, "wb") as f:
                f.write(recording(pcm + b"\1\2\3", data_size))
            with self.subTest(data_size=data_size):
                self.assertEqual(sound.position(path), 12.0)
                frames = sound.levels(path, 0.0, 30.0, window_s=0.05)
                self.assertAlmostEqual(frames[-1][0], 11.95)
                for ch in sound.TONES:
                    self.assertAlmostEqual(sound.onset(frames, ch), 1.03 if ch == 1 else 3.0, delta=0.03)
                self.assertEqual(sound.gaps(frames, 6), [(0.0, 3.0), (9.0, 10.0)])
                self.assertEqual(sound.gaps(frames, 2), [(0.0, 3.0)])
                # Silence reads the floor; no tone leaks into another's band.
                for t, level in frames:
                    for ch in sound.TONES:
                        if (t < 1.0 or (ch > 1 and 1.05 < t < 2.95)
                                or (ch == 6 and 9.05 < t < 9.95)):
                            self.assertEqual(level[ch], sound.FLOOR_DB, (t, ch))
                # A stretch starting mid-tone reads full level from its first window.
                self.assertAlmostEqual(sound.levels(path, 5.0, 5.1)[0][1][4], -20.0, delta=0.5)
                # Five tones at -20 dB and one at -28 dB add up in power.
                self.assertAlmostEqual(sound.loudness(path, 4, 8), -12.9, delta=0.3)
                self.assertEqual(sound.loudness(path, 0, 0.95), sound.FLOOR_DB)
                loud = {ch: sound.median_level(frames, ch, 4, 8) for ch in sound.TONES}
                for ch, level in loud.items():
                    self.assertAlmostEqual(level, -28.0 if ch == 3 else -20.0, delta=0.5)

    def test_tone_lengths(self):
        for ch, seconds in sound.TONE_SECONDS.items():
            self.assertAlmostEqual(len(self.tones[ch]) / FRAME / RATE, seconds, delta=0.03)


if __name__ == "__main__":
    unittest.main()
