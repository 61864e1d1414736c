"""Reads the lab's recording of the program's mix while it is still growing.

The lab's parec writes one 16-bit PCM WAV file for the whole session; its RIFF
and data sizes stay 0 or stale until it ends, so the data's extent is taken
from the file's size. The end-to-end build plays six steady test tones, one
per channel (tools/sound/make-test-tracks.sh), so the level of a channel in a
stretch of the recording is the level of the mix band-passed around that
channel's tone.

    frames = levels(path, 10.0, 20.0)          # [(time_s, {channel: dB})]
    onset(frames, 1)                           # when channel 1 starts to sound
    gaps(frames, 6)                            # when channel 6 is silent
    median_level(frames, 3, 12.0, 15.0)        # how loud channel 3 is
    loudness(path, 10.0, 20.0)                 # how loud the whole mix is

Levels are in dB relative to a sine that peaks at full scale, so a test tone
played at full volume reads about -20; silence reads FLOOR_DB.
"""
import array
import math
import os
import statistics
import struct
import subprocess
import time
import warnings
from concurrent.futures import ThreadPoolExecutor

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    try:
        import audioop
    except ImportError:
        # Python 3.13 (Debian 13, where the newer Wine's lane runs) has no
        # audioop: the two things read from it are done by hand there.
        audioop = None


def _tomono(raw):
    """16-bit stereo samples to mono, each the mean of its pair."""
    if audioop:
        return audioop.tomono(raw, 2, 0.5, 0.5)
    pairs = array.array("h", raw)
    return array.array("h", ((a + b) >> 1 for a, b in zip(pairs[0::2], pairs[1::2]))).tobytes()


def _rms(raw, width):
    if audioop:
        return audioop.rms(raw, width)
    samples = array.array("h" if width == 2 else "i", raw)
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0

# channel -> tone frequency (Hz) and length (s), repeated in the table of
# tools/sound/make-test-tracks.sh; change both together.
TONES = {1: 380, 2: 670, 3: 1000, 4: 1660, 5: 2460, 6: 4360}
TONE_SECONDS = {1: 20, 2: 18, 3: 16, 4: 24, 5: 22, 6: 6}

FLOOR_DB = -90.0       # what silence reads; no level is reported below it
SOUNDING_DB = -50.0    # default threshold between sounding and silent
# A channel's band reaches 15 % either side of its tone (the -6 dB points),
# and its filter falls from pass to stop over a quarter of the tone's
# frequency: the neighbouring tones, at least 1.48 times apart, lie in the
# stop band of each other's filter.
_BAND = 1.15
_TRANSITION = 0.25
_ATTENUATION_DB = 100
# Audio read beyond either end of a stretch, so that the filters have settled
# when the stretch begins.
_MARGIN_S = 0.2


