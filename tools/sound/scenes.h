// The six scene renderers. Each returns the raw mix of its scene; the
// master stage normalises it afterwards.
#pragma once

#include "scene.h"

namespace sound {

Stereo renderBirdsong(const SceneContext& ctx);
Stereo renderCampfire(const SceneContext& ctx);
Stereo renderRain(const SceneContext& ctx);
Stereo renderThunder(const SceneContext& ctx);
Stereo renderWaves(const SceneContext& ctx);
Stereo renderInsects(const SceneContext& ctx);

}  // namespace sound
