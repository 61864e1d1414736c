#include "dsp.h"

#include <algorithm>

namespace sound {

namespace {

uint64_t splitMix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

}  // namespace

Rng::Rng(uint64_t seed) : state_(splitMix(seed) | 1) {}

uint64_t Rng::next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545f4914f6cdd1dULL;
}

double Rng::uniform() { return (next() >> 11) * (1.0 / 9007199254740992.0); }

double Rng::uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

int Rng::integer(int lo, int hi) {
  return lo + static_cast<int>(uniform() * (hi - lo + 1));
}

bool Rng::chance(double p) { return uniform() < p; }

double Rng::normal() {
  double u1 = 1.0 - uniform();
  double u2 = uniform();
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * kPi * u2);
}

double Rng::exponential(double mean) { return -mean * std::log(1.0 - uniform()); }

double Rng::heavyTail(double alpha, double cap) {
  double v = std::pow(1.0 - uniform(), -1.0 / alpha);
  return std::min(v, cap);
}

Rng Rng::fork() { return Rng(next()); }

double hashNoise(uint64_t seed, uint64_t index) {
  uint64_t h = splitMix(seed * 0x632be59bd9b4e019ULL + index);
  return (h >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

namespace {

struct Rbj {
  double w0, cw, sw, alpha;
  Rbj(double rate, double hz, double q) {
    w0 = 2 * kPi * std::min(hz, rate * 0.49) / rate;
    cw = std::cos(w0);
    sw = std::sin(w0);
    alpha = sw / (2 * q);
  }
};

Biquad normalised(double b0, double b1, double b2, double a0, double a1,
                  double a2) {
  Biquad f;
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
  return f;
}

}  // namespace

Biquad Biquad::lowpass(double rate, double hz, double q) {
  Rbj c(rate, hz, q);
  return normalised((1 - c.cw) / 2, 1 - c.cw, (1 - c.cw) / 2, 1 + c.alpha,
                    -2 * c.cw, 1 - c.alpha);
}

Biquad Biquad::highpass(double rate, double hz, double q) {
  Rbj c(rate, hz, q);
  return normalised((1 + c.cw) / 2, -(1 + c.cw), (1 + c.cw) / 2, 1 + c.alpha,
                    -2 * c.cw, 1 - c.alpha);
}

Biquad Biquad::bandpass(double rate, double hz, double q) {
  Rbj c(rate, hz, q);
  return normalised(c.alpha, 0, -c.alpha, 1 + c.alpha, -2 * c.cw, 1 - c.alpha);
}

Biquad Biquad::peaking(double rate, double hz, double q, double db) {
  Rbj c(rate, hz, q);
  double a = std::pow(10.0, db / 40.0);
  return normalised(1 + c.alpha * a, -2 * c.cw, 1 - c.alpha * a,
                    1 + c.alpha / a, -2 * c.cw, 1 - c.alpha / a);
}

Biquad Biquad::lowShelf(double rate, double hz, double db) {
  Rbj c(rate, hz, 0.7071);
  double a = std::pow(10.0, db / 40.0);
  double s = 2 * std::sqrt(a) * c.alpha;
  return normalised(a * ((a + 1) - (a - 1) * c.cw + s),
                    2 * a * ((a - 1) - (a + 1) * c.cw),
                    a * ((a + 1) - (a - 1) * c.cw - s),
                    (a + 1) + (a - 1) * c.cw + s,
                    -2 * ((a - 1) + (a + 1) * c.cw),
                    (a + 1) + (a - 1) * c.cw - s);
}

Biquad Biquad::highShelf(double rate, double hz, double db) {
  Rbj c(rate, hz, 0.7071);
  double a = std::pow(10.0, db / 40.0);
  double s = 2 * std::sqrt(a) * c.alpha;
  return normalised(a * ((a + 1) + (a - 1) * c.cw + s),
                    -2 * a * ((a - 1) + (a + 1) * c.cw),
                    a * ((a + 1) + (a - 1) * c.cw - s),
                    (a + 1) - (a - 1) * c.cw + s,
                    2 * ((a - 1) - (a + 1) * c.cw),
                    (a + 1) - (a - 1) * c.cw - s);
}

void Svf::tune(double rate, double hz, double q) {
  g = std::tan(kPi * std::min(hz, rate * 0.45) / rate);
  k = 1.0 / q;
  a1 = 1.0 / (1.0 + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

double PinkFilter::process(double white) {
  b0 = 0.99886 * b0 + white * 0.0555179;
  b1 = 0.99332 * b1 + white * 0.0750759;
  b2 = 0.96900 * b2 + white * 0.1538520;
  b3 = 0.86650 * b3 + white * 0.3104856;
  b4 = 0.55000 * b4 + white * 0.5329522;
  b5 = -0.7616 * b5 - white * 0.0168980;
  double pink = b0 + b1 + b2 + b3 + b4 + b5 + b6 + white * 0.5362;
  b6 = white * 0.115926;
  return pink * 0.11;
}

PanGains panGains(double pan) {
  double p = std::clamp(pan, -1.0, 1.0);
  double angle = (p + 1) * kPi / 4;
  return {std::cos(angle), std::sin(angle)};
}

PeriodicWobble::PeriodicWobble(Rng& rng, size_t period, double rate,
                               double minHz, double maxHz, int count) {
  double seconds = period / rate;
  double amp = std::sqrt(2.0 / count);
  for (int i = 0; i < count; ++i) {
    double hz = rng.uniform(minHz, maxHz);
    double cycles = std::max(1.0, std::round(hz * seconds));
    parts_.push_back({2 * kPi * cycles / period, rng.uniform(0, 2 * kPi), amp});
  }
}

double PeriodicWobble::at(size_t index) const {
  double sum = 0;
  for (const Part& p : parts_) sum += p.amp * std::sin(p.omega * index + p.phase);
  return sum;
}

std::vector<double> loopedSlowNoise(size_t period, double rate, double hz,
                                    uint64_t seed) {
  std::vector<double> out(period);
  OnePole a, b;
  a.tune(rate, hz);
  b.tune(rate, hz);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < period; ++i) out[i] = b.process(a.process(hashNoise(seed, i)));
  }
  double mean = 0, power = 0;
  for (double v : out) mean += v;
  mean /= period;
  for (double& v : out) { v -= mean; power += v * v; }
  double scale = 1.0 / std::sqrt(std::max(power / period, 1e-30));
  for (double& v : out) v *= scale;
  return out;
}

Placement place(double pan, int rate) {
  PanGains g = panGains(pan);
  long long delay = std::llround(std::abs(std::clamp(pan, -1.0, 1.0)) * 0.0001 * rate);
  return {g.left, g.right, pan > 0 ? delay : 0, pan < 0 ? delay : 0};
}

void Stereo::addPlaced(long long index, double v, const Placement& p) {
  left[wrap(index + p.leftDelay)] += v * p.left;
  right[wrap(index + p.rightDelay)] += v * p.right;
}

void Stereo::mix(const Stereo& other, double gain) {
  size_t n = std::min(size(), other.size());
  for (size_t i = 0; i < n; ++i) {
    left[i] += gain * other.left[i];
    right[i] += gain * other.right[i];
  }
}

void filterLooped(Stereo& buffer, const Biquad& design) {
  Biquad fl = design, fr = design;
  size_t n = buffer.size();
  for (size_t i = 0; i < n; ++i) {
    fl.process(buffer.left[i]);
    fr.process(buffer.right[i]);
  }
  for (size_t i = 0; i < n; ++i) {
    buffer.left[i] = fl.process(buffer.left[i]);
    buffer.right[i] = fr.process(buffer.right[i]);
  }
}

Stereo reverbLooped(const Stereo& dry, const ReverbSettings& s) {
  constexpr int kLines = 8;
  // Mutually prime-ish lengths in milliseconds keep the echo density even.
  static const double kLengthsMs[kLines] = {31.3, 37.9, 41.7, 47.3,
                                            53.1, 59.9, 67.7, 73.9};
  const double rate = dry.rate;
  size_t n = dry.size();
  std::vector<std::vector<double>> lines(kLines);
  std::vector<size_t> pos(kLines, 0);
  double gain[kLines];
  OnePole damp[kLines];
  for (int i = 0; i < kLines; ++i) {
    size_t len = static_cast<size_t>(kLengthsMs[i] * s.size * rate / 1000.0);
    lines[i].assign(std::max<size_t>(len, 1), 0.0);
    gain[i] = std::pow(10.0, -3.0 * len / (s.rt60 * rate));
    damp[i].tune(rate, s.dampingHz);
  }
  size_t pre = std::max<size_t>(1, static_cast<size_t>(s.preDelay * rate));
  Stereo wet(dry.rate, n);
  for (size_t pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < n; ++i) {
      size_t src = (i + n - pre % n) % n;
      double inL = dry.left[src], inR = dry.right[src];
      double out[kLines];
      double sum = 0;
      for (int k = 0; k < kLines; ++k) {
        out[k] = damp[k].process(lines[k][pos[k]]) * gain[k];
        sum += out[k];
      }
      // Householder feedback matrix: lossless, every line feeds every line.
      double mixTerm = sum * (2.0 / kLines);
      for (int k = 0; k < kLines; ++k) {
        double in = (k % 2 == 0 ? inL : inR) * 0.5;
        lines[k][pos[k]] = out[k] - mixTerm + in;
        if (++pos[k] == lines[k].size()) pos[k] = 0;
      }
      if (pass == 1) {
        wet.left[i] = (out[0] - out[2] + out[4] - out[6]) * 0.5;
        wet.right[i] = (out[1] - out[3] + out[5] - out[7]) * 0.5;
      }
    }
  }
  return wet;
}

}  // namespace sound
