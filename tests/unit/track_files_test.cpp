#include <gtest/gtest.h>

#include "app/program_state.h"
#include "base/embedded_data.h"
#include "mixer/track_files.h"
#include "mixer/track_table.h"
#include "test_support.h"

namespace {

std::string blockBytes(int channel) {
    const EmbeddedBlock block = lockEmbeddedBlock(trackOf(channel).resourceId);
    return std::string(static_cast<const char*>(block.data), block.size);
}

// Points the temporary directory somewhere else for one test.
class TempVariable {
public:
    explicit TempVariable(const std::wstring& value) {
        wchar_t old[32768];
        const DWORD length = GetEnvironmentVariableW(L"TMP", old, 32768);
        had_ = length > 0 && length < 32768;
        if (had_) old_.assign(old, length);
        SetEnvironmentVariableW(L"TMP", value.c_str());
    }
    ~TempVariable() { SetEnvironmentVariableW(L"TMP", had_ ? old_.c_str() : nullptr); }
    TempVariable(const TempVariable&) = delete;
    TempVariable& operator=(const TempVariable&) = delete;

private:
    bool had_ = false;
    std::wstring old_;
};

TEST(TrackPaths, HoldADoubledBackslashBetweenTheTemporaryDirectoryAndTheName) {
    test::ScratchFolder folder(L"track-paths");
    for (const std::wstring& reported : {folder.path(), folder.path() + L"\\"}) {
        TempVariable temp(reported);
        prepareTrackPaths();
        const ProgramState& state = programState();
        EXPECT_EQ(state.tempDir, folder.path() + L"\\");
        EXPECT_EQ(state.trackPaths[0], folder.path() + L"\\\\tmmmA01.tmp");
        EXPECT_EQ(state.trackPaths[5], folder.path() + L"\\\\tmmmA06.tmp");
    }
    EXPECT_EQ(withTrailingBackslash(L"C:\\temp"), L"C:\\temp\\");
    EXPECT_EQ(withTrailingBackslash(L"C:\\temp\\"), L"C:\\temp\\");
    EXPECT_EQ(withTrailingBackslash(L""), L"");
}

TEST(TrackPaths, AreTheBareFileNamesWhenTheTemporaryDirectoryDoesNotFit) {
    TempVariable temp(L"C:\\" + std::wstring(300, L'x'));
    prepareTrackPaths();
    const ProgramState& state = programState();
    EXPECT_EQ(state.tempDir, L"");
    const wchar_t* expected[] = {L"\\tmmmA01.tmp", L"\\tmmmA02.tmp", L"\\tmmmA03.tmp",
                                 L"\\tmmmA04.tmp", L"\\tmmmA05.tmp", L"\\tmmmA06.tmp"};
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(state.trackPaths[i], expected[i]);
}

class TrackFile : public ::testing::Test {
protected:
    test::ScratchFolder folder{L"track-files"};
    TempVariable temp{folder.path()};

    void SetUp() override { prepareTrackPaths(); }
    const std::wstring& path(int channel) { return programState().trackPaths[channel - 1]; }
};

TEST_F(TrackFile, WritesExactlyTheBlockOverALongerFileLeftFromAnEarlierRun) {
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        test::writeBytes(path(channel), std::string(100000, 'L'));
        EXPECT_TRUE(writeTrackFile(channel));
        EXPECT_EQ(test::readBytes(path(channel)), blockBytes(channel)) << channel;
    }
    EXPECT_EQ(blockBytes(1).size(), 36u);  // the zero inside the block is written too
}

TEST_F(TrackFile, FailsAndKeepsTheOldContentWhileAnotherHandleHoldsTheFile) {
    test::writeBytes(path(3), "old content");
    HANDLE holder = CreateFileW(path(3).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeTrackFile(3));
    CloseHandle(holder);
    EXPECT_EQ(test::readBytes(path(3)), "old content");
    EXPECT_TRUE(writeTrackFile(3));
    EXPECT_EQ(test::readBytes(path(3)), blockBytes(3));
}

TEST_F(TrackFile, FailsWhenItsFolderIsGone) {
    programState().trackPaths[1] = folder.path() + L"\\gone\\\\tmmmA02.tmp";
    EXPECT_FALSE(writeTrackFile(2));
}

TEST_F(TrackFile, DeleteReportsWhatThePlatformDid) {
    ASSERT_TRUE(writeTrackFile(5));
    EXPECT_TRUE(deleteTrackFile(5));
    EXPECT_FALSE(test::fileExists(path(5)));
    EXPECT_FALSE(deleteTrackFile(5));  // nothing left to delete

    ASSERT_TRUE(writeTrackFile(6));
    HANDLE reader = CreateFileW(path(6).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(deleteTrackFile(6));  // held open without delete sharing
    CloseHandle(reader);
    EXPECT_TRUE(test::fileExists(path(6)));
    EXPECT_TRUE(deleteTrackFile(6));
}

}  // namespace
