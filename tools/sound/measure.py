#!/usr/bin/env python3
"""Prints the figures the tracks are judged by, measured on decoded audio.

    python3 tools/sound/measure.py assets/tracks/*.mp3

Duration, bytes, integrated loudness, true peak and loudness range (ffmpeg's
ebur128), mean spectral centroid (ffmpeg's aspectralstats, silent frames
skipped), L/R correlation, DC offset and clipped samples (from the decoded
16-bit samples).
"""
import array
import math
import os
import re
import subprocess
import sys


def loudness(path):
    out = subprocess.run(
        ["ffmpeg", "-nostats", "-hide_banner", "-i", path,
         "-af", "ebur128=peak=true", "-f", "null", "-"],
        capture_output=True, text=True, check=True).stderr
    summary = out[out.rindex("Summary:"):]

    def field(name):
        return float(re.search(name + r":\s+(-?[\d.]+|-inf)", summary).group(1))
    return field("I"), field("Peak"), field("LRA")


def centroid(path):
    out = subprocess.run(
        ["ffmpeg", "-nostats", "-hide_banner", "-i", path, "-af",
         "aspectralstats,ametadata=print:file=-", "-f", "null", "-"],
        capture_output=True, text=True, check=True).stdout
    frames = []
    for ch in ("1", "2"):
        means = re.findall(r"\." + ch + r"\.mean=([\d.eE+-]+)", out)
        cents = re.findall(r"\." + ch + r"\.centroid=([\d.eE+-]+)", out)
        frames += [(float(m), float(c)) for m, c in zip(means, cents)]
    # Frames more than 40 dB below the average level count as silence.
    level = sum(m for m, _ in frames) / len(frames)
    kept = [c for m, c in frames if m > level * 0.01 and not math.isnan(c)]
    return sum(kept) / len(kept) if kept else float("nan")


def sample_stats(path):
    raw = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-"],
        capture_output=True, check=True).stdout
    samples = array.array("h")
    samples.frombytes(raw)
    left, right = samples[0::2], samples[1::2]
    n = len(left)
    sl, sr = sum(left), sum(right)
    sll = sum(x * x for x in left)
    srr = sum(x * x for x in right)
    slr = sum(a * b for a, b in zip(left, right))
    corr = (slr / n - sl * sr / n / n) / math.sqrt(
        (sll / n - (sl / n) ** 2) * (srr / n - (sr / n) ** 2))
    dc = max(abs(sl), abs(sr)) / n / 32768.0
    dc_db = 20 * math.log10(dc) if dc > 0 else float("-inf")
    clipped = sum(1 for x in samples if x in (-32768, 32767))
    return n, corr, dc_db, clipped


def main(paths):
    print(f"{'file':18} {'sec':>7} {'bytes':>10} {'LUFS':>6} {'dBTP':>6} "
          f"{'LRA':>5} {'centroid':>8} {'corr':>5} {'DC dBFS':>7} {'clip':>4}")
    for path in paths:
        i, tp, lra = loudness(path)
        frames, corr, dc_db, clipped = sample_stats(path)
        rate = int(subprocess.run(
            ["ffprobe", "-v", "error", "-show_entries", "stream=sample_rate",
             "-of", "csv=p=0", path], capture_output=True, text=True,
            check=True).stdout.strip().split(",")[0])
        print(f"{os.path.basename(path):18} {frames / rate:7.2f} "
              f"{os.path.getsize(path):10d} {i:6.1f} {tp:6.1f} {lra:5.1f} "
              f"{centroid(path):8.0f} {corr:5.2f} {dc_db:7.1f} {clipped:4d}")


if __name__ == "__main__":
    main(sys.argv[1:])
