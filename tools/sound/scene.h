// What every scene renderer receives and the helpers they share.
#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "dsp.h"

namespace sound {

struct SceneContext {
  int rate = 44100;
  size_t frames = 0;
  uint64_t seed = 1;
  bool reportLayers = false;  // print each layer's loudness while mixing

  double seconds() const { return static_cast<double>(frames) / rate; }
};

// Sums a scene's layers at their mix levels in dB. With reportLayers set it
// prints each layer's loudness after its gain, so a mix can be balanced by
// measure rather than by guesswork.
class LayerMix {
 public:
  explicit LayerMix(const SceneContext& ctx);
  void add(const std::string& name, const Stereo& layer, double db);
  Stereo take() { return std::move(sum_); }

 private:
  bool report_;
  Stereo sum_;
};

// Seconds from t to the nearer end of a loop of the given length.
inline double seamDistance(double t, double length) {
  return std::min(t, length - t);
}

// 1 away from the loop's ends, easing to `floor` within `width` seconds of
// them: scenes thin their events and soften their beds there, so the start
// and the end sound like a natural pause.
double lullGain(double t, double length, double width, double floor);

}  // namespace sound
