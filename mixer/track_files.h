// The temporary files through which the media players play the embedded
// tracks: written just before a player opens them, deleted once it plays.
#pragma once

#include <string>
#include <string_view>

// The temporary directory as reported, with a backslash appended when it
// lacks one; empty stays empty.
std::wstring withTrailingBackslash(std::wstring_view directory);

// Sets tempDir (empty when the query fails or the directory does not fit a
// 260-character buffer) and trackPath1..6 = tempDir + the track's file name;
// with an empty tempDir a path is the file name alone, which begins with a
// backslash and so names the root of the current drive.
void prepareTrackPaths();

// trackPathN as prepared.
const std::wstring& trackPath(int channel);

// Writes track N's whole embedded block to trackPathN, truncating an earlier
// file. False when the file cannot be opened (another handle holds it, say;
// its content then stays, or its folder is gone) or the write fails (the
// partly written file is left). Nothing is shown to the user.
bool writeTrackFile(int channel);

// Whether trackPathN is still the file the last successful write left: the
// same size and last write time.
bool trackFileAsWritten(int channel);

// Deletes trackPathN; the platform's success flag.
bool deleteTrackFile(int channel);
