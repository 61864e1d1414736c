// Fine spring rain: an even pink-noise bed, thousands of tiny drop ticks,
// hits on leaves, small puddle bubbles and a few slow drips, in a garden's
// short reverb. The rain eases slightly towards both ends of the loop.
#include "scenes.h"
#include "voices.h"

namespace sound {

namespace {

constexpr double kLullSeconds = 3.0;

struct DripSource {
  double pan;
  double meanGap;   // seconds between drops
  double baseHz;    // pitch of its drops
  double level;
};

}  // namespace

Stereo renderRain(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  // Intensity: a slow drift of about +-1.5 dB, easing by 4 dB near the seam.
  PeriodicWobble drift(rng, n, rate, 0.008, 0.04, 4);
  auto intensity = [&](size_t i) {
    double t = i / rate;
    return dbToGain(1.1 * drift.at(i)) * lullGain(t, length, kLullSeconds, 0.63);
  };

  // The bed: one shared and two independent pink noises, correlation ~0.3.
  // It reaches down to 100 Hz: rain on the ground has its weight there too.
  Stereo bed(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PinkFilter pc, pl, pr;
    Biquad hpL = Biquad::highpass(rate, 100, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 7000, 0.7), lpR = lpL;
    Biquad pkL = Biquad::peaking(rate, 4000, 0.7, 3.0), pkR = pkL;
    renderLooped(bed, [&](size_t i, double& l, double& r) {
      double c = pc.process(hashNoise(s0, i));
      double a = pl.process(hashNoise(s1, i));
      double b = pr.process(hashNoise(s2, i));
      double g = intensity(i);
      l = g * pkL.process(lpL.process(hpL.process(0.55 * c + 0.84 * a)));
      r = g * pkR.process(lpR.process(hpR.process(0.55 * c + 0.84 * b)));
    });
  }

  // Drop ticks: sub-millisecond clicks with heavy-tailed loudness, thinned
  // by the intensity so they follow the bed's drift.
  Stereo ticks(ctx.rate, n);
  {
    Rng tr = rng.fork();
    size_t count = static_cast<size_t>(900 * length);
    for (size_t k = 0; k < count; ++k) {
      size_t at = static_cast<size_t>(tr.uniform() * n);
      if (tr.uniform() > intensity(at) / 1.4) continue;
      double dur = tr.uniform(0.0003, 0.001);
      size_t frames = std::max<size_t>(4, static_cast<size_t>(dur * rate));
      double amp = 0.3 * tr.heavyTail(2.5, 8.0);
      PanGains pg = panGains(tr.uniform(-1.0, 1.0));
      for (size_t j = 0; j < frames; ++j) {
        double v = amp * hann((j + 0.5) / frames) * tr.uniform(-1.0, 1.0);
        ticks.addAt(at + j, v * pg.left, v * pg.right);
      }
    }
    filterLooped(ticks, Biquad::highpass(rate, 2000, 0.7));
    filterLooped(ticks, Biquad::lowpass(rate, 9000, 0.7));
  }

  // Hits on leaves: a few milliseconds of band-passed noise.
  Stereo leaves(ctx.rate, n);
  {
    Rng lr = rng.fork();
    size_t count = static_cast<size_t>(28 * length);
    for (size_t k = 0; k < count; ++k) {
      double t = lr.uniform(0, length);
      if (lr.uniform() > intensity(static_cast<size_t>(t * rate)) / 1.4) continue;
      BurstShape shape;
      shape.attack = 0.0003;
      shape.decay = lr.uniform(0.002, 0.005);
      shape.centreHz = std::exp(lr.uniform(std::log(1000.0), std::log(4000.0)));
      shape.q = lr.uniform(1.2, 3.0);
      addBurst(leaves, lr, t, shape, 2.8 * lr.heavyTail(2.5, 5.0), lr.uniform(-0.9, 0.9));
    }
  }

  // Puddle plinks: mostly small bubbles, sometimes a larger, lower one.
  Stereo plinks(ctx.rate, n);
  {
    Rng pr = rng.fork();
    size_t count = static_cast<size_t>(9 * length);
    for (size_t k = 0; k < count; ++k) {
      double t = pr.uniform(0, length);
      if (pr.uniform() > intensity(static_cast<size_t>(t * rate)) / 1.4) continue;
      double u = pr.uniform();
      double radius = 0.5 + 1.5 * u * u;
      double amp = 0.53 * std::pow(radius, 1.5) * pr.uniform(0.3, 1.0);
      addBubble(plinks, t, radius, amp, pr.uniform(-0.8, 0.8));
    }
  }

  // Slow drips from a few fixed places (a gutter, a branch, a leaf tip).
  Stereo drips(ctx.rate, n);
  {
    Rng dr = rng.fork();
    const DripSource sources[] = {
        {-0.55, 2.3, 820, 1.0}, {0.35, 3.4, 1150, 0.7}, {0.75, 1.7, 1400, 0.45}};
    for (const DripSource& src : sources) {
      double t = dr.uniform(0, src.meanGap);
      while (t < length) {
        if (seamDistance(t, length) > 1.8) {
          double hz = src.baseHz * dr.uniform(0.93, 1.07);
          addBubble(drips, t, 3000.0 / hz, 1.0 * src.level * dr.uniform(0.6, 1.0), src.pan);
        }
        t += src.meanGap * dr.uniform(0.7, 1.3);
      }
    }
  }

  Stereo events(ctx.rate, n);
  events.mix(leaves, 1.0);
  events.mix(plinks, 1.0);
  events.mix(drips, 1.0);
  ReverbSettings room;
  room.rt60 = 0.7;
  room.size = 0.8;
  room.dampingHz = 5000;
  Stereo wet = reverbLooped(events, room);

  LayerMix mix(ctx);
  mix.add("bed", bed, 0.0);
  mix.add("ticks", ticks, 0.0);
  mix.add("leaves", leaves, 0.0);
  // Bubbles and drips are accents: louder, their rings would stand out of
  // the even hiss as tones.
  mix.add("plinks", plinks, -6.0);
  mix.add("drips", drips, -8.0);
  mix.add("reverb", wet, -12.0);
  return mix.take();
}

}  // namespace sound
