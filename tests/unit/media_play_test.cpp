// The media player control: its device alias, device type, volume scale and
// status words, and a real device playing a short sound in the lab.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <cmath>
#include <cwctype>
#include <set>

#include "test_support.h"
#include "ui/control_table.h"
#include "ui/media_play.h"

namespace {

TEST(MediaPlayRules, DeviceTypeComesFromUpToThreeLowerCaseCharactersAfterTheLastDot) {
    EXPECT_EQ(deviceTypeFor(L"C:\\Temp\\\\tmmmA01.tmp"), L"MPEGvideo");
    EXPECT_EQ(deviceTypeFor(L"song.MP3"), L"MPEGvideo");
    EXPECT_EQ(deviceTypeFor(L"C:\\a.b\\noextension"), L"MPEGvideo");
    EXPECT_EQ(deviceTypeFor(L"beep.WAV"), L"waveaudio");
    EXPECT_EQ(deviceTypeFor(L"tune.midi"), L"sequencer");  // "mid"
    EXPECT_EQ(deviceTypeFor(L"x.wavy"), L"waveaudio");     // "wav"
}

TEST(MediaPlayRules, AliasIsTheGuidTextWithoutDashes) {
    const GUID guid{0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
    EXPECT_EQ(aliasFromGuid(guid), L"123456789abcdef00123456789abcdef");
}

TEST(MediaPlayRules, VolumesAreScaledByTenAndOutOfRangeSidesAreSkipped) {
    EXPECT_EQ(deviceVolume(0), 0);
    EXPECT_EQ(deviceVolume(57), 570);
    EXPECT_EQ(deviceVolume(100), 1000);
    EXPECT_EQ(deviceVolume(101), std::nullopt);
    EXPECT_EQ(deviceVolume(-1), std::nullopt);
    // Ten times this wraps to 4 in 32 bits; it must not reach the device.
    EXPECT_EQ(deviceVolume(429496730), std::nullopt);
}

TEST(MediaPlayRules, StatusWordsMapToTheirNumbers) {
    EXPECT_EQ(statusFromMode(L"playing"), kMediaPlaying);
    EXPECT_EQ(statusFromMode(L"stopped"), kMediaStopped);
    EXPECT_EQ(statusFromMode(L"paused"), kMediaPaused);
    EXPECT_EQ(statusFromMode(L"seeking"), kMediaOther);
    EXPECT_EQ(statusFromMode(L"Playing"), kMediaOther);
}

// A few seconds of a quiet tone as a WAV file with the track files' extension.
std::string toneWave(int seconds) {
    const int rate = 22050;
    const int samples = rate * seconds;
    std::string data;
    for (int i = 0; i < samples; ++i) {
        const auto value = static_cast<int16_t>(2000 * std::sin(i * 2 * 3.14159 * 440 / rate));
        data.push_back(static_cast<char>(value & 0xFF));
        data.push_back(static_cast<char>((value >> 8) & 0xFF));
    }
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + data.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
           u32(rate * 2) + u16(2) + u16(16) + "data" + u32(data.size()) + data;
}

TEST(MediaPlay, EachPlayerHasItsOwnAliasAndClosesItsDeviceWhenDestroyed) {
    test::ScratchFolder folder(L"media");
    const std::wstring track = folder.file(L"tmmmA01.tmp");
    test::writeBytes(track, toneWave(4));

    std::wstring alias;
    {
        test::TestForm form(BindingTable{nullptr, 0});
        ASSERT_NE(form.window(), nullptr);
        std::set<std::wstring> aliases;
        for (uint32_t id : ids::player) {
            const MediaPlayState* state = mediaPlayState(form.control(id));
            ASSERT_NE(state, nullptr);
            EXPECT_EQ(state->deviceAlias.size(), 32u);
            for (wchar_t c : state->deviceAlias) EXPECT_TRUE(std::iswxdigit(c));
            aliases.insert(state->deviceAlias);
        }
        EXPECT_EQ(aliases.size(), 6u);
        EXPECT_EQ(mediaPlayState(form.control(ids::brandLabel)), nullptr);

        HWND player = form.control(ids::player[0]);
        alias = mediaPlayState(player)->deviceAlias;
        EXPECT_EQ(mediaGetStatus(player), kMediaOther);  // nothing open
        EXPECT_FALSE(mediaPlay(player));
        EXPECT_FALSE(mediaStop(player));

        ASSERT_TRUE(mediaOpen(player, track));
        EXPECT_EQ(mediaPlayState(player)->lastFile, track);
        EXPECT_EQ(mediaPlayState(player)->deviceType, L"MPEGvideo");
        EXPECT_TRUE(mediaPlay(player));
        EXPECT_TRUE(test::pumpUntil([&] { return mediaGetStatus(player) == kMediaPlaying; }, 5000));
        mediaSetVolume(player, 57, 57);
        EXPECT_EQ(mediaGetStatus(player), kMediaPlaying);
        EXPECT_TRUE(mediaStop(player));
        EXPECT_EQ(mediaGetStatus(player), kMediaStopped);
        // A closed device holds its file no more: the file can be rewritten.
        EXPECT_TRUE(mediaClose(player));
        EXPECT_EQ(mediaGetStatus(player), kMediaOther);
        EXPECT_FALSE(mediaClose(player));
        test::writeBytes(track, toneWave(4));
        ASSERT_TRUE(mediaOpen(player, track));
        // Reopening closes the earlier device first, under the same alias.
        EXPECT_TRUE(mediaOpen(player, track));
        EXPECT_TRUE(mediaPlay(player, 0));
        EXPECT_TRUE(test::pumpUntil([&] { return mediaGetStatus(player) == kMediaPlaying; }, 5000));
    }
    wchar_t answer[64];
    EXPECT_NE(mciSendStringW((L"status " + alias + L" mode").c_str(), answer, 64, nullptr), 0u);
}

}  // namespace
