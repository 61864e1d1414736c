// Rolling winter thunder: a dark, heavy rain with big splashing drops and
// gusts of wind, and rolls of thunder near and far, one after another, so
// that the storm rumbles most of the time. Each roll is a cloud of N-shaped
// pressure waves (a separate cloud per ear) under a swelling, decaying and
// grumbling envelope, a sub-bass rumble, for near strikes a sharp crack,
// then echoes off the land and a long, dark reverb.
#include "scenes.h"
#include "voices.h"

namespace sound {

namespace {

struct Roll {
  double start;     // seconds into the track
  double distance;  // 0 overhead .. 1 far away
  double pan;
};

// Loudness envelope of one roll: a quick rise, an exponential decay and a
// few later swells where further parts of the channel are heard.
struct RollEnvelope {
  double rise, decay, duration;
  struct Swell { double at, width, height; };
  std::vector<Swell> swells;
  // The roll's grumble: the sound arrives from one stretch of the channel
  // after another, so the roll beats in bursts of a fraction of a second.
  std::vector<Swell> bursts;

  double at(double t) const {
    if (t < 0 || t > duration) return 0;
    double v = std::exp(-t / decay);
    for (const Swell& s : swells) {
      double x = (t - s.at) / s.width;
      v += s.height * std::exp(-x * x);
    }
    double beat = 0.1;
    for (const Swell& s : bursts) {
      double x = (t - s.at) / s.width;
      if (std::abs(x) < 4) beat += s.height * std::exp(-x * x);
    }
    v *= beat;
    double fadeOut = smoothStep((duration - t) / (0.25 * duration));
    return v * smoothStep(t / rise) * fadeOut;
  }
};

void renderRoll(Stereo& bus, Rng& r, const Roll& roll) {
  const double rate = bus.rate;
  const double d = roll.distance;
  RollEnvelope env;
  env.rise = r.uniform(0.1, 0.5) * (1 + d);
  env.duration = r.uniform(5.0, 8.0) + 7.0 * d;
  env.decay = env.duration * r.uniform(0.22, 0.32);
  int swells = r.integer(1, 3);
  for (int k = 0; k < swells; ++k) {
    env.swells.push_back({r.uniform(0.15, 0.6) * env.duration,
                          r.uniform(0.4, 1.2) + d, r.uniform(0.35, 0.9)});
  }
  for (double t = r.exponential(1.0 / 3.0); t < env.duration; t += r.exponential(1.0 / 3.0)) {
    env.bursts.push_back({t, r.uniform(0.06, 0.3) * (1 + d), r.heavyTail(2.0, 4.0)});
  }
  double peak = 0;
  for (double t = 0; t < env.duration; t += 0.01) peak = std::max(peak, env.at(t));

  const double tail = 4.0;  // room for echoes
  size_t frames = static_cast<size_t>((env.duration + tail) * rate);
  Stereo local(bus.rate, frames);

  // Damped N-waves: a positive then a negative parabolic lobe. Far rolls
  // have fewer, longer, smoother waves. A few hundred per roll keep each
  // wave a thud of its own rather than a smooth roar.
  int waves = static_cast<int>(500.0 * (1.0 - 0.75 * d));
  double lobeMin = 0.002 + 0.012 * d, lobeMax = 0.008 + 0.022 * d;
  for (int ch = 0; ch < 2; ++ch) {
    std::vector<double>& out = ch == 0 ? local.left : local.right;
    int placed = 0;
    while (placed < waves) {
      double t = r.uniform(0, env.duration);
      double e = env.at(t) / peak;
      if (r.uniform() > e) continue;
      ++placed;
      double lobe = r.uniform(lobeMin, lobeMax);
      double amp = std::sqrt(e) * r.heavyTail(2.2, 5.0) * (r.chance(0.5) ? 1 : -1);
      size_t start = static_cast<size_t>(t * rate);
      size_t len = static_cast<size_t>(lobe * rate);
      for (size_t i = 0; i < 2 * len && start + i < frames; ++i) {
        double x = static_cast<double>(i % len) / len;
        double v = 4 * x * (1 - x) * (i < len ? 1.0 : -1.0);
        out[start + i] += 0.1 * amp * v;
      }
    }
  }

  // Each ear's cloud leaks a little into the other: at these wavelengths the
  // two ears hear much the same pressure.
  for (size_t i = 0; i < frames; ++i) {
    double l = local.left[i], r2 = local.right[i];
    local.left[i] = l + 0.4 * r2;
    local.right[i] = r2 + 0.4 * l;
  }

  // Distance darkens the roll, and each roll darkens as it goes on.
  double cutoff = std::exp(std::log(3000.0) + d * (std::log(600.0) - std::log(3000.0)));
  {
    Svf fl, fr;
    Biquad hpL = Biquad::highpass(rate, 35, 0.7), hpR = hpL;
    for (size_t i = 0; i < frames; ++i) {
      if (i % 32 == 0) {
        double t = i / rate;
        double hz = cutoff * (0.3 + 0.7 * std::exp(-t / 2.0));
        fl.tune(rate, hz, 0.6);
        fr.tune(rate, hz, 0.6);
      }
      fl.process(local.left[i]);
      fr.process(local.right[i]);
      local.left[i] = hpL.process(fl.lp);
      local.right[i] = hpR.process(fr.lp);
    }
  }

  // Sub-bass rumble under the same envelope.
  {
    OnePole leakL, leakR;
    leakL.a = leakR.a = 0.002;
    Biquad lpL = Biquad::lowpass(rate, 60, 0.7), lpR = lpL;
    Biquad hpL = Biquad::highpass(rate, 20, 0.7), hpR = hpL;
    double level = 1.0 * (1.0 - 0.4 * d);
    for (size_t i = 0; i < frames; ++i) {
      double e = env.at(i / rate) / peak;
      // Long waves reach both ears alike: mostly one shared noise.
      double shared = r.uniform(-1.0, 1.0);
      double a = lpL.process(hpL.process(leakL.process(0.9 * shared + 0.44 * r.uniform(-1.0, 1.0))));
      double b = lpR.process(hpR.process(leakR.process(0.9 * shared + 0.44 * r.uniform(-1.0, 1.0))));
      local.left[i] += level * e * a;
      local.right[i] += level * e * b;
    }
  }

  // A close strike opens with a crack: clipped noise in the 1-3 kHz band.
  if (d < 0.3) {
    Biquad bpL = Biquad::bandpass(rate, r.uniform(1200, 2500), 0.9), bpR = bpL;
    double len = r.uniform(0.03, 0.1);
    size_t count = static_cast<size_t>((len + 0.05) * rate);
    double at = env.rise * 0.5;
    size_t start = static_cast<size_t>(at * rate);
    for (size_t i = 0; i < count && start + i < frames; ++i) {
      double t = i / rate;
      double e = std::exp(-t / (len * 0.4)) * smoothStep(t / 0.002);
      double a = std::tanh(6.0 * r.uniform(-1.0, 1.0)) * e;
      double b = std::tanh(6.0 * r.uniform(-1.0, 1.0)) * e;
      local.left[start + i] += 0.5 * bpL.process(a);
      local.right[start + i] += 0.5 * bpR.process(b);
    }
  }

  // Echoes from hills and buildings: later, quieter, darker, alternating sides.
  {
    Stereo dry = local;
    int taps = r.integer(4, 8);
    for (int k = 0; k < taps; ++k) {
      double delay = r.uniform(0.08, 0.8) * (1 + 0.6 * k) / 2.0 + 0.08;
      double gain = dbToGain(-4.0 - 2.5 * k - r.uniform(0, 2));
      OnePole darkL, darkR;
      darkL.tune(rate, 2500.0 / (1 + k));
      darkR.tune(rate, 2500.0 / (1 + k));
      size_t offset = static_cast<size_t>(delay * rate);
      bool swap = k % 2 == 1;
      for (size_t i = 0; i + offset < frames; ++i) {
        double a = darkL.process(swap ? dry.right[i] : dry.left[i]);
        double b = darkR.process(swap ? dry.left[i] : dry.right[i]);
        local.left[i + offset] += gain * a;
        local.right[i + offset] += gain * b;
      }
    }
  }

  PanGains pg = panGains(roll.pan);
  double level = dbToGain(-13.0 * d);
  long long start = static_cast<long long>(roll.start * rate);
  // Pan by balance, keeping both ears' own waves.
  double gl = level * pg.left * std::sqrt(2.0), gr = level * pg.right * std::sqrt(2.0);
  for (size_t i = 0; i < frames; ++i) {
    bus.addAt(start + static_cast<long long>(i), gl * local.left[i], gr * local.right[i]);
  }
}

}  // namespace

Stereo renderThunder(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  // Gusts: a slow envelope that also swells the rain a little.
  std::vector<double> gust(n);
  {
    PeriodicWobble wobble(rng, n, rate, 0.05, 0.2, 6);
    PeriodicWobble slow(rng, n, rate, 0.01, 0.03, 3);
    for (size_t i = 0; i < n; ++i) {
      double w = 0.8 * wobble.at(i) + 0.6 * slow.at(i) - 0.3;
      gust[i] = 0.5 * (1 + std::tanh(1.5 * w)) * lullGain(i / rate, length, 4.0, 0.3);
    }
  }
  auto rainGain = [&](size_t i) {
    return (0.8 + 0.35 * gust[i]) * lullGain(i / rate, length, 3.0, 0.6);
  };

  // Heavy rain bed: pink noise for the spray, brown noise for the weight of
  // water on the ground; darker than spring rain. A downpour this heavy
  // drums on the ground and the roofs down to 50 Hz, so the bass stays full
  // between the rolls and a roll swells out of that roar, not out of
  // silence.
  Stereo bed(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PinkFilter pc, pl, pr;
    OnePole bc, bl, brn;
    bc.a = bl.a = brn.a = 0.004;
    Biquad hpL = Biquad::highpass(rate, 50, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 2500, 0.6), lpR = lpL;
    Biquad lp2L = lpL, lp2R = lpL;
    Biquad shL = Biquad::highShelf(rate, 1500, -8.0), shR = shL;
    renderLooped(bed, [&](size_t i, double& l, double& r) {
      double w0 = hashNoise(s0, i), w1 = hashNoise(s1, i), w2 = hashNoise(s2, i);
      double c = pc.process(w0) + 12.0 * bc.process(w0);
      double a = pl.process(w1) + 12.0 * bl.process(w1);
      double b = pr.process(w2) + 12.0 * brn.process(w2);
      double g = rainGain(i);
      l = g * shL.process(lp2L.process(lpL.process(hpL.process(0.6 * c + 0.8 * a))));
      r = g * shR.process(lp2R.process(lpR.process(hpR.process(0.6 * c + 0.8 * b))));
    });
  }

  // Thousands of drop ticks a second, dark and dense.
  Stereo ticks(ctx.rate, n);
  {
    Rng tr = rng.fork();
    size_t count = static_cast<size_t>(3200 * length);
    for (size_t k = 0; k < count; ++k) {
      size_t at = static_cast<size_t>(tr.uniform() * n);
      if (tr.uniform() > rainGain(at) / 1.2) continue;
      size_t frames = static_cast<size_t>(tr.uniform(0.0005, 0.0015) * rate);
      double amp = 0.1 * tr.heavyTail(2.4, 15.0);
      PanGains pg = panGains(tr.uniform(-1.0, 1.0));
      for (size_t j = 0; j < frames; ++j) {
        double v = amp * hann((j + 0.5) / frames) * tr.uniform(-1.0, 1.0);
        ticks.addAt(at + j, v * pg.left, v * pg.right);
      }
    }
    filterLooped(ticks, Biquad::highpass(rate, 500, 0.7));
    filterLooped(ticks, Biquad::lowpass(rate, 3000, 0.7));
    filterLooped(ticks, Biquad::lowpass(rate, 6000, 0.7));
  }

  // Splashes: big drops off the eaves and branches close by landing in
  // puddles and on soaked ground. Water takes the edge off the impact: each
  // is a dull thud at 100 to 900 Hz that swells in over a few milliseconds,
  // with only a faint, short tick of spray at 2.5 to 5.5 kHz on top, so the
  // drops stand out of the hiss as weight rather than as bright clicks, and
  // nothing of them reaches above 9 kHz.
  Stereo splashes(ctx.rate, n);
  {
    Rng pr = rng.fork();
    for (double t = pr.exponential(1.0 / 3.0); t < length; t += pr.exponential(1.0 / 3.0)) {
      BurstShape thud;
      thud.attack = pr.uniform(0.002, 0.005);
      thud.decay = pr.uniform(0.03, 0.09);
      thud.centreHz = std::exp(pr.uniform(std::log(100.0), std::log(900.0)));
      thud.q = pr.uniform(0.6, 1.2);
      double level = pr.heavyTail(2.0, 8.0) * lullGain(t, length, 3.0, 0.3);
      double pan = pr.uniform(-0.8, 0.8);
      addBurst(splashes, pr, t, thud, level, pan);
      BurstShape spray;
      spray.attack = 0.001;
      spray.decay = pr.uniform(0.01, 0.04);
      spray.centreHz = std::exp(pr.uniform(std::log(2500.0), std::log(5500.0)));
      spray.q = 0.8;
      addBurst(splashes, pr, t + thud.attack, spray, 0.5 * level, pan);
    }
    filterLooped(splashes, Biquad::lowpass(rate, 9000, 0.7));
  }

  // Wind: band-passed noise whose centre wanders between 300 and 800 Hz.
  Stereo wind(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next();
    PeriodicWobble centre(rng, n, rate, 0.02, 0.08, 3);
    Svf fl, fr;
    renderLooped(wind, [&](size_t i, double& l, double& r) {
      if (i % 32 == 0) {
        double hz = 500 * std::exp(0.35 * centre.at(i));
        fl.tune(rate, hz, 2.0);
        fr.tune(rate, hz * 1.07, 2.0);
      }
      fl.process(hashNoise(s0, i));
      fr.process(hashNoise(s1, i));
      double g = gust[i] * gust[i];
      l = g * fl.bp;
      r = g * fr.bp;
    });
  }

  // The storm's plan: a roll every 7 to 16 seconds, so that one is still
  // dying away when the next begins; none near the seam, so the loop begins
  // and ends in plain rain.
  Stereo thunder(ctx.rate, n);
  {
    Rng sr = rng.fork();
    const double distances[] = {0.55, 0.15, 0.85, 0.4, 0.05, 0.7, 0.3, 0.95, 0.5};
    double t = sr.uniform(8, 12);
    int k = 0;
    while (t < length - 28.0) {
      Roll roll{t, distances[k % 9], sr.uniform(-0.6, 0.6)};
      renderRoll(thunder, sr, roll);
      t += sr.uniform(7, 16);
      ++k;
    }
  }
  ReverbSettings sky;
  sky.rt60 = 3.0;
  sky.size = 2.5;
  sky.dampingHz = 1500;
  sky.preDelay = 0.04;
  Stereo thunderWet = reverbLooped(thunder, sky);

  // The wind drives the rain in sheets: rain, drops and wind swell and ease
  // together once or twice a second, by about 4 dB either way, so the storm
  // surges rather than hissing evenly between the rolls. The near drop
  // ticks follow the sheets most, by about 8 dB, as each gust throws a
  // burst of them at the surfaces close by. Like the gusts, the sheets
  // settle near the seam, so the loop ends and begins in the same even
  // rain.
  {
    std::vector<double> sheets = loopedSlowNoise(n, rate, 2.0, rng.next());
    for (Stereo* layer : {&bed, &ticks, &wind}) {
      double depth = layer == &ticks ? 0.9 : 0.5;
      for (size_t i = 0; i < n; ++i) {
        double g = std::exp(depth * lullGain(i / rate, length, 4.0, 0.2) * sheets[i]);
        layer->left[i] *= g;
        layer->right[i] *= g;
      }
    }
  }

  // Far spray: the rain on the whole landscape around, too many and too far
  // drops to be told apart, is a steady, faint hiss at 4 to 10 kHz under
  // the near rain.
  Stereo spray(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next();
    Biquad hpL = Biquad::highpass(rate, 4000, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 10000, 0.7), lpR = lpL;
    renderLooped(spray, [&](size_t i, double& l, double& r) {
      l = lpL.process(hpL.process(hashNoise(s0, i)));
      r = lpR.process(hpR.process(hashNoise(s1, i)));
    });
  }

  LayerMix mix(ctx);
  mix.add("rain bed", bed, -6.0);
  mix.add("ticks", ticks, -20.0);
  mix.add("splashes", splashes, -10.0);
  mix.add("wind", wind, -20.0);
  mix.add("far spray", spray, -46.0);
  mix.add("thunder", thunder, 9.0);
  // The sky's reverb sits well under the dry rolls: louder, it would smooth
  // their grumble into a steady roar.
  mix.add("thunder rev", thunderWet, -1.0);
  // The whole storm is heard through rain-soaked air that swallows the
  // highs: everything above 1.5 kHz sits 6 dB lower, so the rain's hiss
  // and the splashes stay under the weight of the water and the rumble.
  Stereo out = mix.take();
  filterLooped(out, Biquad::highShelf(rate, 1500, -6.0));
  return out;
}

}  // namespace sound
