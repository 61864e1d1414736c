// The level each player gets and the drift's wander.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "mixer/channels.h"
#include "mixer/levels.h"

namespace {

TEST(DeviceLevel, IsTenTimesTheFadedVolumeAtFullMasterAndScalesWithTheMasterAndDrift) {
    for (int32_t position : {0, 1, 57, 100})
        for (int32_t share : {1000, 700, 333, 0})
            EXPECT_EQ(deviceLevel(position, share, 100, 0.0), 10 * scaledVolume(position, share));
    EXPECT_EQ(deviceLevel(80, 1000, 50, 0.0), 400);
    EXPECT_EQ(deviceLevel(80, 500, 50, 0.0), 200);
    EXPECT_EQ(deviceLevel(100, 1000, 100, -6.0206), 500);
    EXPECT_EQ(deviceLevel(100, 1000, 150, 3.0), 1000);  // clamped, never louder
    EXPECT_EQ(deviceLevel(100, 1000, -5, 0.0), 0);
}

TEST(Drift, StaysWithinNineDecibelsBelowAndNeverChangesFasterThanAHalfADecibelASecond) {
    constexpr uint32_t kMinuteMs = 60000;
    for (int channel = 1; channel <= 6; ++channel) {
        const DriftVoice voice = driftVoice(channel, 12345u + channel, kMinuteMs);
        EXPECT_GE(std::min(voice.firstPeriodMs, voice.secondPeriodMs), kMinuteMs);
        EXPECT_LE(std::max(voice.firstPeriodMs, voice.secondPeriodMs), 5.0 * kMinuteMs);
        double lowest = 0.0;
        double highest = kDriftDeepestDb;
        double steepest = 0.0;
        double previous = driftDb(voice, 0.0);
        for (double t = 250.0; t <= 10 * kMinuteMs; t += 250.0) {
            const double now = driftDb(voice, t);
            lowest = std::min(lowest, now);
            highest = std::max(highest, now);
            steepest = std::max(steepest, std::abs(now - previous) * 4.0);  // dB a second
            previous = now;
        }
        EXPECT_GE(lowest, kDriftDeepestDb - 1e-9) << channel;
        EXPECT_LE(highest, 1e-9) << channel;
        EXPECT_GE(highest - lowest, 6.0) << channel;  // it does wander
        EXPECT_LE(steepest, 0.5) << channel;
    }
    // Another run, other phases: the loops do not line up the same way.
    EXPECT_NE(driftVoice(3, 1u, kMinuteMs).firstPhase, driftVoice(3, 2u, kMinuteMs).firstPhase);
}

}  // namespace
