// Campfire under a starry night: a carpet of tiny ember ticks over a
// seething fizz, a low lapping roar and the body of the flames, bursts of
// hiss, crackles in clusters and the odd resonant pop, with one cricket far
// away. Almost dry: it is open air.
#include "scenes.h"
#include "voices.h"

namespace sound {

Stereo renderCampfire(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  // The fire's overall strength drifts by a few dB over the minute.
  PeriodicWobble drift(rng, n, rate, 0.015, 0.06, 3);
  auto intensity = [&](size_t i) { return dbToGain(1.2 * drift.at(i)); };

  // Roar: noise rung at 30 Hz and driven into a soft clip, which turns the
  // slow swell into the lapping flutter of flames.
  Stereo roar(ctx.rate, n);
  {
    uint64_t sc = rng.next(), sl = rng.next(), sr = rng.next();
    Biquad bpL = Biquad::bandpass(rate, 30, 5), bpR = bpL;
    Biquad hp1L = Biquad::highpass(rate, 25, 0.7), hp1R = hp1L;
    Biquad hp2L = hp1L, hp2R = hp1L;
    Biquad lpL = Biquad::lowpass(rate, 300, 0.7), lpR = lpL;
    renderLooped(roar, [&](size_t i, double& l, double& r) {
      double c = hashNoise(sc, i);
      double a = hp1L.process(bpL.process(0.7 * c + 0.7 * hashNoise(sl, i)) * 60.0);
      double b = hp1R.process(bpR.process(0.7 * c + 0.7 * hashNoise(sr, i)) * 60.0);
      double g = intensity(i);
      l = g * lpL.process(hp2L.process(std::tanh(a)));
      r = g * lpR.process(hp2R.process(std::tanh(b)));
    });
  }

  // Flame body: pink noise in the low mids, breathing with a slow random gain.
  Stereo body(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    std::vector<double> breath = loopedSlowNoise(n, rate, 0.6, rng.next());
    PinkFilter pc, pl, pr;
    Biquad hpL = Biquad::highpass(rate, 50, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 1100, 0.7), lpR = lpL;
    renderLooped(body, [&](size_t i, double& l, double& r) {
      double c = pc.process(hashNoise(s0, i));
      double a = pl.process(hashNoise(s1, i));
      double b = pr.process(hashNoise(s2, i));
      double g = std::exp(0.3 * breath[i]) * intensity(i);
      l = g * lpL.process(hpL.process(0.6 * c + 0.8 * a));
      r = g * lpR.process(hpR.process(0.6 * c + 0.8 * b));
    });
  }

  // Hiss: high noise gated by the fourth power of a slow noise, so it comes
  // in sparse bursts like escaping gas.
  Stereo hiss(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next();
    std::vector<double> gate = loopedSlowNoise(n, rate, 1.0, rng.next());
    Biquad hpL = Biquad::highpass(rate, 1000, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 9000, 0.7), lpR = lpL;
    renderLooped(hiss, [&](size_t i, double& l, double& r) {
      double m = std::abs(gate[i]) / 3.0;
      double g = m * m * m * m * intensity(i);
      l = g * lpL.process(hpL.process(hashNoise(s0, i)));
      r = g * lpR.process(hpR.process(hashNoise(s1, i)));
    });
  }

  // Fizz: the steady seethe of gas and sap under the ticks, a bright
  // noise bed rising towards the top of the band with a slow drift.
  Stereo fizz(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    std::vector<double> swell = loopedSlowNoise(n, rate, 0.4, rng.next());
    Biquad hpL = Biquad::highpass(rate, 1800, 0.7), hpR = hpL;
    Biquad shL = Biquad::highShelf(rate, 6000, 6.0), shR = shL;
    renderLooped(fizz, [&](size_t i, double& l, double& r) {
      double c = hashNoise(s0, i);
      double g = std::exp(0.15 * swell[i]) * intensity(i);
      l = g * shL.process(hpL.process(0.5 * c + 0.85 * hashNoise(s1, i)));
      r = g * shR.process(hpR.process(0.5 * c + 0.85 * hashNoise(s2, i)));
    });
  }

  // Crackles: clusters from one spot in the fire (a splitting log) plus
  // scattered singles; the cluster rate drifts so activity comes and goes.
  Stereo crackles(ctx.rate, n);
  {
    Rng cr = rng.fork();
    std::vector<double> activity = loopedSlowNoise(n, rate, 0.05, cr.next());
    auto crackle = [&](double t, double pan, double level) {
      BurstShape shape;
      shape.attack = 0.0001;
      shape.decay = 0.001 * std::exp(cr.uniform(0, std::log(30.0)));
      shape.centreHz = std::exp(cr.uniform(std::log(1500.0), std::log(8000.0)));
      shape.q = cr.uniform(0.8, 2.5);
      shape.click = cr.uniform(0, 2.0);
      addBurst(crackles, cr, t, shape, level * cr.heavyTail(2.2, 10.0), pan);
    };
    double t = 0;
    while (true) {
      size_t at = std::min(n - 1, static_cast<size_t>(t * rate));
      double rateNow = 0.9 * std::exp(0.7 * activity[at]) * intensity(at) *
                       lullGain(t, length, 3.0, 0.15);
      t += cr.exponential(1.0 / rateNow);
      if (t >= length) break;
      double pan = cr.uniform(-0.6, 0.6);
      int count = 1 + static_cast<int>(cr.exponential(5.0));
      double ct = t;
      for (int k = 0; k < count; ++k) {
        crackle(ct, std::clamp(pan + cr.uniform(-0.12, 0.12), -0.6, 0.6),
                0.5 * cr.uniform(0.5, 1.0));
        ct += cr.exponential(0.045);
      }
    }
    for (double s = cr.exponential(0.4); s < length; s += cr.exponential(0.4)) {
      if (cr.uniform() < lullGain(s, length, 3.0, 0.2)) {
        crackle(s, cr.uniform(-0.6, 0.6), 0.35);
      }
    }
  }

  // Embers: a dense carpet of tiny ticks, thousands a second, brighter
  // towards the top of the band, as wood fibres split and char all over
  // the fire. It is what a fire sounds like most of the time; the louder
  // crackles and pops stand out of it now and then.
  Stereo embers(ctx.rate, n);
  {
    Rng er = rng.fork();
    std::vector<double> activity = loopedSlowNoise(n, rate, 0.3, er.next());
    // Ticks come in little runs of a tenth of a second or so, one fibre
    // after another giving way, which gives the carpet its flutter.
    const double meanGap = 8.0 / 2500.0;
    for (double t = er.exponential(meanGap); t < length; t += er.exponential(meanGap)) {
      size_t at = std::min(n - 1, static_cast<size_t>(t * rate));
      double runLevel = std::exp(0.1 * activity[at]) * intensity(at) *
                        lullGain(t, length, 2.0, 0.5) * er.uniform(0.3, 1.0);
      double span = er.uniform(0.04, 0.2);
      int count = 1 + static_cast<int>(er.exponential(8.0));
      double pan = er.uniform(-0.8, 0.8);
      // One fibre gives way tick after tick at much the same pitch, so a
      // run flutters in its own band rather than across the whole spectrum.
      double runCentre = er.uniform(std::log(500.0), std::log(11000.0));
      for (int k = 0; k < count; ++k) {
        BurstShape shape;
        shape.attack = 0.00005;
        shape.decay = 0.0003 * std::exp(er.uniform(0, std::log(12.0)));
        shape.centreHz = std::clamp(std::exp(runCentre + er.uniform(-0.2, 0.2)), 400.0, 12000.0);
        shape.q = er.uniform(1.5, 4.0);
        shape.click = er.uniform(0, 1.0);
        double level = runLevel * er.heavyTail(3.0, 6.0) * std::sqrt(shape.centreHz / 4000.0);
        addBurst(embers, er, t + er.uniform(0, span), shape, level,
                 std::clamp(pan + er.uniform(-0.2, 0.2), -0.9, 0.9));
      }
    }
  }

  // Pops: a knock of trapped sap, a click with a short resonant ring.
  Stereo pops(ctx.rate, n);
  {
    Rng pr = rng.fork();
    for (double t = pr.exponential(4.0); t < length; t += pr.exponential(4.0)) {
      if (seamDistance(t, length) < 3.0) continue;
      BurstShape shape;
      shape.attack = 0.0003;
      shape.decay = pr.uniform(0.03, 0.08);
      shape.centreHz = std::exp(pr.uniform(std::log(100.0), std::log(1000.0)));
      shape.q = pr.uniform(5, 12);
      shape.click = 4.0;
      double pan = pr.uniform(-0.5, 0.5);
      double level = 0.6 * pr.uniform(0.4, 1.0);
      addBurst(pops, pr, t, shape, level, pan);
      BurstShape snap;
      snap.attack = 0.0001;
      snap.decay = 0.004;
      snap.centreHz = pr.uniform(2500, 5000);
      snap.q = 1.0;
      snap.click = 1.5;
      addBurst(pops, pr, t, snap, level * 0.8, pan);
    }
  }

  // A single cricket far off in the dark, chirping with small pauses.
  Stereo cricket(ctx.rate, n);
  {
    Rng kr = rng.fork();
    ChirpShape shape;
    shape.carrierHz = 4300;
    shape.pulses = 5;
    shape.octave = 0.1;
    double period = length / std::round(length / 0.78);
    for (double t = 2.0; t < length - 2.0; t += period) {
      if (kr.chance(0.12)) continue;
      addChirp(cricket, t + kr.uniform(-0.01, 0.01), shape, kr.uniform(0.8, 1.0), 0.72);
    }
  }

  Stereo events(ctx.rate, n);
  events.mix(crackles, 1.0);
  events.mix(pops, 1.0);
  ReverbSettings air;
  air.rt60 = 0.35;
  air.size = 0.5;
  air.dampingHz = 6000;
  Stereo wet = reverbLooped(events, air);

  // The flames lap: roar and body flutter together, a dozen or so times a
  // second, by a couple of dB either way.
  {
    std::vector<double> flutter = loopedSlowNoise(n, rate, 16, rng.next());
    for (size_t i = 0; i < n; ++i) {
      double g = std::exp(0.3 * flutter[i]);
      roar.left[i] *= g;
      roar.right[i] *= g;
      body.left[i] *= g;
      body.right[i] *= g;
    }
  }

  LayerMix mix(ctx);
  mix.add("roar", roar, 3.0);
  mix.add("body", body, -1.0);
  mix.add("hiss", hiss, -15.0);
  mix.add("embers", embers, 14.0);
  mix.add("fizz", fizz, -13.0);
  mix.add("crackles", crackles, 26.0);
  mix.add("pops", pops, 24.0);
  mix.add("reflections", wet, 7.0);
  mix.add("cricket", cricket, -17.0);
  return mix.take();
}

}  // namespace sound
