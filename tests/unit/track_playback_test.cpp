// The real embedded tracks, written to their temporary files, open and play
// to their end in the platform's media player, as the mixer relies on.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "app/program_state.h"
#include "base/embedded_data.h"
#include "mixer/track_files.h"
#include "mixer/track_table.h"
#include "test_support.h"

namespace {

std::wstring mci(const std::wstring& command) {
    wchar_t answer[256] = L"";
    const MCIERROR error = mciSendStringW(command.c_str(), answer, 256, nullptr);
    return error ? L"error " + std::to_wstring(error) : std::wstring(answer);
}

bool waitForMode(const std::wstring& alias, const std::wstring& mode, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (mci(L"status " + alias + L" mode") == mode) return true;
        Sleep(50);
    }
    return false;
}

TEST(EmbeddedTracks, EachPlaysFromItsTemporaryFileToTheEnd) {
    test::ScratchFolder folder(L"playback");
    SetEnvironmentVariableW(L"TMP", folder.path().c_str());
    prepareTrackPaths();
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        SCOPED_TRACE(channel);
        const EmbeddedBlock block = lockEmbeddedBlock(trackOf(channel).resourceId);
        ASSERT_TRUE(block);
        ASSERT_TRUE(writeTrackFile(channel));
        const std::wstring& path = programState().trackPaths[channel - 1];
        const std::string bytes = test::readBytes(path);
        ASSERT_EQ(bytes.size(), block.size);
        EXPECT_EQ(bytes.compare(0, 4, "ID3\x03"), 0);

        const std::wstring alias = L"track" + std::to_wstring(channel);
        MCI_OPEN_PARMSW open{};
        open.lpstrDeviceType = L"MPEGvideo";
        open.lpstrElementName = path.c_str();
        open.lpstrAlias = alias.c_str();
        ASSERT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS,
                                  reinterpret_cast<DWORD_PTR>(&open)), 0u);
        EXPECT_EQ(mci(L"play " + alias), L"");
        EXPECT_TRUE(waitForMode(alias, L"playing", 10000));

        // Jump close to the end rather than listen to the whole track.
        const long length = std::wcstol(mci(L"status " + alias + L" length").c_str(), nullptr, 10);
        EXPECT_GT(length, 50000);
        EXPECT_EQ(mci(L"stop " + alias), L"");
        EXPECT_EQ(mci(L"play " + alias + L" from " + std::to_wstring(length - 1500)), L"");
        EXPECT_TRUE(waitForMode(alias, L"playing", 10000));
        EXPECT_TRUE(waitForMode(alias, L"stopped", 20000));
        mci(L"close " + alias);
        EXPECT_TRUE(deleteTrackFile(channel));
    }
}

}  // namespace
