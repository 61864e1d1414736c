#include "voices.h"

namespace sound {

void addBubble(Stereo& out, double startSec, double radiusMm, double amp,
               double pan) {
  const double rate = out.rate;
  double f0 = 3.0 / (radiusMm / 1000.0);
  double damping = 0.043 * f0 + 0.0014 * std::pow(f0, 1.5);
  double length = 6.9 / damping;  // down by 60 dB
  size_t frames = static_cast<size_t>(length * rate);
  long long start = static_cast<long long>(startSec * rate);
  Placement pg = place(pan, out.rate);
  const double attack = 0.0004;
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    double t = i / rate;
    double hz = f0 * (1.0 + 0.075 * damping * t);
    phase += 2 * kPi * hz / rate;
    double env = std::exp(-damping * t) * smoothStep(t / attack);
    double v = amp * env * std::sin(phase);
    out.addPlaced(start + static_cast<long long>(i), v, pg);
  }
}

void addBurst(Stereo& out, Rng& rng, double startSec, const BurstShape& shape,
              double amp, double pan) {
  const double rate = out.rate;
  Biquad bp = Biquad::bandpass(rate, shape.centreHz, shape.q);
  double ringing = 3.0 * shape.q / shape.centreHz;  // filter tail
  size_t frames = static_cast<size_t>((shape.attack + shape.decay + ringing) * rate) + 2;
  long long start = static_cast<long long>(startSec * rate);
  Placement pg = place(pan, out.rate);
  const double decayRate = 6.9 / shape.decay;
  for (size_t i = 0; i < frames; ++i) {
    double t = i / rate;
    double env = t < shape.attack ? t / shape.attack
                                  : std::exp(-decayRate * (t - shape.attack));
    double x = env * rng.uniform(-1.0, 1.0);
    if (i == 0) x += shape.click;
    double v = amp * bp.process(x);
    out.addPlaced(start + static_cast<long long>(i), v, pg);
  }
}

void addChirp(Stereo& out, double startSec, const ChirpShape& shape,
              double amp, double pan) {
  const double rate = out.rate;
  Placement pg = place(pan, out.rate);
  double period = 1.0 / shape.pulseRate;
  double on = period * shape.dutyCycle;
  long long start = static_cast<long long>(startSec * rate);
  for (int p = 0; p < shape.pulses; ++p) {
    // Later pulses are louder, as in a real chirp.
    double pulseAmp = amp * (0.55 + 0.45 * (p + 1.0) / shape.pulses);
    long long offset = static_cast<long long>(p * period * rate);
    size_t frames = static_cast<size_t>(on * rate);
    double phase = 0;
    for (size_t i = 0; i < frames; ++i) {
      double x = static_cast<double>(i) / frames;
      double hz = shape.carrierHz * (1.0 + shape.glide * x);
      phase += 2 * kPi * hz / rate;
      double env = std::sin(kPi * x);
      env *= env;
      double v = pulseAmp * env * (std::sin(phase) + shape.octave * std::sin(2 * phase));
      out.addPlaced(start + offset + static_cast<long long>(i), v, pg);
    }
  }
}

}  // namespace sound
