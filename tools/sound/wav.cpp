#include "wav.h"

#include <cstdio>

namespace sound {

namespace {

void putLe(std::vector<unsigned char>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back((value >> (8 * i)) & 0xff);
}

}  // namespace

bool writeWav16(const std::string& path, int rate,
                const std::vector<int16_t>& interleaved) {
  const uint32_t channels = 2, bits = 16;
  const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
  std::vector<unsigned char> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  putLe(header, 36 + dataBytes, 4);
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  putLe(header, 16, 4);
  putLe(header, 1, 2);  // integer PCM
  putLe(header, channels, 2);
  putLe(header, rate, 4);
  putLe(header, rate * channels * bits / 8, 4);
  putLe(header, channels * bits / 8, 2);
  putLe(header, bits, 2);
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  putLe(header, dataBytes, 4);

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  std::vector<unsigned char> body;
  body.reserve(dataBytes);
  for (int16_t s : interleaved) putLe(body, static_cast<uint16_t>(s), 2);
  ok = ok && std::fwrite(body.data(), 1, body.size(), f) == body.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace sound
