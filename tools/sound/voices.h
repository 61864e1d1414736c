// Short sound events that several scenes place on their loop: bubbles,
// filtered noise bursts, pulsed insect tones.
#pragma once

#include "dsp.h"

namespace sound {

// A gas bubble ringing in water: a sine at 3/r Hz whose pitch rises as it
// decays (radius in millimetres). Drops into puddles and drips.
void addBubble(Stereo& out, double startSec, double radiusMm, double amp,
               double pan);

struct BurstShape {
  double attack = 0.0002;  // seconds
  double decay = 0.005;    // seconds to fall by 60 dB
  double centreHz = 3000;
  double q = 1.0;
  double click = 0.0;      // extra impulse at the onset, relative to amp
};

// A decaying noise burst through a band-pass: crackles, leaf hits, ticks.
void addBurst(Stereo& out, Rng& rng, double startSec, const BurstShape& shape,
              double amp, double pan);

// One chirp of a cricket: `pulses` tone pulses of cos^2 shape at
// `pulseRate` per second, growing louder, carrier plus its octave.
struct ChirpShape {
  double carrierHz = 4500;
  double pulseRate = 58.8;
  int pulses = 7;
  double dutyCycle = 0.6;  // share of each pulse period that sounds
  double octave = 0.3;     // level of the second harmonic
  double glide = -0.02;    // relative pitch change across one pulse
};
void addChirp(Stereo& out, double startSec, const ChirpShape& shape,
              double amp, double pan);

}  // namespace sound
