#include "mixer/track_table.h"

#include "assets/track_ids.h"

// The file names begin with a backslash although the temporary directory
// ends in one; the doubled separator is harmless to the file and media
// functions, and the names are kept as they have always been.
const std::array<Track, kChannelCount> kTracks = {{
    {1, L"鸟语花香", L"\\tmmmA01.tmp", IDR_TRACK1},
    {2, L"篝火星夜", L"\\tmmmA02.tmp", IDR_TRACK2},
    {3, L"春雨细细", L"\\tmmmA03.tmp", IDR_TRACK3},
    {4, L"冬雷阵阵", L"\\tmmmA04.tmp", IDR_TRACK4},
    {5, L"惊涛拍岸", L"\\tmmmA05.tmp", IDR_TRACK5},
    {6, L"夏夜虫鸣", L"\\tmmmA06.tmp", IDR_TRACK6},
}};

const Track& trackOf(int channel) {
    return kTracks.at(static_cast<size_t>(channel - 1));
}
