#!/usr/bin/env python3
"""Measures how near each of the six tracks is to real recordings of its
kind, by the sound-texture statistics of texture.py.

    python3 tools/sound/realism.py [BUILD_DIR]     (make realism)

The eight recordings are fetched into BUILD_DIR/realism by
fetch-references.sh; if they cannot be had, one line says so and the check
ends. Each track gives six excerpts of 7 s; each recording as many as fit,
up to eight, half overlapping where it is short. For every track the table
shows which recording each excerpt is nearest (to the mean statistics of
that recording's excerpts), the median distance to the recording of its own
kind, that recording's own spread (the median distance of its excerpts to
their mean), the ratio of the two, and the distance by group. The last
column is the loudest momentary loudness (400 ms) above the track's median.
"""
import os
import re
import subprocess
import sys

import numpy as np
from scipy.io import wavfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import texture  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TRACKS = [
    ("01-birdsong.mp3", "birds"),
    ("02-campfire.mp3", "fireplace"),
    ("03-rain.mp3", "rain"),
    ("04-thunder.mp3", "storm"),
    ("05-waves.mp3", "waves"),
    ("06-insects.mp3", "summer-night"),
]
RECORDINGS = ["birds", "fireplace", "rain", "storm", "waves", "summer-night", "wind", "stream"]
TRACK_EXCERPTS = 6
MAX_REFERENCE_EXCERPTS = 8
SHORT = {"spectrum": "spect", "variation": "var", "skewness": "skew",
         "kurtosis": "kurt", "correlation": "corr", "modulation": "mod"}


def decode(path):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-ac", "1", "-ar",
                          str(texture.RATE), "-f", "f32le", "-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, dtype=np.float32).astype(float)


def read_wav(path):
    rate, data = wavfile.read(path)
    assert rate == texture.RATE
    return data.astype(float) / 32768.0


def reference_excerpts(audio):
    seconds = len(audio) / texture.RATE
    fit = int((seconds - 1.0 - texture.EXCERPT_SECONDS) / (texture.EXCERPT_SECONDS / 2)) + 1
    count = max(2, min(MAX_REFERENCE_EXCERPTS, fit))
    return texture.excerpts(audio, count, margin_seconds=0.5)


def credits(copyright_path):
    """One line naming each recording's author and licence, from the
    package's copyright file."""
    text = open(copyright_path, encoding="utf-8").read()
    parts = []
    for name in RECORDINGS:
        m = re.search(r"sounds/" + re.escape(name) + r"\.ogg\s*\nCopyright:\s*\n\s*(.+?)\s*\n"
                      r"License:\s*(\S+)(?:.*?\n(?:Comment: )?(https?://\S+))?", text, re.S)
        if m:
            link = " " + m.group(3) if m.group(3) else ""
            parts.append("%s by %s (%s%s)" % (name, m.group(1), m.group(2), link))
        else:
            parts.append(name)
    return "Recordings from Debian 13's blanket package, a yardstick only: " + "; ".join(parts)


def momentary_over_median(path):
    """The loudest momentary loudness above the median, in LU, with the
    faded first and last two seconds left out."""
    err = subprocess.run(["ffmpeg", "-nostats", "-hide_banner", "-i", path,
                          "-af", "ebur128", "-f", "null", "-"],
                         capture_output=True, text=True, check=True).stderr
    frames = [(float(t), float(m)) for t, m in
              re.findall(r"t:\s*([\d.]+)\s+TARGET:.*?M:\s*(-?[\d.]+|-inf)", err)
              if m != "-inf"]
    end = frames[-1][0]
    values = np.array([m for t, m in frames if 2.0 <= t <= end - 2.0 and m > -70])
    return float(values.max() - np.median(values))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    ref_dir = os.path.join(build, "realism")
    fetch = subprocess.run(["sh", os.path.join(ROOT, "tools", "sound", "fetch-references.sh"),
                            ref_dir], capture_output=True, text=True)
    if fetch.returncode != 0:
        why = (fetch.stderr.strip().splitlines() or ["unknown failure"])[-1]
        print("realism: no reference recordings: " + why)
        return 0

    ref_stats = {}
    for name in RECORDINGS:
        audio = read_wav(os.path.join(ref_dir, name + ".wav"))
        ref_stats[name] = [texture.statistics(x) for x in reference_excerpts(audio)]
    spread = texture.spreads([s for stats in ref_stats.values() for s in stats])
    ref_mean = {n: texture.mean_statistics(s) for n, s in ref_stats.items()}
    own_spread = {n: float(np.median([texture.distance(x, ref_mean[n], spread) for x in s]))
                  for n, s in ref_stats.items()}

    groups = " ".join("%5s" % SHORT[g] for g in texture.GROUPS)
    print("%-16s %-28s %-13s %5s %6s %5s  %s %6s" % (
        "track", "nearest (votes of 6)", "own kind", "dist", "spread", "ratio", groups, "M-med"))
    for track, kind in TRACKS:
        path = os.path.join(ROOT, "assets", "tracks", track)
        stats = [texture.statistics(x)
                 for x in texture.excerpts(decode(path), TRACK_EXCERPTS)]
        votes = {}
        own = []
        for s in stats:
            nearest = min(RECORDINGS, key=lambda n: texture.distance(s, ref_mean[n], spread))
            votes[nearest] = votes.get(nearest, 0) + 1
            own.append(texture.group_distances(s, ref_mean[kind], spread))
        vote_text = " ".join("%s %d" % (n, c) for n, c in
                             sorted(votes.items(), key=lambda v: -v[1]))
        dist = float(np.median([np.mean(list(g.values())) for g in own]))
        by_group = " ".join("%5.2f" % np.median([g[k] for g in own]) for k in texture.GROUPS)
        print("%-16s %-28s %-13s %5.2f %6.2f %5.2f  %s %6.1f" % (
            track[:-4], vote_text, kind, dist, own_spread[kind], dist / own_spread[kind],
            by_group, momentary_over_median(path)))
    print(credits(os.path.join(ref_dir, "copyright")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
