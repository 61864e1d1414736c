// Mixes: the built-in ones and the user's three, recalled by gliding the
// six sliders to their volumes, and the master level with its wheel.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/settings.h"

struct BuiltInMix {
    const wchar_t* name;
    ChannelVolumes volumes;  // channels 1..6: birdsong, campfire, rain, thunder, waves, insects
};

constexpr size_t kBuiltInMixCount = 4;
constexpr int kUserMixSlots = 3;
constexpr uint32_t kMixGlideMs = 2000;

const BuiltInMix& builtInMix(size_t index);

// The six sliders' positions now.
ChannelVolumes currentVolumes();

// Moves the six sliders to the volumes over about 2 s, in steps of 100 ms
// (each step changes a slider by a twentieth of its way), so that no level
// jumps; each step is a slider change like a drag's, stored and heard at
// once. A recall under way is replaced by the new one.
void recallMix(const ChannelVolumes& volumes);

// The user's slots 1..3.
std::optional<ChannelVolumes> userMix(int slot);
void saveUserMix(int slot);

// The master level, 0..100 %, stored as it changes.
void setMaster(int32_t percent);

// The wheel over the window's picture: 5 % a notch (120 units), the
// master's new level shown beside the pointer for a moment.
void wheelMaster(int delta, POINT screen);

// The tooltip's text for a level: "主音量 80%".
std::wstring masterText(int32_t percent);

// Drifting levels on or off, stored.
void setDriftStored(bool on);
