// Final stage of every track: loudness measurement, true-peak limiting,
// normalisation and the quiet fade at both ends of the loop.
#pragma once

#include "dsp.h"

namespace sound {

// Integrated loudness in LUFS: K-weighting, 400 ms blocks with 75 % overlap,
// absolute gate at -70 LUFS and relative gate 10 LU below the mean.
double integratedLoudness(const Stereo& audio);

// Highest sample peak after 4x band-limited interpolation, in dBTP.
double truePeakDb(const Stereo& audio);

// Look-ahead peak limiter on the interpolated signal, treating the buffer
// as a loop. The gain never rises above 1 and moves smoothly, so it only
// shaves the few loudest transients (thunder cracks, hard pops).
void limitTruePeak(Stereo& audio, double ceilingDb);

// Scales to the target loudness with peaks held under the ceiling; repeats
// gain and limiting until the measured loudness is within 0.05 LU.
void normalise(Stereo& audio, double targetLufs, double ceilingDb);

// Subtracts each channel's mean.
void removeDc(Stereo& audio);

// Fades the first and last `seconds` from and to silence with a raised
// cosine, so a restart after a pause starts and ends in quiet.
void fadeEnds(Stereo& audio, double seconds);

// Interleaved 16-bit samples with triangular dither from a fixed seed.
std::vector<int16_t> toPcm16(const Stereo& audio, uint64_t ditherSeed);

}  // namespace sound
