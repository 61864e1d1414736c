#include "scene.h"

#include <cstdio>

#include "master.h"

namespace sound {

LayerMix::LayerMix(const SceneContext& ctx)
    : report_(ctx.reportLayers), sum_(ctx.rate, ctx.frames) {}

void LayerMix::add(const std::string& name, const Stereo& layer, double db) {
  double gain = dbToGain(db);
  sum_.mix(layer, gain);
  if (report_) {
    Stereo scaled = layer;
    for (size_t i = 0; i < scaled.size(); ++i) {
      scaled.left[i] *= gain;
      scaled.right[i] *= gain;
    }
    std::printf("  %-12s %7.2f LUFS\n", name.c_str(), integratedLoudness(scaled));
  }
}

double lullGain(double t, double length, double width, double floor) {
  double d = seamDistance(t, length);
  return floor + (1.0 - floor) * smoothStep(d / width);
}

}  // namespace sound
