// Checks of the generator's measuring, limiting, looping and tagging code,
// against reference signals whose right answers are known independently, and
// of the default mix of the committed tracks (the track folder is the first
// argument).
#include <algorithm>
#include <cstdio>
#include <string>

#include "dsp.h"
#include "id3.h"
#include "master.h"
#include "mix.h"

using namespace sound;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

Stereo sine(int rate, double seconds, double hz, double dbfs, double phase = 0) {
  Stereo s(rate, static_cast<size_t>(seconds * rate));
  double a = dbToGain(dbfs);
  for (size_t i = 0; i < s.size(); ++i) {
    double v = a * std::sin(2 * kPi * hz * i / rate + phase);
    s.left[i] = s.right[i] = v;
  }
  return s;
}

double peakSample(const Stereo& s) {
  double p = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    p = std::max({p, std::abs(s.left[i]), std::abs(s.right[i])});
  }
  return p;
}

// A 1 kHz tone at -23 dBFS in both channels reads -23 LUFS; silence and
// quiet passages are gated out; the K-weighting favours highs over lows.
void loudnessMeter() {
  for (int rate : {44100, 48000}) {
    double l = integratedLoudness(sine(rate, 10, 1000, -23));
    check(std::abs(l + 23.0) < 0.1, "1 kHz reference at " + std::to_string(rate) +
                                        " Hz reads " + std::to_string(l));
  }
  Stereo gated = sine(48000, 20, 1000, -23);
  for (size_t i = 0; i < gated.size() / 2; ++i) gated.left[i] = gated.right[i] = 0;
  check(std::abs(integratedLoudness(gated) + 23.0) < 0.15, "silence is gated out");
  Stereo quiet = sine(48000, 20, 1000, -23);
  for (size_t i = 0; i < quiet.size() / 2; ++i) { quiet.left[i] *= 0.01; quiet.right[i] *= 0.01; }
  check(std::abs(integratedLoudness(quiet) + 23.0) < 0.15, "passages 40 dB down are gated out");
  double low = integratedLoudness(sine(48000, 5, 40, -23));
  double high = integratedLoudness(sine(48000, 5, 4000, -23));
  check(low < -24.0 && high > -22.0, "K-weighting: 40 Hz lower, 4 kHz higher");
}

// A tone at a quarter of the sample rate sampled 45 degrees off its crests
// has sample peaks 3 dB under its true peak.
void truePeak() {
  Stereo s = sine(48000, 1, 12000, -6, kPi / 4);
  double samplePeakDb = 20 * std::log10(peakSample(s));
  double tp = truePeakDb(s);
  check(std::abs(samplePeakDb + 9.0) < 0.1, "reference sample peak");
  check(std::abs(tp + 6.0) < 0.3, "true peak finds the crest between samples: " +
                                      std::to_string(tp));
}

// The limiter holds the ceiling, leaves material under it alone, and
// normalising reaches the loudness target with the peaks held.
void limiterAndNormalise() {
  Stereo s = sine(44100, 4, 440, -20);
  for (size_t i = 44100; i < 44100 + 200; ++i) s.left[i] += 0.9 * std::sin(i * 0.3);
  limitTruePeak(s, -3.0);
  check(truePeakDb(s) <= -2.95, "limited peak under the ceiling: " + std::to_string(truePeakDb(s)));
  Stereo calm = sine(44100, 2, 440, -20);
  Stereo copy = calm;
  limitTruePeak(calm, -3.0);
  check(calm.left == copy.left, "nothing under the ceiling is touched");

  Stereo burst = sine(44100, 10, 1000, -30);
  for (size_t i = 100000; i < 100100; ++i) burst.right[i] += 0.5;
  normalise(burst, -23.0, -3.2);
  check(std::abs(integratedLoudness(burst) + 23.0) < 0.06, "normalised to -23 LUFS");
  check(truePeakDb(burst) <= -3.15, "normalised peaks under -3.2 dBTP");
}

