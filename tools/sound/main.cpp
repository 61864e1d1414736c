// Track generator: renders the six nature scenes to WAV, names the LAME
// options each is encoded with, and puts the ID3v2.3 tag in front of
// LAME's output. make-tracks.sh drives it.
//
//   sound-gen list                      channel, file, sample rate, bit rate
//   sound-gen lame-options N            LAME options for track N
//   sound-gen render N out.wav [--layers]
//   sound-gen tag N encoded.mp3 out.mp3
//   sound-gen mix-peak [--rate HZ] file.mp3...
//                                       peak of the default mix of the files

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "id3.h"
#include "master.h"
#include "mix.h"
#include "scenes.h"
#include "wav.h"

namespace {

using sound::SceneContext;
using sound::Stereo;

struct Track {
  int channel;
  const char* file;
  int sampleRate;
  int kbps;
  double seconds;
  uint32_t seed;
  double ceilingDbtp;  // true-peak ceiling of the limiter
  Stereo (*render)(const SceneContext&);
};

// With no volume stored all six play at full volume and the platform adds
// them, clipping at full scale; the loudness target and the ceilings leave
// the sum room. Every ceiling sits 19.8 dB above the loudness target, where
// the limiter only touches the hardest transients, except for the two
// tracks whose peaks land in the sum's loudest moments: thunder claps and
// wave breaks are held 3.3 dB lower, still gently (the gain dips with 2 ms
// of look-ahead and recovers over 150 ms, so a clap keeps its shape).
// Rain and insects get 1.3 dB less room for the odd stacked tick or call.
const Track kTracks[] = {
    {1, "01-birdsong.mp3", 44100, 256, 290.0, 0x0b1d5e6d, -7.2, sound::renderBirdsong},
    {2, "02-campfire.mp3", 48000, 320, 60.0, 0x0f12ec4a, -7.2, sound::renderCampfire},
    {3, "03-rain.mp3", 44100, 320, 120.0, 0x0a17d209, -8.5, sound::renderRain},
    {4, "04-thunder.mp3", 44100, 320, 318.0, 0x7d0e1217, -10.5, sound::renderThunder},
    {5, "05-waves.mp3", 44100, 320, 130.0, 0x05ea5105, -10.5, sound::renderWaves},
    {6, "06-insects.mp3", 48000, 320, 58.0, 0x0c1c4e75, -8.5, sound::renderInsects},
};

// Four LU under the usual -23 for such tracks: the quiet end of the
// guideline, which the six need to add up under full scale.
constexpr double kTargetLufs = -27.0;
// Both ends fade from and to silence, because the player restarts a track
// after a pause of up to three seconds.
constexpr double kEdgeFadeSeconds = 1.2;
constexpr const char* kGenerator = "heyu-sound v1";
constexpr size_t kTagBytes = 140;

const Track* findTrack(const char* arg) {
  int channel = std::atoi(arg);
  for (const Track& t : kTracks) {
    if (t.channel == channel) return &t;
  }
  std::fprintf(stderr, "no track %s\n", arg);
  return nullptr;
}

std::string lameOptions(const Track& t) {
  return "-b " + std::to_string(t.kbps) + " --cbr -q 2 -m j";
}

int render(const Track& t, const char* outPath, bool reportLayers) {
  SceneContext ctx;
  ctx.rate = t.sampleRate;
  ctx.frames = static_cast<size_t>(t.seconds * t.sampleRate);
  ctx.seed = t.seed;
  ctx.reportLayers = reportLayers;
  Stereo audio = t.render(ctx);
  sound::removeDc(audio);
  sound::fadeEnds(audio, kEdgeFadeSeconds);
  if (reportLayers) {
    std::printf("  %-12s %7.2f LUFS %7.2f dBTP (before normalising)\n", "mix",
                sound::integratedLoudness(audio), sound::truePeakDb(audio));
  }
  sound::normalise(audio, kTargetLufs, t.ceilingDbtp);
  if (!sound::writeWav16(outPath, t.sampleRate, sound::toPcm16(audio, t.seed ^ 0xd1e5))) {
    std::fprintf(stderr, "cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

int tag(const Track& t, const char* encodedPath, const char* outPath) {
  char seed[16];
  std::snprintf(seed, sizeof seed, "%08x", t.seed);
  sound::TrackTag tagInfo;
  tagInfo.userTexts = {{"track", std::to_string(t.channel)},
                       {"generator", kGenerator},
                       {"seed", seed}};
  tagInfo.encoderSettings = "LAME 3.100 " + lameOptions(t);
  std::vector<unsigned char> bytes = sound::buildId3v23(tagInfo);
  if (bytes.size() != kTagBytes) {
    std::fprintf(stderr, "tag is %zu bytes, not %zu\n", bytes.size(), kTagBytes);
    return 1;
  }
  std::ifstream in(encodedPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", encodedPath);
    return 1;
  }
  bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in),
               std::istreambuf_iterator<char>());
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

// Prints the peak of the unit-gain sum of the files for each alignment of
// their loops, the worst of them, and what each track gives at that moment.
int mixPeakReport(int rate, const std::vector<std::string>& paths) {
  std::vector<sound::DecodedTrack> tracks(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    if (!sound::decodeTrack(paths[i], rate, tracks[i])) {
      std::fprintf(stderr, "cannot decode %s\n", paths[i].c_str());
      return 1;
    }
  }
  auto db = [](double v) { return 20.0 * std::log10(std::max(v, 1e-9)); };
  std::vector<sound::MixPeak> peaks = sound::defaultMixPeaks(tracks, rate);
  std::vector<double> sorted;
  int worst = 0;
  for (int a = 0; a < static_cast<int>(peaks.size()); ++a) {
    std::printf("alignment %2d: %6.2f dBFS at %6.2f s\n", a, db(peaks[a].peak),
                static_cast<double>(peaks[a].frame) / rate);
    sorted.push_back(db(peaks[a].peak));
    if (peaks[a].peak > peaks[worst].peak) worst = a;
  }
  std::sort(sorted.begin(), sorted.end());
  std::printf("peak over %zu alignments at %d Hz: lowest %.2f, median %.2f, "
              "highest %.2f dBFS\n", sorted.size(), rate, sorted.front(),
              sorted[sorted.size() / 2], sorted.back());
  const sound::MixPeak& p = peaks[worst];
  std::printf("at the highest peak (%s channel):\n", p.channel ? "right" : "left");
  std::vector<sound::PassStarts> starts = sound::defaultMixAlignment(tracks, rate, worst);
  for (size_t t = 0; t < tracks.size(); ++t) {
    double v = 0;
    for (size_t start : starts[t]) {
      if (start <= p.frame && p.frame < start + tracks[t].frames()) {
        v = tracks[t].samples[2 * (p.frame - start) + p.channel];
      }
    }
    std::printf("  %-18s %+.3f\n", tracks[t].name.c_str(), v);
  }
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: sound-gen list | lame-options N | render N out.wav [--layers]"
               " | tag N encoded.mp3 out.mp3 | mix-peak [--rate HZ] file.mp3...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  if (command == "list") {
    for (const Track& t : kTracks) {
      std::printf("%d %s %d %d\n", t.channel, t.file, t.sampleRate, t.kbps);
    }
    return 0;
  }
  if (command == "mix-peak") {
    int rate = sound::kMixRate;
    int first = 2;
    if (argc > 3 && std::strcmp(argv[2], "--rate") == 0) {
      rate = std::atoi(argv[3]);
      first = 4;
    }
    if (argc <= first || rate <= 0) return usage();
    return mixPeakReport(rate, std::vector<std::string>(argv + first, argv + argc));
  }
  if (argc < 3) return usage();
  const Track* track = findTrack(argv[2]);
  if (!track) return 2;
  if (command == "lame-options") {
    std::printf("%s\n", lameOptions(*track).c_str());
    return 0;
  }
  if (command == "render" && argc >= 4) {
    bool layers = argc >= 5 && std::strcmp(argv[4], "--layers") == 0;
    return render(*track, argv[3], layers);
  }
  if (command == "tag" && argc == 5) return tag(*track, argv[3], argv[4]);
  return usage();
}
