// Minimal 16-bit PCM stereo WAV writer, the input format LAME reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sound {

// Writes interleaved stereo samples; returns false when the file cannot be
// written.
bool writeWav16(const std::string& path, int rate,
                const std::vector<int16_t>& interleaved);

}  // namespace sound
