#include "mixer/track_table.h"

#include "assets/track_ids.h"

namespace {

// Channel N at index N - 1. The file names begin with a backslash although
// the temporary directory ends in one; the doubled separator is harmless to
// the file and media functions, and the names are kept as they have always
// been.
const std::array<Track, kChannelCount> kTracks = {{
    {L"\\tmmmA01.tmp", IDR_TRACK1},
    {L"\\tmmmA02.tmp", IDR_TRACK2},
    {L"\\tmmmA03.tmp", IDR_TRACK3},
    {L"\\tmmmA04.tmp", IDR_TRACK4},
    {L"\\tmmmA05.tmp", IDR_TRACK5},
    {L"\\tmmmA06.tmp", IDR_TRACK6},
}};

}  // namespace

const Track& trackOf(int channel) {
    return kTracks.at(static_cast<size_t>(channel - 1));
}
