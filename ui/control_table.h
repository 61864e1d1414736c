// The main window's definition: its identifiers and the 29 controls, six of
// them for each channel.
#pragma once

#include <array>
#include <cstdint>

#include "ui/form_definition.h"

// Channel N (1..6) is the row N - 1 of each channel array below: its name
// label, its slider and its player; track N, its temporary file and the
// settings key "vN" belong to it too.
constexpr int kChannelCount = 6;

namespace ids {

constexpr uint32_t mainWindow = 0x52010001;
constexpr uint32_t mainWindowUnit = 0x06010000;

constexpr uint32_t brandLabel = 0x1601027B;
constexpr uint32_t edgeHotSpot = 0x16010233;
constexpr uint32_t leftFlowerHotSpot = 0x1601022B;
constexpr uint32_t meadowHotSpot = 0x16010223;
constexpr uint32_t poppyHotSpot = 0x1601021B;
constexpr uint32_t girlHotSpot = 0x16010213;
constexpr uint32_t boyHotSpot = 0x160101F1;
constexpr uint32_t loopTimer = 0x16010176;
constexpr uint32_t helpLabel = 0x16010170;
constexpr uint32_t minimizeLabel = 0x16010167;
constexpr uint32_t closeLabel = 0x16010166;

using ChannelIds = std::array<uint32_t, kChannelCount>;
constexpr ChannelIds volumeBar = {0x16010151, 0x16010159, 0x1601015A,
                                  0x1601015B, 0x1601015C, 0x1601015D};
constexpr ChannelIds channelLabel = {0x1601014C, 0x1601014D, 0x1601014E,
                                     0x1601014F, 0x16010150, 0x1601015E};
constexpr ChannelIds player = {0x16010127, 0x1601012B, 0x16010136,
                               0x1601013D, 0x16010142, 0x16010165};

}  // namespace ids

constexpr wchar_t kMainWindowText[] = L"墨川大自然背景音";
constexpr int kMainWindowWidth = 770;
constexpr int kMainWindowHeight = 445;

const FormDefinition& mainWindowDefinition();
