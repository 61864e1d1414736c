#include "mixer/levels.h"

#include <algorithm>
#include <cmath>

#include "mixer/channels.h"
#include "ui/control_table.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
// The two waves' depths: together half the whole range, around its middle.
constexpr double kFirstDepthDb = 2.7;
constexpr double kSecondDepthDb = 1.8;
constexpr double kMiddleDb = kDriftDeepestDb / 2;

// Periods in minutes, from 1 to 5, none a simple multiple of another, so
// that the six channels never fall into step.
constexpr double kFirstPeriods[] = {4.7, 3.1, 4.1, 2.3, 3.7, 2.9};
constexpr double kSecondPeriods[] = {1.3, 1.9, 1.1, 1.7, 1.45, 2.1};

// A number from 0 to 1 from the seed and the channel (a small integer hash).
double unitFrom(uint32_t seed, uint32_t salt) {
    uint32_t x = seed * 2654435761u ^ (salt + 0x9E3779B9u);
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return static_cast<double>(x) / 4294967296.0;
}

}  // namespace

int32_t deviceLevel(int32_t position, int32_t sharePermille, int32_t masterPercent,
                    double driftDb) {
    const double faded = 10.0 * scaledVolume(position, sharePermille);
    const double master = std::clamp(masterPercent, 0, kFullMasterPercent) / 100.0;
    const double gain = std::pow(10.0, std::min(driftDb, 0.0) / 20.0);
    const double level = std::round(faded * master * gain);
    return static_cast<int32_t>(std::clamp(level, 0.0, double{kDeviceLevelMaximum}));
}

DriftVoice driftVoice(int channel, uint32_t seed, uint32_t minuteMs) {
    const size_t row = static_cast<size_t>(std::clamp(channel, 1, kChannelCount) - 1);
    const auto salt = static_cast<uint32_t>(channel);
    return DriftVoice{kFirstPeriods[row] * minuteMs, kSecondPeriods[row] * minuteMs,
                      kTwoPi * unitFrom(seed, 2 * salt), kTwoPi * unitFrom(seed, 2 * salt + 1)};
}

double driftDb(const DriftVoice& voice, double elapsedMs) {
    const double first = std::sin(kTwoPi * elapsedMs / voice.firstPeriodMs + voice.firstPhase);
    const double second = std::sin(kTwoPi * elapsedMs / voice.secondPeriodMs + voice.secondPhase);
    return kMiddleDb + kFirstDepthDb * first + kSecondDepthDb * second;
}
