#include "master.h"

#include <algorithm>
#include <deque>

namespace sound {

namespace {

// K-weighting: a high shelf for the head's acoustic effect and a high-pass
// (the "RLB" curve), derived for any sample rate from their analogue poles.
void kWeighting(double rate, Biquad& shelf, Biquad& highpass) {
  double f0 = 1681.974450955533;
  double gainDb = 3.999843853973347;
  double q = 0.7071752369554196;
  double k = std::tan(kPi * f0 / rate);
  double vh = std::pow(10.0, gainDb / 20.0);
  double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  shelf = Biquad();
  shelf.b0 = (vh + vb * k / q + k * k) / a0;
  shelf.b1 = 2.0 * (k * k - vh) / a0;
  shelf.b2 = (vh - vb * k / q + k * k) / a0;
  shelf.a1 = 2.0 * (k * k - 1.0) / a0;
  shelf.a2 = (1.0 - k / q + k * k) / a0;

  f0 = 38.13547087602444;
  q = 0.5003270373238773;
  k = std::tan(kPi * f0 / rate);
  a0 = 1.0 + k / q + k * k;
  highpass = Biquad();
  highpass.b0 = 1.0;
  highpass.b1 = -2.0;
  highpass.b2 = 1.0;
  highpass.a1 = 2.0 * (k * k - 1.0) / a0;
  highpass.a2 = (1.0 - k / q + k * k) / a0;
}

constexpr int kOversample = 4;
constexpr int kTapsPerPhase = 16;

// Polyphase windowed-sinc interpolator: phase p (1..3) of sample i is the
// value a quarter, half or three quarters of the way to sample i + 1.
struct Interpolator {
  double taps[kOversample][kTapsPerPhase];
  Interpolator() {
    const int half = kTapsPerPhase / 2;
    for (int p = 0; p < kOversample; ++p) {
      double frac = static_cast<double>(p) / kOversample;
      for (int t = 0; t < kTapsPerPhase; ++t) {
        double x = (t - half + 1) - frac;
        double sinc = std::abs(x) < 1e-12 ? 1.0 : std::sin(kPi * x) / (kPi * x);
        double w = 0.5 + 0.5 * std::cos(kPi * x / (half + 0.5));
        taps[p][t] = sinc * w;
      }
    }
  }
  // Largest magnitude between sample i (inclusive) and i + 1, on a loop.
  double peakAfter(const std::vector<double>& x, size_t i) const {
    size_t n = x.size();
    double peak = std::abs(x[i]);
    const int half = kTapsPerPhase / 2;
    for (int p = 1; p < kOversample; ++p) {
      double v = 0;
      if (i + 1 >= static_cast<size_t>(half) && i + half < n) {
        const double* base = &x[i + 1 - half];
        for (int t = 0; t < kTapsPerPhase; ++t) v += taps[p][t] * base[t];
      } else {
        for (int t = 0; t < kTapsPerPhase; ++t) {
          long long j = static_cast<long long>(i) + t - half + 1;
          j %= static_cast<long long>(n);
          if (j < 0) j += n;
          v += taps[p][t] * x[static_cast<size_t>(j)];
        }
      }
      peak = std::max(peak, std::abs(v));
    }
    return peak;
  }
};

std::vector<double> interpolatedPeaks(const Stereo& audio) {
  static const Interpolator interp;
  size_t n = audio.size();
  std::vector<double> peaks(n);
  for (size_t i = 0; i < n; ++i) {
    peaks[i] = std::max(interp.peakAfter(audio.left, i),
                        interp.peakAfter(audio.right, i));
  }
  return peaks;
}

}  // namespace

double integratedLoudness(const Stereo& audio) {
  size_t n = audio.size();
  const size_t hop = static_cast<size_t>(audio.rate / 10);  // 100 ms
  std::vector<double> hopEnergy;
  Biquad shelfL, hpL;
  kWeighting(audio.rate, shelfL, hpL);
  Biquad shelfR = shelfL, hpR = hpL;
  double acc = 0;
  size_t count = 0;
  for (size_t i = 0; i < n; ++i) {
    double l = hpL.process(shelfL.process(audio.left[i]));
    double r = hpR.process(shelfR.process(audio.right[i]));
    acc += l * l + r * r;
    if (++count == hop) {
      hopEnergy.push_back(acc / hop);
      acc = 0;
      count = 0;
    }
  }
  std::vector<double> blocks;
  for (size_t b = 0; b + 4 <= hopEnergy.size(); ++b) {
    blocks.push_back((hopEnergy[b] + hopEnergy[b + 1] + hopEnergy[b + 2] +
                      hopEnergy[b + 3]) / 4);
  }
  auto lufs = [](double energy) { return -0.691 + 10.0 * std::log10(energy); };
  double sum = 0;
  size_t kept = 0;
  for (double e : blocks) {
    if (e > 0 && lufs(e) > -70.0) { sum += e; ++kept; }
  }
  if (kept == 0) return -200.0;
  double relativeGate = lufs(sum / kept) - 10.0;
  sum = 0;
  kept = 0;
  for (double e : blocks) {
    if (e > 0 && lufs(e) > -70.0 && lufs(e) > relativeGate) { sum += e; ++kept; }
  }
  return lufs(sum / kept);
}

double truePeakDb(const Stereo& audio) {
  std::vector<double> peaks = interpolatedPeaks(audio);
  double peak = *std::max_element(peaks.begin(), peaks.end());
  return 20.0 * std::log10(std::max(peak, 1e-12));
}

void limitTruePeak(Stereo& audio, double ceilingDb) {
  const double ceiling = dbToGain(ceilingDb);
  const size_t n = audio.size();
  std::vector<double> peaks = interpolatedPeaks(audio);
  std::vector<double> need(n);
  bool any = false;
  for (size_t i = 0; i < n; ++i) {
    need[i] = peaks[i] > ceiling ? ceiling / peaks[i] : 1.0;
    any = any || need[i] < 1.0;
  }
  if (!any) return;

  // Window minimum over +-attack samples: the gain is already down when a
  // peak arrives. Then a release towards unity, then a moving average over
  // the same window, which can only stay below every requirement it spans.
  const long long attack = static_cast<long long>(audio.rate * 0.002);
  std::vector<double> floorGain(n);
  std::deque<long long> window;  // indices with increasing need values
  for (long long j = -attack; j < static_cast<long long>(n) + attack; ++j) {
    long long in = j + attack;
    auto at = [&](long long k) { return need[audio.wrap(k)]; };
    while (!window.empty() && at(window.back()) >= at(in)) window.pop_back();
    window.push_back(in);
    while (window.front() < j - attack) window.pop_front();
    if (j >= 0 && j < static_cast<long long>(n)) floorGain[j] = at(window.front());
  }
  const double release = 1.0 - std::exp(-1.0 / (audio.rate * 0.15));
  std::vector<double> gain(n);
  double g = 1.0;
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < n; ++i) {
      g = std::min(floorGain[i], g + (1.0 - g) * release);
      gain[i] = g;
    }
  }
  const long long width = 2 * attack + 1;
  double run = 0;
  for (long long k = -attack; k <= attack; ++k) run += gain[audio.wrap(k)];
  for (size_t i = 0; i < n; ++i) {
    double smooth = run / width;
    audio.left[i] *= smooth;
    audio.right[i] *= smooth;
    long long ii = static_cast<long long>(i);
    run += gain[audio.wrap(ii + attack + 1)] - gain[audio.wrap(ii - attack)];
  }
}