// Loop rendering: the last sample runs into the first as smoothly as any
// two neighbours, for filters, reverbs and slow modulators.
void loopSeams() {
  const int rate = 44100;
  Stereo s(rate, rate * 3);
  uint64_t seed = 7;
  renderLooped(s, [&](size_t i, double& l, double& r) { l = r = hashNoise(seed, i); });
  filterLooped(s, Biquad::lowpass(rate, 200, 0.7));
  double typical = 0;
  for (size_t i = 1; i < s.size(); ++i) typical = std::max(typical, std::abs(s.left[i] - s.left[i - 1]));
  double seam = std::abs(s.left[0] - s.left[s.size() - 1]);
  check(seam <= typical, "low-passed loop joins without a step");

  // An impulse 0.6 s before the end: its tail must carry on across the
  // seam at the level it had just before it.
  Stereo impulse(rate, rate * 2);
  impulse.left[impulse.size() - rate * 6 / 10] = 1.0;
  ReverbSettings rs;
  rs.rt60 = 1.0;
  Stereo wet = reverbLooped(impulse, rs);
  auto energy = [&](size_t from, size_t count) {
    double e = 0;
    for (size_t i = from; i < from + count; ++i) e += wet.left[i] * wet.left[i] + wet.right[i] * wet.right[i];
    return e;
  };
  size_t window = rate / 20;
  double before = energy(wet.size() - window, window), after = energy(0, window);
  check(after > 0.3 * before && after < before, "a reverb tail from the end rings on at the start");

  Rng rng(3);
  PeriodicWobble w(rng, 1000000, rate, 0.01, 0.2, 5);
  check(std::abs(w.at(0) - w.at(1000000)) < 1e-9, "slow modulator is periodic");
  std::vector<double> slow = loopedSlowNoise(rate * 4, rate, 2.0, 11);
  check(std::abs(slow.front() - slow.back()) < 0.01, "slow noise joins itself");
}

// Fades reach silence at both ends; placement keeps power and delays the
// farther ear only.
void edgesAndPlacement() {
  Stereo s = sine(44100, 4, 300, -10);
  fadeEnds(s, 1.0);
  check(s.left.front() == 0 && std::abs(s.left.back()) < 1e-6, "ends faded to silence");
  check(std::abs(s.left[2 * 44100 + 40] - std::sin(2 * kPi * 300 * (2 * 44100 + 40) / 44100.0) *
                 dbToGain(-10)) < 1e-12, "the middle is untouched");
  Placement p = place(0.8, 44100);
  check(std::abs(p.left * p.left + p.right * p.right - 1.0) < 1e-12, "constant power");
  check(p.right > p.left && p.leftDelay > 0 && p.rightDelay == 0, "right source: left ear later");
  Placement c = place(0.0, 44100);
  check(c.leftDelay == 0 && c.rightDelay == 0, "centre source: no delay");
}

// The tag is 140 bytes for the texts the generator writes, its size field
// is syncsafe, and frame sizes are plain big-endian.
void id3Tag() {
  TrackTag tag;
  tag.userTexts = {{"track", "1"}, {"generator", "heyu-sound v1"}, {"seed", "0b1d5e6d"}};
  tag.encoderSettings = "LAME 3.100 -b 256 --cbr -q 2 -m j";
  std::vector<unsigned char> b = buildId3v23(tag);
  check(b.size() == 140, "tag is 140 bytes");
  check(b[0] == 'I' && b[1] == 'D' && b[2] == '3' && b[3] == 3 && b[4] == 0 && b[5] == 0,
        "ID3v2.3 header without flags");
  check(b[6] == 0 && b[7] == 0 && b[8] == 1 && b[9] == 2, "syncsafe size 130");
  check(std::string(b.begin() + 10, b.begin() + 14) == "TXXX" && b[17] == 8,
        "first frame TXXX with its 8-byte body");
  for (size_t i = 130; i < 140; ++i) check(b[i] == 0, "zero padding");

  TrackTag big;
  big.userTexts = {{"note", std::string(300, 'x')}};
  std::vector<unsigned char> g = buildId3v23(big);
  size_t size = (g[6] << 21) | (g[7] << 14) | (g[8] << 7) | g[9];
  check(g[8] < 0x80 && g[9] < 0x80 && size + 10 == g.size(), "large size stays syncsafe");
}

