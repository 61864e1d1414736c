// Birdsong and blossom: eight birds of six kinds, each with its own
// repertoire of song types, sing phrases from fixed places near and far,
// over far-off chirping and a soft breeze in the leaves. Near birds get a
// short garden reverb, far ones are quieter, darker and wetter.
#include <functional>

#include "scenes.h"

namespace sound {

namespace {

// One whistled note: a sine (with a weak octave) under a pitch contour
// through start, middle and end frequencies and a smooth swell.
struct Note {
  double start;        // seconds into the phrase
  double duration;
  double f0, f1, f2;   // Hz at the start, the middle and the end
  double amp = 1.0;
  double warbleHz = 0;     // fast vibrato that makes a note burry
  double warbleDepth = 0;  // Hz
};

using Phrase = std::vector<Note>;

struct Voice {
  double pan;
  double gainDb;
  double lowpassHz;    // air absorption: the farther, the lower
  double octave = 0.1; // second harmonic about 20 dB down
};

double contour(const Note& n, double x) {
  double control = 2 * n.f1 - 0.5 * (n.f0 + n.f2);
  return (1 - x) * (1 - x) * n.f0 + 2 * x * (1 - x) * control + x * x * n.f2;
}

void renderNote(Stereo& bus, double at, const Note& n, const Voice& v) {
  const double rate = bus.rate;
  const double lp4 = std::pow(v.lowpassHz, 4);
  size_t frames = static_cast<size_t>(n.duration * rate);
  double attack = std::max(0.004, 0.18 * n.duration);
  double release = std::max(0.006, 0.35 * n.duration);
  Placement pg = place(v.pan, bus.rate);
  double gain = dbToGain(v.gainDb) * n.amp;
  long long start = static_cast<long long>((at + n.start) * rate);
  double phase = 0, warble = 0;
  for (size_t i = 0; i < frames; ++i) {
    double t = i / rate;
    double hz = contour(n, static_cast<double>(i) / frames);
    if (n.warbleHz > 0) {
      warble += 2 * kPi * n.warbleHz / rate;
      hz += n.warbleDepth * std::sin(warble);
    }
    phase += 2 * kPi * hz / rate;
    double env = smoothStep(t / attack) * smoothStep((n.duration - t) / release);
    double h1 = 1.0 / std::sqrt(1.0 + hz * hz * hz * hz / lp4);
    double h2 = 1.0 / std::sqrt(1.0 + 16 * hz * hz * hz * hz / lp4);
    double s = gain * env * (h1 * std::sin(phase) + v.octave * h2 * std::sin(2 * phase));
    bus.addPlaced(start + static_cast<long long>(i), s, pg);
  }
}

double phraseLength(const Phrase& p) {
  double end = 0;
  for (const Note& n : p) end = std::max(end, n.start + n.duration);
  return end;
}

// A kind of bird: how it builds a phrase of a given song type. `pitch`
// scales the individual's voice; each rendition varies a little.
struct Species {
  int songTypes;
  double minGap, maxGap;  // silence between phrases, seconds
  std::function<Phrase(Rng&, int type, double pitch)> sing;
};

// Loud clear whistles: a run of swoops or down-slurs ending in fast chirps.
Phrase whistlerSong(Rng& r, int type, double p) {
  Phrase ph;
  double t = 0;
  if (type == 0) {
    int swoops = r.integer(4, 7);
    for (int i = 0; i < swoops; ++i) {
      ph.push_back({t, 0.13 * r.uniform(0.95, 1.05), 1740 * p, 2000 * p, 1740 * p, 1.0});
      t += 0.19 * r.uniform(0.95, 1.05);
    }
    int chirps = r.integer(3, 5);
    for (int i = 0; i < chirps; ++i) {
      ph.push_back({t, 0.045, 1900 * p, 2700 * p, 3600 * p, 0.8});
      t += 0.075;
    }
  } else if (type == 1) {
    int slurs = r.integer(3, 4);
    for (int i = 0; i < slurs; ++i) {
      ph.push_back({t, 0.26, 3900 * p, 2600 * p, 1900 * p, 1.0});
      t += 0.36 * r.uniform(0.95, 1.05);
    }
    int chews = r.integer(4, 7);
    double gap = 0.15;
    for (int i = 0; i < chews; ++i) {
      ph.push_back({t, 0.08, 2900 * p, 2300 * p, 1800 * p, 0.85});
      t += gap;
      gap *= 0.9;
    }
  } else {
    for (int i = 0; i < 2; ++i) {
      ph.push_back({t, 0.3, 1500 * p, 2200 * p, 3200 * p, 0.9});
      t += 0.42;
    }
    int trill = r.integer(8, 11);
    for (int i = 0; i < trill; ++i) {
      ph.push_back({t, 0.055, 3100 * p, 2600 * p, 2000 * p, 0.8});
      t += 0.085;
    }
  }
  return ph;
}

// Mellow caroling: a few varied, slightly burry notes from a personal
// repertoire, sometimes closed by a high twitter.
Phrase carollerSong(Rng& r, int type, double p) {
  // The repertoire is fixed per song type; the renditions pick from it.
  Rng motifs(0xca201 + type * 977);
  std::vector<Note> repertoire;
  for (int i = 0; i < 8; ++i) {
    double base = motifs.uniform(1700, 3200);
    double dur = motifs.uniform(0.09, 0.26);
    Note n{0, dur, base * motifs.uniform(0.8, 1.25), base * motifs.uniform(0.9, 1.2),
           base * motifs.uniform(0.75, 1.2), motifs.uniform(0.6, 1.0)};
    if (motifs.chance(0.4)) {
      n.warbleHz = motifs.uniform(25, 45);
      n.warbleDepth = motifs.uniform(50, 140);
    }
    repertoire.push_back(n);
  }
  Phrase ph;
  double t = 0;
  int notes = r.integer(3, 6);
  int first = r.integer(0, 7);
  for (int i = 0; i < notes; ++i) {
    // Mostly in order from a random entry point, so phrases share motifs.
    Note n = repertoire[(first + i + (r.chance(0.25) ? r.integer(1, 3) : 0)) % 8];
    n.start = t;
    n.f0 *= p; n.f1 *= p; n.f2 *= p;
    n.amp *= r.uniform(0.8, 1.0);
    ph.push_back(n);
    t += n.duration + r.uniform(0.03, 0.09);
  }
  if (r.chance(0.5)) {
    int tw = r.integer(3, 6);
    double hz = r.uniform(5200, 6800) * p;
    for (int i = 0; i < tw; ++i) {
      ph.push_back({t, 0.028, hz, hz * 1.15, hz * 0.85, 0.35});
      t += 0.045;
    }
  }
  return ph;
}

// A fast, dry trill of identical notes, sometimes in two parts.
Phrase trillerSong(Rng& r, int type, double p) {
  Phrase ph;
  double t = 0;
  double length = r.uniform(1.3, 2.3);
  if (type == 0) {
    double rate = 16 * r.uniform(0.95, 1.05);
    while (t < length) {
      double grow = 0.6 + 0.4 * t / length;
      ph.push_back({t, 0.035, 5900 * p, 5000 * p, 4200 * p, grow});
      t += 1.0 / rate;
    }
  } else {
    while (t < length * 0.4) {
      ph.push_back({t, 0.07, 3600 * p, 4400 * p, 3900 * p, 0.8});
      t += 1.0 / 8;
    }
    while (t < length) {
      ph.push_back({t, 0.03, 4600 * p, 5600 * p, 6100 * p, 1.0});
      t += 1.0 / 21;
    }
  }
  return ph;
}

// Two-note calls repeated a few times ("tea-cher"), or a pure two-note
// whistle, or three rising "see" notes with a falling end.
Phrase pairSong(Rng& r, int type, double p) {
  Phrase ph;
  double t = 0;
  if (type == 0) {
    int pairs = r.integer(3, 5);
    for (int i = 0; i < pairs; ++i) {
      ph.push_back({t, 0.09, 4300 * p, 4400 * p, 4200 * p, 0.9});
      ph.push_back({t + 0.13, 0.11, 3300 * p, 3250 * p, 3100 * p, 1.0});
      t += 0.32 * r.uniform(0.97, 1.03);
    }
  } else if (type == 1) {
    ph.push_back({0, 0.35, 3950 * p, 3950 * p, 3900 * p, 1.0});
    ph.push_back({0.45, 0.42, 3400 * p, 3350 * p, 3250 * p, 0.9});
  } else {
    for (int i = 0; i < 3; ++i) {
      double hz = (5200 + 150 * i) * p;
      ph.push_back({t, 0.16, hz, hz * 1.02, hz, 0.7});
      t += 0.24;
    }
    ph.push_back({t, 0.25, 4800 * p, 4300 * p, 3500 * p, 0.9});
  }
  return ph;
}

// A small bird's long, jumbled song: rapid trills of changing notes.
Phrase wrenSong(Rng& r, int type, double p) {
  Phrase ph;
  double t = 0;
  double length = r.uniform(2.0, 2.8);
  Rng shapes(0x3e4 + type * 131);
  while (t < length) {
    double hz = shapes.uniform(3500, 7500) * p;
    double sweep = shapes.uniform(0.7, 1.35);
    double dur = shapes.uniform(0.02, 0.05);
    int count = shapes.integer(3, 9);
    double step = dur + shapes.uniform(0.012, 0.03);
    for (int i = 0; i < count && t < length; ++i) {
      ph.push_back({t, dur, hz, hz * (1 + sweep) / 2, hz * sweep, r.uniform(0.7, 1.0)});
      t += step;
    }
    t += r.uniform(0.02, 0.08);
  }
  return ph;
}

// A dove far off: low, hollow coos with a swell on the second.
Phrase doveSong(Rng& r, int type, double p) {
  Phrase ph;
  const double pattern[][3] = {  // start, length, level
      {0, 0.38, 0.7}, {0.55, 0.7, 1.0}, {1.45, 0.4, 0.75}, {2.1, 0.4, 0.7}};
  int count = type == 0 ? 4 : 3;
  for (int i = 0; i < count; ++i) {
    double hz = 540 * p * (i == 1 ? 1.04 : 1.0);
    ph.push_back({pattern[i][0] * r.uniform(0.97, 1.03), pattern[i][1],
                  hz * 0.93, hz * 1.03, hz * 0.9, pattern[i][2]});
  }
  return ph;
}

struct Bird {
  const Species* species;
  Voice voice;
  double pitch;
  bool far;
};

constexpr double kQuietStart = 1.6;  // no phrase before this ...
constexpr double kQuietEnd = 2.6;    // ... nor this close to the end

}  // namespace

Stereo renderBirdsong(const SceneContext& ctx) {
  Rng rng(ctx.seed);
  const double rate = ctx.rate;
  const size_t n = ctx.frames;
  const double length = ctx.seconds();

  const Species whistler{3, 4.0, 9.0, whistlerSong};
  const Species caroller{3, 3.5, 8.0, carollerSong};
  const Species triller{2, 6.0, 14.0, trillerSong};
  const Species pair{3, 4.5, 11.0, pairSong};
  const Species wren{2, 7.0, 15.0, wrenSong};
  const Species dove{2, 12.0, 25.0, doveSong};

  const Bird birds[] = {
      {&caroller, {-0.35, 0.0, 14000}, 1.0, false},
      {&whistler, {0.55, -2.0, 12000}, 1.0, false},
      {&pair, {-0.7, -4.0, 11000}, 1.0, false},
      {&triller, {0.2, -10.0, 9000}, 1.0, true},
      {&wren, {0.78, -12.0, 8000}, 1.0, true},
      {&whistler, {-0.6, -15.0, 7000}, 0.96, true},
      {&caroller, {0.4, -16.0, 7500}, 1.06, true},
      {&dove, {-0.15, -9.0, 3000, 0.25}, 1.0, true},
  };

  Stereo nearBus(ctx.rate, n), farBus(ctx.rate, n);
  for (const Bird& bird : birds) {
    Rng br = rng.fork();
    Stereo& bus = bird.far ? farBus : nearBus;
    int type = br.integer(0, bird.species->songTypes - 1);
    int repeatsLeft = br.integer(3, 8);
    double t = kQuietStart + br.uniform(0, 10);
    // Birds sing in bouts and rest in between, so the mix keeps changing.
    double boutEnd = t + br.uniform(50, 120);
    while (true) {
      if (t > boutEnd) {
        t += br.uniform(8, 30);
        boutEnd = t + br.uniform(50, 120);
      }
      Phrase phrase = bird.species->sing(br, type, bird.pitch * br.uniform(0.985, 1.015));
      double len = phraseLength(phrase);
      if (t + len > length - kQuietEnd) break;
      for (const Note& note : phrase) renderNote(bus, t, note, bird.voice);
      if (--repeatsLeft == 0) {
        // Eventual variety: a run of one song type, then another.
        type = (type + br.integer(1, std::max(1, bird.species->songTypes - 1))) %
               bird.species->songTypes;
        repeatsLeft = br.integer(3, 8);
      }
      t += len + br.uniform(bird.species->minGap, bird.species->maxGap);
    }
  }

  // Far-off chirps from the rest of the neighbourhood.
  {
    Rng cr = rng.fork();
    double t = kQuietStart;
    while (t < length - kQuietEnd - 1) {
      Voice v{cr.uniform(-0.9, 0.9), -22.0 + cr.uniform(-4, 2), 6000};
      int notes = cr.integer(2, 6);
      double hz = cr.uniform(3000, 7000);
      double at = 0;
      for (int i = 0; i < notes; ++i) {
        double dur = cr.uniform(0.025, 0.08);
        Note note{at, dur, hz, hz * cr.uniform(0.8, 1.3), hz * cr.uniform(0.7, 1.3), 1.0};
        renderNote(farBus, t, note, v);
        at += dur + cr.uniform(0.02, 0.07);
      }
      t += cr.exponential(1.4) + 0.3;
    }
  }

  ReverbSettings garden;
  garden.rt60 = 0.5;
  garden.size = 0.7;
  garden.dampingHz = 7000;
  Stereo nearWet = reverbLooped(nearBus, garden);
  garden.rt60 = 0.8;
  garden.size = 1.2;
  garden.dampingHz = 4500;
  garden.preDelay = 0.025;
  Stereo farWet = reverbLooped(farBus, garden);

  // Leaves in a light breeze: band-passed pink noise that swells slowly.
  Stereo leaves(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PeriodicWobble breeze(rng, n, rate, 0.01, 0.05, 5);
    PinkFilter pc, pl, pr;
    Biquad hpL = Biquad::highpass(rate, 200, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 2000, 0.7), lpR = lpL;
    renderLooped(leaves, [&](size_t i, double& l, double& r) {
      double c = pc.process(hashNoise(s0, i));
      double a = pl.process(hashNoise(s1, i));
      double b = pr.process(hashNoise(s2, i));
      double g = dbToGain(3.0 * breeze.at(i));
      l = g * lpL.process(hpL.process(0.6 * c + 0.8 * a));
      r = g * lpR.process(hpR.process(0.6 * c + 0.8 * b));
    });
  }

  // The open air: a low, slowly breathing rumble of far-off wind that no
  // outdoor recording is without, and a faint high rustle of leaves and
  // distant chatter that keeps the upper bands from falling silent
  // between songs.
  Stereo air(ctx.rate, n), rustle(ctx.rate, n);
  {
    uint64_t s0 = rng.next(), s1 = rng.next(), s2 = rng.next();
    PeriodicWobble swell(rng, n, rate, 0.02, 0.12, 6);
    OnePole bc, bl, br;
    bc.tune(rate, 20); bl.tune(rate, 20); br.tune(rate, 20);
    Biquad hpL = Biquad::highpass(rate, 35, 0.7), hpR = hpL;
    Biquad lpL = Biquad::lowpass(rate, 250, 0.7), lpR = lpL;
    renderLooped(air, [&](size_t i, double& l, double& r) {
      double c = bc.process(hashNoise(s0, i));
      double a = bl.process(hashNoise(s1, i));
      double b = br.process(hashNoise(s2, i));
      double g = dbToGain(3.0 * swell.at(i));
      l = g * lpL.process(hpL.process(0.7 * c + 0.7 * a));
      r = g * lpR.process(hpR.process(0.7 * c + 0.7 * b));
    });
    uint64_t t0 = rng.next(), t1 = rng.next(), t2 = rng.next();
    PinkFilter pc, pl, pr;
    Biquad hl = Biquad::highpass(rate, 2500, 0.7), hr = hl;
    Biquad ll = Biquad::lowpass(rate, 9000, 0.7), lr = ll;
    PeriodicWobble stir(rng, n, rate, 0.03, 0.2, 6);
    renderLooped(rustle, [&](size_t i, double& l, double& r) {
      double c = pc.process(hashNoise(t0, i));
      double a = pl.process(hashNoise(t1, i));
      double b = pr.process(hashNoise(t2, i));
      double g = dbToGain(2.5 * stir.at(i));
      l = g * ll.process(hl.process(0.6 * c + 0.8 * a));
      r = g * lr.process(hr.process(0.6 * c + 0.8 * b));
    });
  }

  LayerMix mix(ctx);
  mix.add("air", air, 10.0);
  mix.add("rustle", rustle, -16.0);
  mix.add("near birds", nearBus, 0.0);
  mix.add("near reverb", nearWet, -4.0);
  mix.add("far birds", farBus, 0.0);
  mix.add("far reverb", farWet, 3.0);
  mix.add("leaves", leaves, -16.0);
  return mix.take();
}

}  // namespace sound
