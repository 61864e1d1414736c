// Summer-night insects: a chorus of field crickets chirping, tree crickets
// trilling and two groups of katydids answering each other, near and far,
// over the night air. Near singers pause briefly at the loop's seam.
#include "scenes.h"
#include "voices.h"

namespace sound {

namespace {

constexpr double kNearPause = 0.9;  // seconds of quiet at each end

// Chirp period rounded so that a whole number of chirps fills the loop.
double loopPeriod(double length, double period) {
  return length / std::max(1.0, std::round(length / period));
}

// A tree cricket's trill: a long run of identical tone pulses, in bouts.
void addTrill(Stereo& out, Rng& r, double from, double to, double carrierHz,
              double pulseRate, double amp, double pan) {
  const double rate = out.rate;
  Placement pg = place(pan, out.rate);
  double period = 1.0 / pulseRate;
  size_t on = static_cast<size_t>(0.5 * period * rate);
  for (double t = from; t < to; t += period) {
    double swell = smoothStep((t - from) / 0.4) * smoothStep((to - t) / 0.3);
    double a = amp * swell * r.uniform(0.85, 1.0);
    long long start = static_cast<long long>(t * rate);
    double phase = r.uniform(0, 2 * kPi);
    for (size_t i = 0; i < on; ++i) {
      double x = static_cast<double>(i) / on;
      phase += 2 * kPi * carrierHz * (1.0 - 0.015 * x) / rate;
      double env = std::sin(kPi * x);
      double v = a * env * env * (std::sin(phase) + 0.15 * std::sin(2 * phase));
      out.addPlaced(start + static_cast<long long>(i), v, pg);
    }
  }
}

// One katydid call: two or three rasping syllables, each a rapid run of
// tooth clicks ringing in the 4-8 kHz band.
void addKatydidCall(Stereo& out, Rng& r, double at, double toothRate,
                    double centreHz, double amp, double pan) {
  int syllables = r.integer(2, 3);
  double t = at;
  for (int s = 0; s < syllables; ++s) {
    double len = r.uniform(0.05, 0.15);
    double clickT = 0;
    while (clickT < len) {
      double x = clickT / len;
      BurstShape tooth;
      tooth.attack = 0.00005;
      tooth.decay = 0.0015;
      tooth.centreHz = centreHz * r.uniform(0.9, 1.1);
      tooth.q = 3.0;
      tooth.click = 0.15;
      double swell = std::sin(kPi * (0.1 + 0.8 * x));
      addBurst(out, r, t + clickT, tooth, amp * swell * r.uniform(0.7, 1.0), pan);
      clickT += 1.0 / (toothRate * (0.8 + 0.4 * x));
    }
    t += len + r.uniform(0.08, 0.14);
  }
}

}  // namespace

Stereo renderInsects(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  Stereo nearBus(ctx.rate, n), farBus(ctx.rate, n);

  // Field crickets: chirps of four to six pulses every 0.7 s on a carrier
  // near 4.3 kHz, each singer a little different in pitch, pulse rate and
  // period. Every chirp opens with a faint tick that rings around the
  // carrier, the first strike of the file on the scraper, so a chirp's
  // onset spreads over 3.5 to 5.5 kHz while its pulses stay a clean tone.
  struct Singer { double pan, gainDb; bool far; };
  const Singer crickets[] = {
      {-0.45, 0, false}, {0.3, -2, false}, {0.7, -4, false}, {-0.8, -6, false},
      {0.05, -15, true}, {-0.3, -16, true}, {0.55, -15, true}, {0.85, -18, true},
      {-0.65, -17, true}};
  for (const Singer& c : crickets) {
    Rng cr = rng.fork();
    ChirpShape shape;
    shape.carrierHz = 4300 * cr.uniform(0.97, 1.03);
    shape.pulseRate = 50.0 * cr.uniform(0.95, 1.05);
    shape.pulses = cr.integer(4, 6);
    shape.octave = c.far ? 0.08 : 0.07;
    double period = loopPeriod(length, 0.7 * cr.uniform(0.95, 1.05));
    double amp = dbToGain(c.gainDb);
    Stereo& bus = c.far ? farBus : nearBus;
    // Each singer's effort swells and fades slowly, so the chorus breathes.
    PeriodicWobble effort(cr, n, rate, 0.02, 0.1, 3);
    double pauseUntil = -1;
    for (double t = cr.uniform(0, period); t < length; t += period) {
      if (!c.far && seamDistance(t, length) < kNearPause + 0.15) continue;
      if (t < pauseUntil) continue;
      // Now and then a singer stops for a few seconds.
      if (cr.chance(0.015)) pauseUntil = t + cr.uniform(2, 6);
      double swell = dbToGain(1.5 * effort.at(static_cast<size_t>(t * rate)));
      double at = t + cr.uniform(-0.006, 0.006);
      double level = amp * swell * cr.uniform(0.85, 1.0);
      addChirp(bus, at, shape, level, c.pan);
      BurstShape onset;
      onset.attack = 0.0005;
      onset.decay = 0.01;
      onset.centreHz = shape.carrierHz;
      onset.q = 1.0;
      addBurst(bus, cr, at, onset, level * dbToGain(-12.0), c.pan);
    }
  }

  // Tree crickets: soft continuous trills lower in pitch, in long bouts,
  // faint under the field crickets: a steady trill any louder buzzes.
  const Singer trillers[] = {{0.5, -46, false}, {-0.2, -48, false}, {-0.75, -52, true}};
  for (const Singer& c : trillers) {
    Rng tr = rng.fork();
    double carrier = tr.uniform(2200, 3300);
    double pulses = tr.uniform(32, 48);
    Stereo& bus = c.far ? farBus : nearBus;
    double edge = c.far ? 0.3 : kNearPause;
    double t = edge + tr.uniform(0, 2);
    while (t < length - edge) {
      double end = std::min(t + tr.uniform(5, 16), length - edge);
      if (end - t > 1.0) {
        addTrill(bus, tr, t, end, carrier, pulses, dbToGain(c.gainDb), c.pan);
      }
      t = end + tr.uniform(0.8, 3.0);
    }
  }

  // Katydids: two groups calling in turn, one group every 1 to 2 seconds.
  {
    Rng kr = rng.fork();
    const Singer groupA[] = {{-0.6, -13, false}, {0.15, -24, true}};
    const Singer groupB[] = {{0.65, -15, false}, {-0.1, -25, true}};
    double period = loopPeriod(length, 2.6);
    for (int g = 0; g < 2; ++g) {
      const Singer* group = g == 0 ? groupA : groupB;
      for (int m = 0; m < 2; ++m) {
        const Singer& s = group[m];
        Stereo& bus = s.far ? farBus : nearBus;
        double toothRate = kr.uniform(350, 700);
        double centre = kr.uniform(3500, 5000);
        double offset = g * period * 0.5 + m * 0.12;
        for (double t = offset + kr.uniform(0, 0.1); t < length; t += period) {
          if (seamDistance(t, length) < kNearPause + 0.5) continue;
          if (kr.chance(0.1)) continue;
          addKatydidCall(bus, kr, t + kr.uniform(-0.04, 0.04), toothRate, centre,
                         dbToGain(s.gainDb), s.pan);
        }
      }
    }
  }

  // Distance: far singers lose their highs.
  filterLooped(farBus, Biquad::lowpass(rate, 8000, 0.7));

  ReverbSettings night;
  night.rt60 = 0.6;
  night.size = 1.0;
  night.dampingHz = 5000;
  Stereo nearWet = reverbLooped(nearBus, night);
  night.rt60 = 0.9;
  night.size = 1.4;
  Stereo farWet = reverbLooped(farBus, night);

  // Night air: distant wind and leaves, a wide low rustle that always
  // sounds; a real night is never digital silence between calls. Above
  // 1.5 kHz the air is left to the insects.
  Stereo air(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PinkFilter pc, pl, pr;
    Biquad hpL = Biquad::highpass(rate, 30, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 1500, 0.7), lpR = lpL;
    renderLooped(air, [&](size_t i, double& l, double& r) {
      double c = pc.process(hashNoise(s0, i));
      l = lpL.process(hpL.process(0.55 * c + 0.84 * pl.process(hashNoise(s1, i))));
      r = lpR.process(hpR.process(0.55 * c + 0.84 * pr.process(hashNoise(s2, i))));
    });
  }

  // Under it the low murmur of the open night, far-off wind and the world
  // beyond the field, below 300 Hz. Distance swallows all but the lowest
  // part of far-off traffic, so the murmur gathers around 100 Hz; it swells
  // and eases by a couple of decibels about once a second as the breeze
  // carries it.
  Stereo low(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    OnePole bc, bl, br;
    bc.tune(rate, 20);
    bl.tune(rate, 20);
    br.tune(rate, 20);
    Biquad hpL = Biquad::highpass(rate, 35, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 300, 0.7), lpR = lpL;
    renderLooped(low, [&](size_t i, double& l, double& r) {
      double c = bc.process(hashNoise(s0, i));
      l = lpL.process(hpL.process(0.7 * c + 0.7 * bl.process(hashNoise(s1, i))));
      r = lpR.process(hpR.process(0.7 * c + 0.7 * br.process(hashNoise(s2, i))));
    });
    filterLooped(low, Biquad::peaking(rate, 100, 1.0, 10.0));
    std::vector<double> breeze = loopedSlowNoise(n, rate, 1.0, rng.next());
    for (size_t i = 0; i < n; ++i) {
      double g = std::exp(0.2 * breeze[i]);
      low.left[i] *= g;
      low.right[i] *= g;
    }
  }

  // Beyond the near singers, a whole field of katydids too far off to be
  // told apart: a shimmer in the 5-8 kHz band that swells and fades several
  // times a second as the unseen singers fall in and out of step, each
  // stretch of the band on its own. The near singers alone leave the band
  // steady between their sparse calls, which no real field is. A chorus
  // in step is either calling or pausing, so the shimmer leans towards one
  // of two levels, about 10 dB above or below its middle (never more than
  // 13), rather than flaring now and then out of a steady floor.
  Stereo farKatydids(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    for (double hz : {5000.0, 6800.0}) {
      std::vector<double> swell = loopedSlowNoise(n, rate, 6.0, rng.next());
      Biquad bpL = Biquad::bandpass(rate, hz, 3.0), bpR = bpL;
      Biquad bp2L = bpL, bp2R = bpL;
      Stereo band(ctx.rate, n);
      renderLooped(band, [&](size_t i, double& l, double& r) {
        double g = std::exp(1.5 * std::tanh(swell[i]));
        double c = hashNoise(s0, i);
        l = g * bp2L.process(bpL.process(0.6 * c + 0.8 * hashNoise(s1, i)));
        r = g * bp2R.process(bpR.process(0.6 * c + 0.8 * hashNoise(s2, i)));
      });
      for (size_t i = 0; i < n; ++i) {
        farKatydids.left[i] += band.left[i];
        farKatydids.right[i] += band.right[i];
      }
    }
    // Steep upper skirt: from far away, nothing of it reaches above 9 kHz.
    for (int k = 0; k < 2; ++k) filterLooped(farKatydids, Biquad::lowpass(rate, 8500, 0.7));
  }

  LayerMix mix(ctx);
  mix.add("low air", low, 5.0);
  mix.add("near", nearBus, 0.0);
  mix.add("near reverb", nearWet, 3.0);
  mix.add("far", farBus, -3.0);
  mix.add("far reverb", farWet, 0.0);
  mix.add("far katydids", farKatydids, -31.0);
  mix.add("night air", air, -13.25);
  return mix.take();
}

}  // namespace sound
