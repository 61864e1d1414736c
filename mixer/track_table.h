// The six nature tracks, one per channel, and their temporary file names.
#pragma once

#include "ui/control_table.h"

struct Track {
    const wchar_t* fileName;  // appended to the temporary directory
    int resourceId;           // the embedded MP3 block
};

// The track of channel 1..6.
const Track& trackOf(int channel);
