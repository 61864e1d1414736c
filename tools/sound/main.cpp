// Track generator: renders the six nature scenes to WAV, names the LAME
// options each is encoded with, and puts the ID3v2.3 tag in front of
// LAME's output. make-tracks.sh drives it.
//
//   sound-gen list                      channel, file, sample rate, bit rate
//   sound-gen lame-options N            LAME options for track N
//   sound-gen render N out.wav [--layers]
//   sound-gen tag N encoded.mp3 out.mp3

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "id3.h"
#include "master.h"
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
  Stereo (*render)(const SceneContext&);
};

const Track kTracks[] = {
    {1, "01-birdsong.mp3", 44100, 256, 290.0, 0x0b1d5e6d, sound::renderBirdsong},
    {2, "02-campfire.mp3", 48000, 320, 60.0, 0x0f12ec4a, sound::renderCampfire},
    {3, "03-rain.mp3", 44100, 320, 120.0, 0x0a17d209, sound::renderRain},
    {4, "04-thunder.mp3", 44100, 320, 318.0, 0x7d0e1217, sound::renderThunder},
    {5, "05-waves.mp3", 44100, 320, 130.0, 0x05ea5105, sound::renderWaves},
    {6, "06-insects.mp3", 48000, 320, 58.0, 0x0c1c4e75, sound::renderInsects},
};

constexpr double kTargetLufs = -23.0;
// The MP3 round trip can add a few tenths of a dB to the peaks; this leaves
// room under the -2 dBTP that the decoded file must keep.
constexpr double kCeilingDbtp = -3.2;
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
  sound::normalise(audio, kTargetLufs, kCeilingDbtp);
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

int usage() {
  std::fprintf(stderr,
               "usage: sound-gen list | lame-options N | render N out.wav [--layers]"
               " | tag N encoded.mp3 out.mp3\n");
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
