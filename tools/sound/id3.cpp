#include "id3.h"

#include <cstdint>

namespace sound {

namespace {

void putFrame(std::vector<unsigned char>& out, const char id[4],
              const std::string& body) {
  out.insert(out.end(), id, id + 4);
  uint32_t size = static_cast<uint32_t>(body.size());
  // Frame sizes in version 2.3 are plain big-endian, not syncsafe.
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((size >> shift) & 0xff);
  out.push_back(0);  // status flags
  out.push_back(0);  // format flags
  out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

std::vector<unsigned char> buildId3v23(const TrackTag& tag) {
  std::vector<unsigned char> frames;
  const char kLatin1 = 0;
  for (const auto& [description, value] : tag.userTexts) {
    std::string body(1, kLatin1);
    body += description;
    body += '\0';
    body += value;
    putFrame(frames, "TXXX", body);
  }
  putFrame(frames, "TSSE", std::string(1, kLatin1) + tag.encoderSettings);
  frames.insert(frames.end(), tag.padding, 0);

  uint32_t size = static_cast<uint32_t>(frames.size());
  std::vector<unsigned char> out = {'I', 'D', '3', 3, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back((size >> shift) & 0x7f);
  out.insert(out.end(), frames.begin(), frames.end());
  return out;
}

}  // namespace sound
