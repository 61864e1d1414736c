// The settings file: config.ini beside the executable, section "config",
// keys "v1" to "v6" holding the six channel volumes as decimal text; beside
// it the mix's own settings (section "mix") and the user's three mixes
// (sections "preset1" to "preset3", keys "v1" to "v6").
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/control_table.h"

constexpr int32_t kDefaultVolume = 100;

// The running executable's full path; empty if the system cannot tell it.
std::wstring executablePath();

// Directory of the running executable (no trailing backslash) + "\config.ini".
std::wstring buildSettingsPath();

// Reads one value of an INI file. Leading characters with codes 1 to 32 are
// skipped in the path, the section and the key; if any is then empty, the
// result is empty without reading. The platform returns the default for a
// missing file, section or key, and trims blanks and one pair of quotes.
std::wstring readSetting(std::wstring_view path, std::wstring_view section,
                         std::wstring_view key, std::wstring_view defaultText);

// Writes one value; creates the file and the section when missing, replaces
// the key's line in place and leaves every other line alone.
bool writeSetting(const std::wstring& path, const std::wstring& section,
                  const std::wstring& key, const std::wstring& value);

// Parses a decimal integer from text in the GBK code page: full-width digits,
// signs and spaces count as their ASCII forms, leading white space is
// skipped, one sign is taken, digits are read up to the first non-digit. No
// digit gives 0. There is no overflow check: the value wraps modulo 2^32.
int32_t textToInteger(std::string_view gbkText);

// Fills the program's volumes from its settings path: keys "v1".."v6" read
// with the default "-1", and every -1 replaced by the default volume 100.
void loadVolumes();

// Stores the volume of channel 1..6 under its key, as "%d" writes it. The
// result of the write is deliberately not looked at: a failed write is silent.
void saveVolume(int channel, int32_t value);

// The mix's settings; a missing or bad value reads as its default, so a
// file without the section is read as the defaults.
struct MixSettings {
    int32_t master = 100;      // "master": the level over all channels, 0..100 %
    bool drift = false;        // "drift": 0 or 1, levels that wander
    bool startHidden = false;  // "hidden": 0 or 1, start in the notification area only
};

MixSettings loadMixSettings();

// Each stores one of the mix's settings, silently, as saveVolume does.
void saveMaster(int32_t percent);
void saveDrift(bool on);
void saveStartHidden(bool on);

using ChannelVolumes = std::array<int32_t, kChannelCount>;

// The user's mix in slot 1..3: held only if all six keys hold a volume of
// 0 to 100 as plain decimal digits; otherwise the slot is empty.
std::optional<ChannelVolumes> loadPreset(int slot);

// Stores the six volumes in slot 1..3.
void savePreset(int slot, const ChannelVolumes& volumes);
