// The default mix: the six tracks at unit gain, each looping on its own with
// a pause between passes, as the player plays them when no volume is stored.
// Its peak must stay clear of full scale, because the platform adds the six
// streams and clips the sum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sound {

// The mix is judged at the rate the platform's mixer commonly runs at, with
// the first pass of each track and every pause up to three seconds long, over
// more alignments than the checks need.
constexpr int kMixRate = 48000;
constexpr double kMixMaxShiftSeconds = 3.0;
constexpr int kMixAlignments = 24;
constexpr uint64_t kMixSeed = 0x6d17;

// A track decoded to interleaved stereo float samples at the mix rate.
struct DecodedTrack {
  std::string name;
  std::vector<float> samples;
  size_t frames() const { return samples.size() / 2; }
};

// Decodes an MP3 (or any file ffmpeg reads) to stereo at `rate`; false when
// ffmpeg fails or gives nothing.
bool decodeTrack(const std::string& path, int rate, DecodedTrack& out);

// Where each pass of one track starts in the mix, in frames. The passes run
// back to back with a pause between them.
using PassStarts = std::vector<size_t>;

// One way the loops can fall against each other: the first pass of each
// track starts after up to `maxShift` frames, and each later pass after a
// pause of up to `maxShift` frames (the player's loop check finds a finished
// track within three seconds). Alignment 0 is every start together with no
// pauses; the others are drawn from `seed` + index.
std::vector<PassStarts> alignment(const std::vector<size_t>& trackFrames,
                                  size_t mixFrames, size_t maxShift,
                                  uint64_t seed, int index);

struct MixPeak {
  double peak = 0;      // largest |sample| of the sum, either channel
  size_t frame = 0;     // where it is
  int channel = 0;      // 0 left, 1 right
};

// Sums the tracks at unit gain as `starts` places them, over `mixFrames`
// frames, and returns the sum's sample peak. Works in short blocks so the
// sum never leaves the cache.
MixPeak mixPeak(const std::vector<DecodedTrack>& tracks,
                const std::vector<PassStarts>& starts, size_t mixFrames);

// The default mix of the tracks (decoded at `rate`): alignment `index`,
// over the longest track plus the largest shift, so that every track plays
// at least one whole pass.
size_t defaultMixFrames(const std::vector<DecodedTrack>& tracks, int rate);
std::vector<PassStarts> defaultMixAlignment(const std::vector<DecodedTrack>& tracks,
                                            int rate, int index);

// The default mix's peak for each of the kMixAlignments alignments.
std::vector<MixPeak> defaultMixPeaks(const std::vector<DecodedTrack>& tracks, int rate);

}  // namespace sound
