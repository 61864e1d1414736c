// The state that lives for the whole run of the process, in one table, and
// the at-exit routine that releases it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shadow/shadow_picture.h"
#include "ui/control_table.h"

struct ProgramState {
    // Mask windows made by the message overlay, in order of creation.
    std::vector<HWND> maskList;

    // Full path of config.ini beside the executable.
    std::wstring settingsPath;

    // The drop shadow's standard rings, 5 and 10 pixels wide, decoded on
    // first use and kept until the end.
    ShadowPicture shadowRing5;
    ShadowPicture shadowRing10;
    // The same rings for the other display scales, by ring width (5 or 10)
    // and picture side, each made once and kept until the end.
    std::map<std::pair<int, int>, ShadowPicture> scaledShadowRings;

    // Stored channel volumes, v1..v6 at index 0..5; never -1 once loaded.
    std::array<int32_t, kChannelCount> volumes{};

    // Mutex found open by another instance; stays null in the instance that runs.
    HANDLE existingInstance = nullptr;

    // The user's temporary directory and the six track files in it.
    std::wstring tempDir;
    std::array<std::wstring, kChannelCount> trackPaths;

    // GDI+ stays started for the whole run; the tokens are only kept.
    ULONG_PTR gdiplusToken1 = 0;
    ULONG_PTR gdiplusToken2 = 0;
};

ProgramState& programState();

// Frees the program-wide items in their fixed order. Registered once at
// process start and run by every orderly end. It deletes no files, keeps the
// mutex and leaves playback alone.
void releaseProgramState();
