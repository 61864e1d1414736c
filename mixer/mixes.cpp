#include "mixer/mixes.h"

#include <algorithm>
#include <array>
#include <string>

#include "mixer/channels.h"
#include "mixer/levels.h"
#include "ui/control_table.h"
#include "ui/form.h"
#include "ui/pointer_tip.h"

namespace {

constexpr BuiltInMix kBuiltInMixes[kBuiltInMixCount] = {
    {L"雨夜听雷", {0, 0, 80, 50, 0, 60}},    // rain, thunder and insects
    {L"海边篝火", {0, 80, 0, 0, 90, 0}},     // waves and the campfire
    {L"春日清晨", {90, 0, 40, 0, 0, 0}},     // birds and a light rain
    {L"全部", {100, 100, 100, 100, 100, 100}},
};

constexpr UINT kGlideStepMs = 100;
constexpr int kGlideSteps = static_cast<int>(kMixGlideMs / kGlideStepMs);
constexpr int kWheelNotch = WHEEL_DELTA;
constexpr int32_t kMasterStep = 5;

struct Glide {
    UINT_PTR timer = 0;
    int step = 0;
    ChannelVolumes from{};
    ChannelVolumes to{};
};
Glide glide;
int wheelRest = 0;  // a touchpad's part of a notch, kept for the next

void setSlider(size_t row, int32_t position) {
    setProperty(ids::mainWindow, ids::volumeBar.at(row), kPropertyPosition, position);
}

void stopGlide() {
    if (glide.timer) KillTimer(nullptr, glide.timer);
    glide.timer = 0;
}

// One step of the way; a slider that already stands where the step puts it
// raises nothing.
void CALLBACK glideStep(HWND, UINT, UINT_PTR, DWORD) {
    ++glide.step;
    for (size_t row = 0; row < glide.to.size(); ++row) {
        const int32_t way = glide.to[row] - glide.from[row];
        // Rounded to the nearest position, halves away from the start.
        const int32_t moved = (2 * way * glide.step + (way < 0 ? -kGlideSteps : kGlideSteps)) /
                              (2 * kGlideSteps);
        setSlider(row, glide.from[row] + moved);
    }
    if (glide.step >= kGlideSteps) stopGlide();
}

}  // namespace

const BuiltInMix& builtInMix(size_t index) {
    return kBuiltInMixes[std::min(index, kBuiltInMixCount - 1)];
}

ChannelVolumes currentVolumes() {
    ChannelVolumes volumes{};
    for (size_t row = 0; row < volumes.size(); ++row)
        volumes[row] = getProperty(ids::mainWindow, ids::volumeBar.at(row), kPropertyPosition);
    return volumes;
}

void recallMix(const ChannelVolumes& volumes) {
    stopGlide();
    glide.step = 0;
    glide.from = currentVolumes();
    glide.to = volumes;
    glide.timer = SetTimer(nullptr, 0, kGlideStepMs, glideStep);
    if (!glide.timer)  // no timer to be had: straight there
        for (size_t row = 0; row < volumes.size(); ++row) setSlider(row, volumes[row]);
}

std::optional<ChannelVolumes> userMix(int slot) {
    return loadPreset(slot);
}

void saveUserMix(int slot) {
    savePreset(slot, currentVolumes());
}

void setMaster(int32_t percent) {
    const int32_t master = std::clamp(percent, 0, kFullMasterPercent);
    if (master == masterLevel()) return;
    setMasterLevel(master);
    saveMaster(master);
}

void wheelMaster(int delta, POINT screen) {
    wheelRest += delta;
    const int notches = wheelRest / kWheelNotch;
    wheelRest -= notches * kWheelNotch;
    setMaster(masterLevel() + notches * kMasterStep);
    showPointerTip(masterText(masterLevel()), screen);
}

std::wstring masterText(int32_t percent) {
    return L"主音量 " + std::to_wstring(percent) + L"%";
}

void setDriftStored(bool on) {
    setDrift(on);
    saveDrift(on);
}
