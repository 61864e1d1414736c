// The level each player gets, and the slow wander of that level that keeps
// the six loops from lining up the same way twice ("drifting levels").
#pragma once

#include <cstdint>

constexpr int32_t kFullMasterPercent = 100;
constexpr int32_t kDeviceLevelMaximum = 1000;  // the platform's volume scale

// The device's level (0..1000) for a slider position (0..100): the share of
// a fade (0..1000 permille, on the whole volume steps the fade has always
// used), the master (0..100 %) and the drift's gain (0 dB or below), rounded
// to the nearest step. With the master at 100 % and no drift it is ten times
// the faded volume, the level players got before there was a master.
int32_t deviceLevel(int32_t position, int32_t sharePermille, int32_t masterPercent,
                    double driftDb);

// One channel's wander: two slow waves of their own periods and phases,
// which together keep the gain between 0 and -9 dB and never change it
// faster than 0.5 dB a second.
struct DriftVoice {
    double firstPeriodMs;
    double secondPeriodMs;
    double firstPhase;   // radians
    double secondPhase;
};

constexpr double kDriftDeepestDb = -9.0;

// The channel's (1..6) voice: periods between 1 and 5 minutes (of minuteMs
// each, shorter in the tones build) that differ from channel to channel,
// phases from the seed, which differs from run to run.
DriftVoice driftVoice(int channel, uint32_t seed, uint32_t minuteMs);

// The gain (0 to -9 dB) of a voice after elapsedMs.
double driftDb(const DriftVoice& voice, double elapsedMs);