void normalise(Stereo& audio, double targetLufs, double ceilingDb) {
  for (int round = 0; round < 6; ++round) {
    double gain = dbToGain(targetLufs - integratedLoudness(audio));
    for (size_t i = 0; i < audio.size(); ++i) {
      audio.left[i] *= gain;
      audio.right[i] *= gain;
    }
    limitTruePeak(audio, ceilingDb);
    if (std::abs(integratedLoudness(audio) - targetLufs) < 0.05) return;
  }
}

void removeDc(Stereo& audio) {
  double sl = 0, sr = 0;
  for (size_t i = 0; i < audio.size(); ++i) { sl += audio.left[i]; sr += audio.right[i]; }
  sl /= audio.size();
  sr /= audio.size();
  for (size_t i = 0; i < audio.size(); ++i) { audio.left[i] -= sl; audio.right[i] -= sr; }
}

void fadeEnds(Stereo& audio, double seconds) {
  size_t len = std::min(audio.frames(seconds), audio.size() / 2);
  size_t n = audio.size();
  for (size_t i = 0; i < len; ++i) {
    double g = smoothStep(static_cast<double>(i) / len);
    audio.left[i] *= g;
    audio.right[i] *= g;
    audio.left[n - 1 - i] *= g;
    audio.right[n - 1 - i] *= g;
  }
}

std::vector<int16_t> toPcm16(const Stereo& audio, uint64_t ditherSeed) {
  Rng rng(ditherSeed);
  std::vector<int16_t> pcm(audio.size() * 2);
  auto quantise = [&](double x) {
    double dither = rng.uniform() - rng.uniform();
    double v = std::round(x * 32767.0 + dither);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
  };
  for (size_t i = 0; i < audio.size(); ++i) {
    pcm[2 * i] = quantise(audio.left[i]);
    pcm[2 * i + 1] = quantise(audio.right[i]);
  }
  return pcm;
}

}  // namespace sound