def _layout(path):
    """(offset of the sample data, channels, sample rate, bytes per frame), or
    None while parec has not written the header yet."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if len(head) < 12:
        return None
    if head[:4] != b"RIFF" or head[8:12] != b"WAVE":
        raise ValueError("%s is not a WAV file" % path)
    fmt = None
    at = 12
    while at + 8 <= len(head):
        chunk, size = head[at:at + 4], struct.unpack_from("<I", head, at + 4)[0]
        if chunk == b"data":
            if fmt is None:
                raise ValueError("%s: data before the format chunk" % path)
            return (at + 8,) + fmt
        if chunk == b"fmt ":
            if at + 24 > len(head):
                return None
            tag, channels, rate, _, align, bits = struct.unpack_from("<HHIIHH", head, at + 8)
            if tag not in (1, 0xFFFE) or bits != 16 or channels not in (1, 2):
                raise ValueError("%s: not 16-bit PCM mono or stereo" % path)
            fmt = (channels, rate, align)
        at += 8 + size + (size & 1)
    return None


def _available(path, layout):
    """Whole frames of audio in the file now."""
    return max(0, os.path.getsize(path) - layout[0]) // layout[3]


def position(path) -> float:
    """Seconds of audio in the recording now (0 before the header is there)."""
    layout = _layout(path)
    return _available(path, layout) / layout[2] if layout else 0.0


def clock(path, timeout=10.0):
    """Returns a function mapping a time.monotonic() value to the recording's
    time in seconds. parec appends in bursts (every 2 s unless told a shorter
    latency), so this waits for one burst to land and anchors there."""
    deadline = time.monotonic() + timeout
    size = os.path.getsize(path)
    while os.path.getsize(path) == size:
        if time.monotonic() > deadline:
            raise AssertionError("%s did not grow within %.0f s" % (path, timeout))
        time.sleep(0.002)
    landed = time.monotonic()
    # One burst may take several writes: wait until the size settles.
    while True:
        size = os.path.getsize(path)
        time.sleep(0.002)
        if os.path.getsize(path) == size:
            break
    at = position(path)
    return lambda t: at + (t - landed)


def _band_pass(mono, rate, frequency):
    """The 16-bit mono samples filtered around frequency, as 32-bit samples of
    the same length and timing (sox's linear-phase filter is delay-free)."""
    low, high = frequency / _BAND, frequency * _BAND
    command = ["sox", "-V1", "-D", "-t", "raw", "-r", str(rate), "-e", "signed", "-b", "16",
               "-c", "1", "-", "-t", "raw", "-e", "signed", "-b", "32", "-",
               "sinc", "-a", str(_ATTENUATION_DB), "-t", "%.1f" % (frequency * _TRANSITION),
               "%.1f-%.1f" % (low, high)]
    return subprocess.run(command, input=mono, capture_output=True, check=True).stdout


def _db(rms, full_scale):
    if rms <= 0:
        return FLOOR_DB
    return max(FLOOR_DB, 20 * math.log10(rms * math.sqrt(2) / full_scale))


def levels(path, start_s, end_s, window_s=0.1):
    """The level of each channel's tone in consecutive windows from start_s:
    [(window start in s, {channel: dB})]. Stops at end_s or at the end of what
    has been recorded so far, whichever comes first; a last partial window is
    left out."""
    layout = _layout(path)
    if layout is None:
        return []
    offset, channels, rate, align = layout
    available = _available(path, layout)
    start = max(0, round(start_s * rate))
    end = min(available, round(end_s * rate))
    window = max(1, round(window_s * rate))
    count = max(0, (end - start) // window)
    if count == 0:
        return []
    first = max(0, start - round(_MARGIN_S * rate))
    last = min(available, start + count * window + round(_MARGIN_S * rate))
    with open(path, "rb") as f:
        f.seek(offset + first * align)
        raw = f.read((last - first) * align)
    mono = _tomono(raw) if channels == 2 else raw
    with ThreadPoolExecutor(len(TONES)) as pool:
        filtered = dict(zip(TONES, pool.map(lambda f: _band_pass(mono, rate, f), TONES.values())))
    frames = []
    for k in range(count):
        a = (start - first + k * window) * 4
        frames.append(((start + k * window) / rate,
                       {ch: _db(_rms(samples[a:a + window * 4], 4), 2 ** 31)
                        for ch, samples in filtered.items()}))
    return frames


def onset(frames, channel, threshold_db=SOUNDING_DB):
    """When channel first sounds, in s, or None if it never does. Within the
    first window above the threshold, the start is placed by how much of the
    next window's energy that window holds, which is right for a steady tone."""
    for k, (t, level) in enumerate(frames):
        if level[channel] >= threshold_db:
            if k == 0 or k + 1 == len(frames):
                return t
            step = frames[k + 1][0] - t
            share = 10 ** ((level[channel] - frames[k + 1][1][channel]) / 10)
            return t + step * (1 - min(1.0, share))
    return None


def gaps(frames, channel, threshold_db=SOUNDING_DB):
    """The stretches in which channel is silent: [(start, end)] in s, to
    window precision; a stretch running to the last frame ends at that
    frame's end."""
    if not frames:
        return []
    step = frames[1][0] - frames[0][0] if len(frames) > 1 else 0.0
    found, begin = [], None
    for t, level in frames:
        if level[channel] < threshold_db:
            if begin is None:
                begin = t
        elif begin is not None:
            found.append((begin, t))
            begin = None
    if begin is not None:
        found.append((begin, frames[-1][0] + step))
    return found


def median_level(frames, channel, start_s, end_s):
    """The median level of channel in the windows starting in [start_s, end_s)."""
    inside = [level[channel] for t, level in frames if start_s <= t < end_s]
    if not inside:
        raise ValueError("no windows between %.2f s and %.2f s" % (start_s, end_s))
    return statistics.median(inside)


def loudness(path, start_s, end_s):
    """The level of the whole mix between start_s and end_s, in the same dB
    as levels(); FLOOR_DB for silence."""
    layout = _layout(path)
    if layout is None:
        return FLOOR_DB
    offset, channels, rate, align = layout
    first = max(0, round(start_s * rate))
    last = min(_available(path, layout), round(end_s * rate))
    if last <= first:
        raise ValueError("nothing recorded between %.2f s and %.2f s" % (start_s, end_s))
    with open(path, "rb") as f:
        f.seek(offset + first * align)
        raw = f.read((last - first) * align)
    return _db(_rms(raw, 2), 2 ** 15)
