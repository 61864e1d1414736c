// The temporary files through which the media players play the embedded
// tracks: written just before a player opens them, deleted once it plays.
#pragma once

#include <string>
#include <string_view>

// The temporary directory as reported, with a backslash appended when it
// lacks one; empty stays empty.
std::wstring withTrailingBackslash(std::wstring_view directory);

// Sets tempDir (empty when the query fails or the directory does not fit a
// 260-character buffer) and trackPath1..6 = tempDir + the track's file name.
void prepareTrackPaths();

// trackPathN as prepared; empty before the paths are prepared.
const std::wstring& trackPath(int channel);

// Writes track N's whole embedded block to trackPathN, truncating an earlier
// file. False when the path is empty, the file cannot be opened (another
// handle holds it, say; its content then stays) or the write fails (the
// partly written file is left). Nothing is shown to the user.
bool writeTrackFile(int channel);

// Deletes trackPathN; the platform's success flag.
bool deleteTrackFile(int channel);
