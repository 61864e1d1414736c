#!/usr/bin/env python3
"""Checks the sound-texture measure of tools/sound/texture.py on signals
whose difference is known: each is nearest itself, and a change of spectrum
or of rhythm shows in the group that describes it. Skipped (77) where
Debian's python3-numpy or python3-scipy is missing."""
import os
import sys
import unittest

try:
    import numpy as np
except ImportError:
    print("skipped: python3-numpy is not installed")
    sys.exit(77)

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
sys.path.insert(0, os.path.join(ROOT, "tools", "sound"))
try:
    import texture
except ImportError:
    print("skipped: python3-scipy is not installed")
    sys.exit(77)


def noise(seed, seconds=3.0):
    return np.random.default_rng(seed).standard_normal(int(seconds * texture.RATE))


def low_passed(x):
    # A first-order low-pass near 300 Hz tilts the spectrum and nothing else.
    spectrum = np.fft.rfft(x)
    f = np.fft.rfftfreq(len(x), 1.0 / texture.RATE)
    return np.fft.irfft(spectrum / (1.0 + 1j * f / 300.0), len(x))


def pulsed(x):
    t = np.arange(len(x)) / texture.RATE
    return x * (0.05 + np.maximum(0.0, np.sin(2 * np.pi * 4.0 * t)) ** 8)


class TextureMeasure(unittest.TestCase):
    def test_nearest_itself_and_the_difference_in_its_group(self):
        signals = {"white": noise(1), "dark": low_passed(noise(2)), "pulsed": pulsed(noise(3))}
        stats = {n: texture.statistics(x) for n, x in signals.items()}
        again = {n: texture.statistics(f(noise(s + 10))) for n, f, s in
                 [("white", lambda x: x, 1), ("dark", low_passed, 2), ("pulsed", pulsed, 3)]}
        spread = texture.spreads(list(stats.values()) + list(again.values()))
        for name, s in again.items():
            nearest = min(stats, key=lambda n: texture.distance(s, stats[n], spread))
            self.assertEqual(nearest, name)

        tilt = texture.group_distances(stats["white"], stats["dark"], spread)
        self.assertEqual(max(tilt, key=tilt.get), "spectrum")
        rhythm = texture.group_distances(stats["white"], stats["pulsed"], spread)
        self.assertGreater(rhythm["modulation"], rhythm["spectrum"])
        self.assertGreater(rhythm["variation"], rhythm["spectrum"])
        # Four pulses a second put the envelopes' power in the 4 Hz octave.
        mod = stats["pulsed"]["modulation"].reshape(9, texture.BANDS).mean(axis=1)
        self.assertEqual(int(np.argmax(mod)), list(texture.MODULATION_CENTRES).index(4.0))


if __name__ == "__main__":
    unittest.main()
