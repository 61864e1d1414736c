"""Sound-texture statistics of the auditory periphery, and a distance
between them.

Sounds such as rain, fire, insects, surf and wind are heard as the same kind
of sound when a small set of statistics of cochlear envelopes match. This
module computes that set on mono 20 kHz excerpts:

- a filterbank of 30 half-cosine bands evenly spaced on the ERB scale from
  50 Hz to 8 kHz, applied in the frequency domain; each band's envelope is
  the magnitude of its analytic signal, compressed by the power 0.3 and
  resampled to 400 Hz;
- per band the envelope's mean (dB), coefficient of variation, skewness and
  log kurtosis; the correlations between band envelopes up to eight bands
  apart; the modulation power of each envelope in nine octave bands from
  0.5 to 128 Hz, in dB relative to the envelope's variance.

The distance between two excerpts is the mean over those six groups of the
root-mean-square difference of the group's statistics, each statistic
divided by its spread (standard deviation) over a set of reference excerpts.
"""
import numpy as np
from scipy import signal

RATE = 20000
ENVELOPE_RATE = 400
BANDS = 30
LOW_HZ = 50.0
HIGH_HZ = 8000.0
COMPRESSION = 0.3
MAX_BAND_GAP = 8
MODULATION_CENTRES = 0.5 * 2.0 ** np.arange(9)  # 0.5 ... 128 Hz
EXCERPT_SECONDS = 7.0
GROUPS = ("spectrum", "variation", "skewness", "kurtosis", "correlation", "modulation")


def erb_number(hz):
    return 21.4 * np.log10(1.0 + 0.00437 * hz)


def filterbank(samples):
    """Gains of the 30 bands at the rfft bins of `samples` samples.

    Band k is half a cosine period wide on the ERB scale and centred on the
    k-th of 30 points from 50 Hz to 8 kHz; neighbours overlap by half."""
    freqs = np.fft.rfftfreq(samples, 1.0 / RATE)
    erb = erb_number(freqs)
    centres = np.linspace(erb_number(LOW_HZ), erb_number(HIGH_HZ), BANDS)
    half_width = centres[1] - centres[0]
    offset = (erb[None, :] - centres[:, None]) / half_width
    return np.where(np.abs(offset) < 1.0, np.cos(offset * np.pi / 2.0), 0.0)


def envelopes(excerpt):
    """Compressed band envelopes at 400 Hz, one row per band."""
    excerpt = np.asarray(excerpt, dtype=float)
    excerpt = excerpt / (np.sqrt(np.mean(excerpt ** 2)) + 1e-12)
    n = len(excerpt)
    spectrum = np.fft.rfft(excerpt)
    gains = filterbank(n)
    # The analytic signal of a band: its positive frequencies doubled, its
    # negative ones removed; a full-length inverse FFT gives it directly.
    full = np.zeros((BANDS, n), dtype=complex)
    full[:, :len(spectrum)] = gains * spectrum[None, :]
    full[:, 1:(n + 1) // 2] *= 2.0
    envelope = np.abs(np.fft.ifft(full, axis=1)) ** COMPRESSION
    return signal.resample_poly(envelope, 1, RATE // ENVELOPE_RATE, axis=1).clip(min=1e-9)


def statistics(excerpt):
    """The six groups of statistics of one excerpt, as a dict of vectors."""
    env = envelopes(excerpt)
    mean = env.mean(axis=1)
    centred = env - mean[:, None]
    var = (centred ** 2).mean(axis=1) + 1e-18
    std = np.sqrt(var)
    norm = centred / std[:, None]
    corr = np.corrcoef(env)
    pairs = [corr[i, i + gap] for gap in range(1, MAX_BAND_GAP + 1)
             for i in range(BANDS - gap)]
    power = np.abs(np.fft.rfft(centred, axis=1)) ** 2
    freqs = np.fft.rfftfreq(env.shape[1], 1.0 / ENVELOPE_RATE)
    total = power[:, 1:].sum(axis=1) + 1e-18
    modulation = []
    for centre in MODULATION_CENTRES:
        inside = (freqs >= centre / np.sqrt(2.0)) & (freqs < centre * np.sqrt(2.0))
        modulation.append(10.0 * np.log10(power[:, inside].sum(axis=1) / total + 1e-12))
    return {
        "spectrum": 20.0 * np.log10(mean),
        "variation": std / mean,
        "skewness": (norm ** 3).mean(axis=1),
        "kurtosis": np.log((norm ** 4).mean(axis=1)),
        "correlation": np.array(pairs),
        "modulation": np.concatenate(modulation),
    }


def excerpts(audio, count, margin_seconds=2.0, quiet_db=15.0):
    """`count` excerpts of 7 s spread evenly over `audio`, `margin_seconds`
    kept clear at either end. A window more than `quiet_db` below the whole
    track's level (a silent lull) moves on by a second until it is not."""
    audio = np.asarray(audio, dtype=float)
    length = int(EXCERPT_SECONDS * RATE)
    margin = int(margin_seconds * RATE)
    last = len(audio) - margin - length
    if last < margin:
        margin, last = 0, len(audio) - length
    if last < 0:
        raise ValueError("shorter than one excerpt")
    level = np.mean(audio ** 2) * 10.0 ** (-quiet_db / 10.0)
    out = []
    for start in np.linspace(margin, last, count).astype(int):
        while start < last and np.mean(audio[start:start + length] ** 2) < level:
            start = min(start + RATE, last)
        out.append(audio[start:start + length])
    return out


def spreads(reference_stats):
    """Per statistic, its standard deviation over the reference excerpts."""
    return {g: np.std([s[g] for s in reference_stats], axis=0) + 1e-9 for g in GROUPS}


def mean_statistics(stats):
    return {g: np.mean([s[g] for s in stats], axis=0) for g in GROUPS}


def group_distances(a, b, spread):
    """Per group, the RMS of the differences in units of the reference spread."""
    return {g: float(np.sqrt(np.mean(((a[g] - b[g]) / spread[g]) ** 2))) for g in GROUPS}


def distance(a, b, spread):
    return float(np.mean(list(group_distances(a, b, spread).values())))
