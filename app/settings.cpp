#include "app/settings.h"

#include <windows.h>

#include <vector>

#include "app/program_state.h"

namespace {

constexpr DWORD kValueBufferChars = 10240;
constexpr wchar_t kSection[] = L"config";
constexpr UINT kGbkCodePage = 936;

std::wstring_view skipLeadingControls(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] >= 1 && text[i] <= 32) ++i;
    return text.substr(i);
}

std::wstring channelKey(int channel) {
    return L"v" + std::to_wstring(channel);
}

bool isGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// Full-width forms of the GBK code page become their ASCII forms, pair by pair.
std::string fullWidthToAscii(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (!isGbkLeadByte(lead) || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail & 0x7F));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else {
            out.push_back(text[i]);
            out.push_back(text[i + 1]);
        }
        ++i;
    }
    return out;
}

// A wide text in the given code page; empty when it has no such form.
std::string narrowForm(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int wideLength = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), wideLength,
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), wideLength, narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

// The code page that gives the wide read's text back as the bytes an ANSI
// read would see: the ANSI code page, but for the UTF-8 one (Windows 10 and
// 11's "Use Unicode UTF-8 for worldwide language support"), whose forms of
// the full-width digits the number rules do not know, so that every value
// written with them would read as 0. There the text goes to GBK, the
// program's own code page, as on a Chinese system.
UINT narrowingCodePage() {
    const UINT ansi = GetACP();
    return ansi == CP_UTF8 ? kGbkCodePage : ansi;
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr wchar_t kMixSection[] = L"mix";

std::wstring presetSection(int slot) {
    return L"preset" + std::to_wstring(slot);
}

// A value of the new sections, read strictly: plain decimal digits from
// lowest to highest, or nothing (missing, empty, signed, other text or out
// of range). The platform has trimmed the blanks around it already.
std::optional<int32_t> strictSetting(const std::wstring& section, const std::wstring& key,
                                     int32_t lowest, int32_t highest) {
    const std::wstring text = readSetting(programState().settingsPath, section, key, L"");
    if (text.empty() || text.size() > 3) return std::nullopt;
    int32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

void writeQuietly(const std::wstring& section, const std::wstring& key, int32_t value) {
    const bool written =
        writeSetting(programState().settingsPath, section, key, std::to_wstring(value));
    (void)written;  // as with the volumes: a failed write is silent
}

}  // namespace

std::wstring executablePath() {
    // The module path can exceed MAX_PATH; grow the buffer until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(),
                                                static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring buildSettingsPath() {
    std::wstring path = executablePath();
    const size_t slash = path.find_last_of(L'\\');
    path.erase(slash == std::wstring::npos ? 0 : slash);
    return path + L"\\config.ini";
}

std::wstring readSetting(std::wstring_view path, std::wstring_view section,
                         std::wstring_view key, std::wstring_view defaultText) {
    const std::wstring file(skipLeadingControls(path));
    const std::wstring sectionName(skipLeadingControls(section));
    const std::wstring keyName(skipLeadingControls(key));
    if (file.empty() || sectionName.empty() || keyName.empty()) return {};

    std::vector<wchar_t> buffer(kValueBufferChars);
    const std::wstring fallback(defaultText);
    const DWORD length = GetPrivateProfileStringW(sectionName.c_str(), keyName.c_str(),
                                                  fallback.c_str(), buffer.data(),
                                                  kValueBufferChars, file.c_str());
    return std::wstring(buffer.data(), length);
}

bool writeSetting(const std::wstring& path, const std::wstring& section,
                  const std::wstring& key, const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                      path.c_str()) != FALSE;
}

int32_t textToInteger(std::string_view gbkText) {
    const std::string text = fullWidthToAscii(gbkText);
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^32 without the undefined behaviour
    // of a signed overflow; the bits are those of a wrapping 32-bit int.
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

void loadVolumes() {
    ProgramState& state = programState();
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        // The value as an ANSI read gives it. The wide read decoded the
        // file's bytes with the ANSI code page, so that code page gives the
        // stored bytes back, GBK text even on a system with another code
        // page. The ANSI read holds at most 10239 bytes; the wide read counts
        // characters, so a long value with double-byte characters is cut
        // here, where that read would cut it.
        std::string value =
            narrowForm(readSetting(state.settingsPath, kSection, channelKey(channel), L"-1"),
                       narrowingCodePage());
        if (value.size() >= kValueBufferChars) value.resize(kValueBufferChars - 1);
        state.volumes[channel - 1] = textToInteger(std::string_view(value));
    }
    // -1 stands for "nothing stored"; any other value stays as read.
    for (int32_t& volume : state.volumes)
        if (volume == -1) volume = kDefaultVolume;
}

void saveVolume(int channel, int32_t value) {
    const bool written = writeSetting(programState().settingsPath, kSection,
                                      channelKey(channel), std::to_wstring(value));
    (void)written;  // a failed write changes nothing in memory and is not shown
}

MixSettings loadMixSettings() {
    MixSettings mix;
    mix.master = strictSetting(kMixSection, L"master", 0, 100).value_or(mix.master);
    mix.drift = strictSetting(kMixSection, L"drift", 0, 1).value_or(0) == 1;
    mix.startHidden = strictSetting(kMixSection, L"hidden", 0, 1).value_or(0) == 1;
    return mix;
}

void saveMaster(int32_t percent) {
    writeQuietly(kMixSection, L"master", percent);
}

void saveDrift(bool on) {
    writeQuietly(kMixSection, L"drift", on ? 1 : 0);
}

void saveStartHidden(bool on) {
    writeQuietly(kMixSection, L"hidden", on ? 1 : 0);
}

std::optional<ChannelVolumes> loadPreset(int slot) {
    ChannelVolumes volumes{};
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const std::optional<int32_t> volume =
            strictSetting(presetSection(slot), channelKey(channel), 0, 100);
        if (!volume) return std::nullopt;
        volumes[static_cast<size_t>(channel - 1)] = *volume;
    }
    return volumes;
}

void savePreset(int slot, const ChannelVolumes& volumes) {
    for (int channel = 1; channel <= kChannelCount; ++channel)
        writeQuietly(presetSection(slot), channelKey(channel),
                     volumes[static_cast<size_t>(channel - 1)]);
}
