// Signal-processing toolkit shared by the scene renderers: random numbers,
// filters, noise colours, panning, a feedback-delay reverb and the stereo
// buffer that every scene renders into.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

constexpr double kPi = 3.14159265358979323846;

// Seeded xorshift64* generator for everything that is drawn once per event
// (times, pitches, pans). Same seed, same track.
class Rng {
 public:
  explicit Rng(uint64_t seed);
  uint64_t next();
  double uniform();                     // [0, 1)
  double uniform(double lo, double hi);  // [lo, hi)
  int integer(int lo, int hi);          // lo..hi inclusive
  bool chance(double p);
  double normal();
  double exponential(double mean);
  // Pareto-distributed value >= 1 with tail index alpha, capped so that a
  // single freak draw cannot dominate a scene.
  double heavyTail(double alpha, double cap);
  // A fresh generator whose sequence does not overlap this one's in practice.
  Rng fork();

 private:
  uint64_t state_;
};

// Stateless white noise in [-1, 1): the value depends only on (seed, index).
// Beds index it modulo the track length, so their input repeats exactly once
// per period and the rendered bed joins its own start without a seam.
double hashNoise(uint64_t seed, uint64_t index);

// RBJ biquad in transposed direct form II.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double z1 = 0, z2 = 0;

  static Biquad lowpass(double rate, double hz, double q);
  static Biquad highpass(double rate, double hz, double q);
  static Biquad bandpass(double rate, double hz, double q);  // 0 dB at centre
  static Biquad peaking(double rate, double hz, double q, double db);
  static Biquad lowShelf(double rate, double hz, double db);
  static Biquad highShelf(double rate, double hz, double db);

  // Replaces the coefficients and keeps the state (for slow sweeps).
  void retune(const Biquad& other) {
    b0 = other.b0; b1 = other.b1; b2 = other.b2; a1 = other.a1; a2 = other.a2;
  }
  double process(double x) {
    double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

// Topology-preserving state-variable filter: stays well behaved when its
// cutoff moves every sample, which the wave and thunder sweeps need.
struct Svf {
  double g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0;
  double ic1 = 0, ic2 = 0;
  double lp = 0, bp = 0, hp = 0;

  void tune(double rate, double hz, double q);
  void process(double x) {
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    lp = v2;
    bp = v1;
    hp = x - k * v1 - v2;
  }
};

// One-pole low-pass; also used as the leaky integrator of brown noise.
struct OnePole {
  double a = 1, y = 0;
  void tune(double rate, double hz) { a = 1 - std::exp(-2 * kPi * hz / rate); }
  double process(double x) { y += a * (x - y); return y; }
};

// Pink (-3 dB per octave) colouring of white noise, Kellet's refined filter.
struct PinkFilter {
  double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
  double process(double white);
};

// Constant-power pan gains for pan in [-1, 1] (left to right).
struct PanGains { double left, right; };
PanGains panGains(double pan);

// Where a point source sits: constant-power gains plus the small delay of
// the farther ear (up to 0.1 ms). Without the delay a panned source would
// be a scaled copy in both channels, and a chorus of them would sound as
// narrow as mono.
struct Placement {
  double left, right;
  long long leftDelay, rightDelay;  // samples
};
Placement place(double pan, int rate);

// A slow modulator that is a sum of sines with whole numbers of cycles per
// track, so its value at the last sample runs into its value at the first.
class PeriodicWobble {
 public:
  PeriodicWobble() = default;
  // count components between minHz and maxHz; the sum has unit RMS.
  PeriodicWobble(Rng& rng, size_t period, double rate, double minHz,
                 double maxHz, int count);
  double at(size_t index) const;

 private:
  struct Part { double omega, phase, amp; };
  std::vector<Part> parts_;
};

// Band-limited random modulator on a loop: white noise through two one-pole
// low-passes at `hz`, settled over two periods and scaled to unit RMS.
std::vector<double> loopedSlowNoise(size_t period, double rate, double hz,
                                    uint64_t seed);

// Stereo track buffer in double precision. Events are added on a circle:
// a tail that runs past the end continues at the start.
struct Stereo {
  int rate = 44100;
  std::vector<double> left, right;

  Stereo() = default;
  Stereo(int sampleRate, size_t frames)
      : rate(sampleRate), left(frames, 0.0), right(frames, 0.0) {}
  size_t size() const { return left.size(); }
  size_t wrap(long long index) const {
    long long n = static_cast<long long>(left.size());
    long long m = index % n;
    return static_cast<size_t>(m < 0 ? m + n : m);
  }
  void addAt(long long index, double l, double r) {
    size_t i = wrap(index);
    left[i] += l;
    right[i] += r;
  }
  void mix(const Stereo& other, double gain);
  // Adds a mono sample at a place in the field (see Placement).
  void addPlaced(long long index, double v, const struct Placement& p);
  size_t frames(double seconds) const {
    return static_cast<size_t>(std::llround(seconds * rate));
  }
};

// Runs a stateful per-sample process over two periods of a looping input and
// keeps the second, so recursive filters enter the track already settled on
// the values they have at its end. step(index, left, right) receives the
// index within the period and writes one output frame.
template <class Step>
void renderLooped(Stereo& out, Step step) {
  size_t n = out.size();
  for (size_t pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < n; ++i) {
      double l = 0, r = 0;
      step(i, l, r);
      if (pass == 1) {
        out.left[i] += l;
        out.right[i] += r;
      }
    }
  }
}

// Filters a looping buffer in place through a stereo pair of biquads, with
// the same two-period settling.
void filterLooped(Stereo& buffer, const Biquad& design);

struct ReverbSettings {
  double rt60 = 0.6;       // seconds
  double size = 1.0;       // scales the delay lengths
  double dampingHz = 6000; // one-pole low-pass inside the loop
  double preDelay = 0.01;  // seconds
};

// Eight-line feedback-delay-network reverb applied to a looping buffer,
// rendered over two periods so the tail of the end rings into the start.
// Returns the wet signal only.
Stereo reverbLooped(const Stereo& dry, const ReverbSettings& settings);

// Raised-cosine window value for phase x in [0, 1].
inline double hann(double x) { return 0.5 - 0.5 * std::cos(2 * kPi * x); }

// Smooth 0->1 step for x in [0, 1].
inline double smoothStep(double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  return 0.5 - 0.5 * std::cos(kPi * x);
}

inline double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

}  // namespace sound
