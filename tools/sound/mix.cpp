#include "mix.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp.h"

namespace sound {

bool decodeTrack(const std::string& path, int rate, DecodedTrack& out) {
  // The path goes into a shell command: refuse what would need quoting
  // beyond single quotes.
  if (path.find('\'') != std::string::npos) return false;
  std::string command = "ffmpeg -nostdin -v error -i '" + path +
                        "' -f f32le -ac 2 -ar " + std::to_string(rate) + " -";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  out.name = path.substr(path.find_last_of('/') + 1);
  out.samples.clear();
  float buffer[8192];
  size_t got;
  while ((got = std::fread(buffer, sizeof(float), 8192, pipe)) > 0) {
    out.samples.insert(out.samples.end(), buffer, buffer + got);
  }
  int status = pclose(pipe);
  out.samples.resize(out.samples.size() / 2 * 2);
  return status == 0 && !out.samples.empty();
}

std::vector<PassStarts> alignment(const std::vector<size_t>& trackFrames,
                                  size_t mixFrames, size_t maxShift,
                                  uint64_t seed, int index) {
  Rng rng(seed + static_cast<uint64_t>(index));
  auto shift = [&] {
    return index == 0 ? size_t{0}
                      : static_cast<size_t>(rng.uniform() * (maxShift + 1));
  };
  std::vector<PassStarts> starts;
  for (size_t frames : trackFrames) {
    PassStarts passes;
    for (size_t at = shift(); at < mixFrames; at += frames + shift()) {
      passes.push_back(at);
    }
    starts.push_back(passes);
  }
  return starts;
}

MixPeak mixPeak(const std::vector<DecodedTrack>& tracks,
                const std::vector<PassStarts>& starts, size_t mixFrames) {
  constexpr size_t kBlockFrames = 4096;
  std::vector<float> sum(2 * kBlockFrames);
  std::vector<size_t> nextPass(tracks.size(), 0);
  MixPeak result;
  for (size_t block = 0; block < mixFrames; block += kBlockFrames) {
    const size_t blockEnd = std::min(block + kBlockFrames, mixFrames);
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (size_t t = 0; t < tracks.size(); ++t) {
      const PassStarts& passes = starts[t];
      const size_t length = tracks[t].frames();
      // Passes that ended before this block are done with for good.
      while (nextPass[t] < passes.size() &&
             passes[nextPass[t]] + length <= block) {
        ++nextPass[t];
      }
      for (size_t p = nextPass[t]; p < passes.size() && passes[p] < blockEnd; ++p) {
        const size_t from = std::max(block, passes[p]);
        const size_t to = std::min(blockEnd, passes[p] + length);
        if (from >= to) continue;
        const float* src = tracks[t].samples.data() + 2 * (from - passes[p]);
        float* dst = sum.data() + 2 * (from - block);
        const size_t count = 2 * (to - from);
        for (size_t i = 0; i < count; ++i) dst[i] += src[i];
      }
    }
    // A plain maximum first (it vectorises); the place only when it is new.
    const size_t count = 2 * (blockEnd - block);
    float blockPeak = 0.0f;
    for (size_t i = 0; i < count; ++i) blockPeak = std::max(blockPeak, std::abs(sum[i]));
    if (blockPeak > result.peak) {
      const size_t i = static_cast<size_t>(
          std::find_if(sum.begin(), sum.end(),
                       [&](float v) { return std::abs(v) == blockPeak; }) -
          sum.begin());
      result.peak = blockPeak;
      result.frame = block + i / 2;
      result.channel = static_cast<int>(i % 2);
    }
  }
  return result;
}

namespace {

std::vector<size_t> trackFrames(const std::vector<DecodedTrack>& tracks) {
  std::vector<size_t> frames;
  for (const DecodedTrack& t : tracks) frames.push_back(t.frames());
  return frames;
}

size_t maxShiftFrames(int rate) {
  return static_cast<size_t>(kMixMaxShiftSeconds * rate);
}

}  // namespace

size_t defaultMixFrames(const std::vector<DecodedTrack>& tracks, int rate) {
  size_t longest = 0;
  for (const DecodedTrack& t : tracks) longest = std::max(longest, t.frames());
  return longest + maxShiftFrames(rate);
}

std::vector<PassStarts> defaultMixAlignment(const std::vector<DecodedTrack>& tracks,
                                            int rate, int index) {
  return alignment(trackFrames(tracks), defaultMixFrames(tracks, rate),
                   maxShiftFrames(rate), kMixSeed, index);
}

std::vector<MixPeak> defaultMixPeaks(const std::vector<DecodedTrack>& tracks, int rate) {
  std::vector<MixPeak> peaks;
  for (int a = 0; a < kMixAlignments; ++a) {
    peaks.push_back(mixPeak(tracks, defaultMixAlignment(tracks, rate, a),
                            defaultMixFrames(tracks, rate)));
  }
  return peaks;
}

}  // namespace sound
