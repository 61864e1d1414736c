// The six nature tracks, one per channel, and their temporary file names.
#pragma once

#include <array>

#include "app/settings.h"

struct Track {
    int channel;
    const wchar_t* soundName;  // the text of the channel's name label
    const wchar_t* fileName;   // appended to the temporary directory
    int resourceId;            // the embedded MP3 block
};

extern const std::array<Track, kChannelCount> kTracks;

// The track of channel 1..6.
const Track& trackOf(int channel);