// The mix adds every pass where its alignment puts it, across block edges
// and loop pauses; alignment 0 starts all together, the others within the
// shift.
void mixSum() {
  DecodedTrack a, b;
  a.samples.assign(2 * 5000, 0.0f);
  b.samples.assign(2 * 3000, 0.0f);
  a.samples[2 * 4000 + 1] = 0.5f;   // right channel, frame 4000 of each pass
  b.samples[2 * 10] = -0.25f;       // left
  b.samples[2 * 10 + 1] = -0.25f;   // right
  // a's second pass starts at 6000, so its peak falls on 10000; b's third
  // pass, after pauses, puts its frame 10 there too.
  std::vector<PassStarts> starts = {{0, 6000}, {100, 3500, 9990}};
  MixPeak p = mixPeak({a, b}, starts, 12000);
  check(std::abs(p.peak - 0.5) < 1e-6 && p.frame == 4000, "single pass peak: " +
        std::to_string(p.peak) + " at " + std::to_string(p.frame));
  b.samples[2 * 10 + 1] = 0.25f;
  p = mixPeak({a, b}, starts, 12000);
  check(std::abs(p.peak - 0.75) < 1e-6 && p.frame == 10000 && p.channel == 1,
        "passes meet after a loop: " + std::to_string(p.peak) + " at " + std::to_string(p.frame));
  p = mixPeak({a, b}, starts, 9999);
  check(std::abs(p.peak - 0.5) < 1e-6, "nothing past the end of the mix counts");

  std::vector<size_t> lengths = {5000, 3000};
  std::vector<PassStarts> together = alignment(lengths, 20000, 300, 1, 0);
  check(together[0] == PassStarts({0, 5000, 10000, 15000}), "alignment 0 has no pauses");
  bool within = true;
  for (int index = 1; index < 20; ++index) {
    std::vector<PassStarts> shifted = alignment(lengths, 20000, 300, 1, index);
    for (size_t t = 0; t < lengths.size(); ++t) {
      within = within && shifted[t][0] <= 300;
      for (size_t k = 1; k < shifted[t].size(); ++k) {
        size_t pause = shifted[t][k] - shifted[t][k - 1] - lengths[t];
        within = within && pause <= 300;
      }
    }
  }
  check(within, "starts and pauses stay within the shift");
}

// With no volume stored every channel plays at full volume and the platform
// adds the six streams, clipping at full scale: the committed tracks must
// leave room for each other however their loops fall.
void defaultMixHeadroom(const std::string& trackDir) {
  const char* names[] = {"01-birdsong.mp3", "02-campfire.mp3", "03-rain.mp3",
                         "04-thunder.mp3", "05-waves.mp3", "06-insects.mp3"};
  constexpr double kMaxMixPeakDbfs = -1.0;
  std::vector<DecodedTrack> tracks(6);
  for (int t = 0; t < 6; ++t) {
    if (!decodeTrack(trackDir + "/" + names[t], kMixRate, tracks[t])) {
      check(false, std::string("decode ") + names[t]);
      return;
    }
  }
  std::vector<MixPeak> peaks = defaultMixPeaks(tracks, kMixRate);
  check(peaks.size() >= 20, "enough alignments");
  double worst = -200;
  for (size_t a = 0; a < peaks.size(); ++a) {
    double db = 20 * std::log10(std::max(peaks[a].peak, 1e-9));
    worst = std::max(worst, db);
    check(db <= kMaxMixPeakDbfs, "default mix, alignment " + std::to_string(a) + ": " +
          std::to_string(db) + " dBFS at " +
          std::to_string(static_cast<double>(peaks[a].frame) / kMixRate) + " s");
  }
  std::printf("default mix peaks at %.2f dBFS at most over %zu alignments\n", worst,
              peaks.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: test-generator TRACK_DIR\n");
    return 2;
  }
  loudnessMeter();
  truePeak();
  limiterAndNormalise();
  loopSeams();
  edgesAndPlacement();
  id3Tag();
  mixSum();
  defaultMixHeadroom(argv[1]);
  if (failures == 0) std::printf("generator checks passed\n");
  return failures == 0 ? 0 : 1;
}
