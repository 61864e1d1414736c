// The ID3v2.3 tag at the head of every track: three user-defined text
// frames and an encoder-settings frame, then a little zero padding.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sound {

struct TrackTag {
  std::vector<std::pair<std::string, std::string>> userTexts;  // TXXX
  std::string encoderSettings;                                 // TSSE
  size_t padding = 10;
};

// Serialises the tag (ISO-8859-1 text, no flags). The 10-byte header holds
// the syncsafe size of everything after it.
std::vector<unsigned char> buildId3v23(const TrackTag& tag);

}  // namespace sound
