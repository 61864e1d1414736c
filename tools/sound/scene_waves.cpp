// Waves on the shore: a distant surf bed, and one wave every 8 to 14
// seconds that builds, breaks, washes up the beach fizzing with foam and
// drains back. Waves move across the field, alternating sides. The loop's
// seam lies in the drain of the last wave, before the first one builds.
#include "scenes.h"
#include "voices.h"

namespace sound {

namespace {

struct Wave {
  double start;
  double size;   // 0.5 .. 1
  double build, attack, wash, drain;
  double breakHz, washEndHz;
  double panFrom, panTo;
};

// Gain and low-pass cutoff of a wave's water noise at time t into it.
struct WaveShape { double gain, cutoff, foam; };

WaveShape shapeAt(const Wave& w, double t) {
  double tBreak = w.build, tWash = w.build + w.attack;
  double tDrain = tWash + w.wash, tEnd = tDrain + w.drain;
  WaveShape s{0, 200, 0};
  if (t < 0 || t > tEnd) return s;
  if (t < tBreak) {
    double x = t / w.build;
    s.gain = 0.3 * x * x;
    s.cutoff = 200 + 400 * x;
  } else if (t < tWash) {
    double x = smoothStep((t - tBreak) / w.attack);
    s.gain = 0.3 + 0.7 * x;
    s.cutoff = 600 + (w.breakHz - 600) * x;
    s.foam = x;
  } else if (t < tDrain) {
    double x = (t - tWash) / w.wash;
    s.gain = 0.16 + 0.84 * std::exp(-2.6 * x);
    s.cutoff = w.washEndHz * std::pow(w.breakHz / w.washEndHz, std::pow(1 - x, 2));
    s.foam = std::exp(-1.5 * x);
  } else {
    double x = (t - tDrain) / w.drain;
    s.gain = 0.16 * (1 - smoothStep(x));
    s.cutoff = w.washEndHz * (1 - 0.4 * x);
    s.foam = 0.22 * (1 - x);
  }
  return s;
}

void renderWave(Stereo& water, Stereo& foam, Stereo& slaps, Rng& r, const Wave& w) {
  const double rate = water.rate;
  double duration = w.build + w.attack + w.wash + w.drain;
  size_t frames = static_cast<size_t>((duration + 0.3) * rate);
  long long start = static_cast<long long>(w.start * rate);

  // The water: pink plus a little brown noise, one shared and two own
  // streams, from 150 Hz up: a wave on a beach hisses more than it booms.
  PinkFilter pc, pl, pr;
  OnePole bc, bl, br;
  bc.a = bl.a = br.a = 0.01;
  Svf fl, fr;
  Biquad hpL = Biquad::highpass(rate, 150, 0.7), hpR = hpL;
  WaveShape s{};
  for (size_t i = 0; i < frames; ++i) {
    double t = i / rate;
    if (i % 32 == 0) {
      s = shapeAt(w, t);
      fl.tune(rate, s.cutoff, 0.7);
      fr.tune(rate, s.cutoff * 1.05, 0.7);
    }
    double w0 = r.uniform(-1.0, 1.0), w1 = r.uniform(-1.0, 1.0), w2 = r.uniform(-1.0, 1.0);
    double c = pc.process(w0) + bc.process(w0);
    double a = pl.process(w1) + bl.process(w1);
    double b = pr.process(w2) + br.process(w2);
    fl.process(0.6 * c + 0.8 * a);
    fr.process(0.6 * c + 0.8 * b);
    double x = t / duration;
    PanGains pg = panGains(w.panFrom + (w.panTo - w.panFrom) * x);
    double g = w.size * s.gain * std::sqrt(2.0);
    water.addAt(start + static_cast<long long>(i), g * pg.left * hpL.process(fl.lp),
                g * pg.right * hpR.process(fr.lp));
  }

  // Slaps: water thudding on sand and on itself as the broken wave tumbles
  // in, short low-mid knocks that come thickest while the foam is fresh.
  for (double t = w.build;;) {
    t += r.exponential(1.0 / (0.5 + 8.0 * shapeAt(w, t).foam));
    if (t >= duration) break;
    double fresh = shapeAt(w, t).foam;
    BurstShape slap;
    slap.attack = 0.002;
    slap.decay = r.uniform(0.02, 0.08);
    slap.centreHz = std::exp(r.uniform(std::log(200.0), std::log(700.0)));
    slap.q = r.uniform(0.8, 2.0);
    double pan = w.panFrom + (w.panTo - w.panFrom) * (t / duration) + r.uniform(-0.4, 0.4);
    addBurst(slaps, r, w.start + t, slap, 3.0 * w.size * (0.2 + fresh) * r.heavyTail(2.5, 6.0),
             std::clamp(pan, -1.0, 1.0));
  }

  // Foam: a dense hail of tiny bursts and bubbles, thinning as it runs out.
  double t = w.build;
  while (t < duration) {
    WaveShape fs = shapeAt(w, t);
    double density = 40 + 1400 * fs.foam;
    t += r.exponential(1.0 / density);
    double pan = w.panFrom + (w.panTo - w.panFrom) * (t / duration) + r.uniform(-0.5, 0.5);
    double level = w.size * (0.15 + 0.85 * fs.foam);
    if (r.chance(0.8)) {
      BurstShape grain;
      grain.attack = 0.0001;
      grain.decay = r.uniform(0.0005, 0.003);
      grain.centreHz = r.uniform(2000, 6000);
      grain.q = r.uniform(0.7, 1.5);
      addBurst(foam, r, w.start + t, grain, 0.12 * level * r.heavyTail(2.5, 6.0), pan);
    } else {
      addBubble(foam, w.start + t, r.uniform(0.35, 1.2), 0.02 * level, pan);
    }
  }
}

}  // namespace

Stereo renderWaves(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  // Wave periods drawn from 8 to 14 s, then scaled to fill the loop exactly.
  const double firstBuild = 1.0;
  std::vector<double> periods;
  double total = 0;
  while (total < length - 11.0) {
    periods.push_back(rng.uniform(8.5, 13.5));
    total += periods.back();
  }
  for (double& p : periods) p *= length / total;

  Stereo water(ctx.rate, n), foam(ctx.rate, n), slaps(ctx.rate, n);
  double t = firstBuild;
  for (size_t k = 0; k < periods.size(); ++k) {
    Wave w;
    w.start = t;
    w.size = rng.uniform(0.55, 1.0);
    double p = periods[k];
    // The stages fill the period, with the drain running into the next build.
    w.build = rng.uniform(1.2, 2.8);
    w.attack = rng.uniform(0.35, 0.9);
    w.drain = rng.uniform(1.2, 2.0);
    w.wash = std::clamp(p - w.build - w.attack - w.drain + 1.0, 3.0, 6.5);
    w.breakHz = rng.uniform(3000, 6000);
    w.washEndHz = rng.uniform(350, 750);
    double side = k % 2 == 0 ? -1 : 1;
    w.panFrom = side * rng.uniform(0.3, 0.7);
    w.panTo = -side * rng.uniform(0.0, 0.3);
    Rng wr = rng.fork();
    renderWave(water, foam, slaps, wr, w);
    t += p;
  }

  // Distant surf: low-passed noise whose cutoff, resonance and level move
  // on slow cycles that fit the loop a whole number of times.
  Stereo surf(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PeriodicWobble cut(rng, n, rate, 0.08, 0.11, 2);
    PeriodicWobble res(rng, n, rate, 0.08, 0.11, 2);
    PeriodicWobble lev(rng, n, rate, 0.08, 0.11, 2);
    PinkFilter pc, pl, pr;
    Svf fl, fr;
    renderLooped(surf, [&](size_t i, double& l, double& r) {
      if (i % 32 == 0) {
        double hz = 520 * std::exp(0.3 * cut.at(i));
        double q = 0.9 + 0.25 * res.at(i);
        fl.tune(rate, hz, q);
        fr.tune(rate, hz * 1.1, q);
      }
      double c = pc.process(hashNoise(s0, i));
      fl.process(0.55 * c + 0.84 * pl.process(hashNoise(s1, i)));
      fr.process(0.55 * c + 0.84 * pr.process(hashNoise(s2, i)));
      double g = dbToGain(2.0 * lev.at(i)) * lullGain(i / rate, length, 2.5, 0.5);
      l = g * fl.lp;
      r = g * fr.lp;
    });
  }

  // Breakers along the whole shore: the steady bright roar of surf near and
  // far, from 500 Hz up, swelling and easing over a couple of seconds. It
  // keeps the upper bands filled between the near waves' breaks.
  Stereo breakers(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    std::vector<double> swell = loopedSlowNoise(n, rate, 0.5, rng.next());
    PinkFilter pc, pl, pr;
    Biquad hpL = Biquad::highpass(rate, 500, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 10000, 0.7), lpR = lpL;
    renderLooped(breakers, [&](size_t i, double& l, double& r) {
      double w0 = hashNoise(s0, i), w1 = hashNoise(s1, i), w2 = hashNoise(s2, i);
      double c = pc.process(w0) + 0.5 * w0;
      double a = pl.process(w1) + 0.5 * w1;
      double b = pr.process(w2) + 0.5 * w2;
      double g = std::exp(0.4 * swell[i]) * lullGain(i / rate, length, 2.5, 0.5);
      l = g * lpL.process(hpL.process(0.55 * c + 0.84 * a));
      r = g * lpR.process(hpR.process(0.55 * c + 0.84 * b));
    });
  }

  Stereo wetIn(ctx.rate, n);
  wetIn.mix(water, 1.0);
  wetIn.mix(foam, 1.0);
  wetIn.mix(slaps, 1.0);
  ReverbSettings shore;
  shore.rt60 = 1.0;
  shore.size = 1.6;
  shore.dampingHz = 3500;
  Stereo wet = reverbLooped(wetIn, shore);

  LayerMix mix(ctx);
  mix.add("water", water, 0.0);
  mix.add("foam", foam, 4.0);
  mix.add("slaps", slaps, 0.0);
  mix.add("surf", surf, -14.0);
  mix.add("reverb", wet, -14.0);
  mix.add("breakers", breakers, -24.0);
  return mix.take();
}

}  // namespace sound
