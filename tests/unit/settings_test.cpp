#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

#include "app/program_state.h"
#include "app/settings.h"
#include "test_support.h"

namespace {

using test::readBytes;
using test::ScratchFolder;

// Writes a settings file by hand, as a user would edit it. The INI functions
// may keep a parsed copy of a file they read; an all-null write drops it, so
// the next read sees the new content even within the same second.
void writeBytes(const std::wstring& path, const std::string& bytes) {
    test::writeBytes(path, bytes);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
}

TEST(TextToInteger, ReadsPlainDecimalTextTheWayTheSettingsNeedIt) {
    EXPECT_EQ(textToInteger(std::string_view("42")), 42);
    EXPECT_EQ(textToInteger(std::string_view(" \t\r\n\v\f42")), 42);
    EXPECT_EQ(textToInteger(std::string_view("12abc")), 12);
    EXPECT_EQ(textToInteger(std::string_view("abc")), 0);
    EXPECT_EQ(textToInteger(std::string_view("")), 0);
    EXPECT_EQ(textToInteger(std::string_view("-7")), -7);
    EXPECT_EQ(textToInteger(std::string_view("+150")), 150);
    EXPECT_EQ(textToInteger(std::string_view("-")), 0);
    EXPECT_EQ(textToInteger(std::string_view("--5")), 0);
    EXPECT_EQ(textToInteger(std::string_view("- 5")), 0);
    EXPECT_EQ(textToInteger(std::string_view("4 2")), 4);
}

TEST(TextToInteger, WrapsLikeA32BitIntegerInsteadOfSaturating) {
    EXPECT_EQ(textToInteger(std::string_view("2147483647")), INT_MAX);
    EXPECT_EQ(textToInteger(std::string_view("2147483648")), INT_MIN);
    EXPECT_EQ(textToInteger(std::string_view("-2147483648")), INT_MIN);
    EXPECT_EQ(textToInteger(std::string_view("-2147483649")), INT_MAX);
    EXPECT_EQ(textToInteger(std::string_view("4294967296")), 0);
    EXPECT_EQ(textToInteger(std::string_view("4294967297")), 1);
    EXPECT_EQ(textToInteger(std::string_view("99999999999")), 1215752191);
}

TEST(TextToInteger, TurnsFullWidthGbkFormsIntoAscii) {
    // "５０", "－７", "＋３", ideographic space before "８".
    EXPECT_EQ(textToInteger(std::string_view("\xA3\xB5\xA3\xB0")), 50);
    EXPECT_EQ(textToInteger(std::string_view("\xA3\xAD\xA3\xB7")), -7);
    EXPECT_EQ(textToInteger(std::string_view("\xA3\xAB\xA3\xB3")), 3);
    EXPECT_EQ(textToInteger(std::string_view("\xA1\xA1\xA1\xA1\xA3\xB8")), 8);
    // Mixed full-width and ASCII digits form one number.
    EXPECT_EQ(textToInteger(std::string_view("1\xA3\xB2" "3")), 123);
    // "～" and "★"-like marks become "~" and "*", which end the number.
    EXPECT_EQ(textToInteger(std::string_view("5\xA1\xAB" "5")), 5);
    EXPECT_EQ(textToInteger(std::string_view("\xA1\xEE" "5")), 0);
    // A Chinese character stays what it is, and stops the digits.
    EXPECT_EQ(textToInteger(std::string_view("\xD6\xD0" "5")), 0);
    EXPECT_EQ(textToInteger(std::string_view("7\xD6\xD0" "5")), 7);
    // The second byte of a pair is never read as a character of its own:
    // 0xA3 0x35 is one (unmapped) pair, not 0xA3 followed by "5".
    EXPECT_EQ(textToInteger(std::string_view("\xA3" "5")), 0);
    // A lead byte at the very end is kept as it is.
    EXPECT_EQ(textToInteger(std::string_view("9\xA3")), 9);
}

class SettingsFile : public ::testing::Test {
protected:
    // A folder name that no ANSI code page can spell.
    ScratchFolder folder{L"settings-\u0928\u092E\u0938\u094D\u0924\u0947"};
    std::wstring path = folder.file(L"config.ini");

    void SetUp() override { programState().settingsPath = path; }
    void TearDown() override { programState().settingsPath.clear(); }

    std::array<int32_t, kChannelCount> loaded() {
        loadVolumes();
        return programState().volumes;
    }
};

using Volumes = std::array<int32_t, kChannelCount>;

TEST_F(SettingsFile, MissingFileSectionOrKeyGivesTheDefaultVolume) {
    EXPECT_EQ(loaded(), (Volumes{100, 100, 100, 100, 100, 100}));

    writeBytes(path, "[other]\r\nv1=5\r\n");
    EXPECT_EQ(loaded(), (Volumes{100, 100, 100, 100, 100, 100}));

    writeBytes(path, "[config]\r\nv2=5\r\n");
    EXPECT_EQ(loaded(), (Volumes{100, 5, 100, 100, 100, 100}));
}

TEST_F(SettingsFile, StoredValuesAreReadAsTheyStand) {
    writeBytes(path,
               "[config]\r\n"
               "v1=  42  \r\n"
               "v2=12abc\r\n"
               "v3=abc\r\n"
               "v4=\r\n"
               "v5=-7\r\n"
               "v6=150\r\n");
    // An empty value is 0, not the default; out-of-range values stay.
    EXPECT_EQ(loaded(), (Volumes{42, 12, 0, 0, -7, 150}));
}

TEST_F(SettingsFile, MinusOneStandsForNothingStored) {
    writeBytes(path, "[config]\r\nv1=-1\r\nv2= -1 \r\nv3=\"-1\"\r\nv4=-2\r\n");
    EXPECT_EQ(loaded(), (Volumes{100, 100, 100, -2, 100, 100}));
}

TEST_F(SettingsFile, QuotesAroundAValueAreTrimmed) {
    writeBytes(path, "[config]\r\nv1=\"57\"\r\nv2='33'\r\n");
    const Volumes volumes = loaded();
    EXPECT_EQ(volumes[0], 57);
    EXPECT_EQ(volumes[1], 33);
}

// Also built to run under the UTF-8 ANSI code page (see CMakeLists.txt).
// There the platform reads a file without a byte-order mark as UTF-8, and a
// GBK file's full-width bytes are lost before the program sees them.
TEST_F(SettingsFile, FullWidthDigitsInTheFileAreRead) {
    if (const char* expected = std::getenv("HEYU_EXPECT_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    if (GetACP() != CP_UTF8) {
        writeBytes(path, "[config]\r\nv1=\xA3\xB5\xA3\xB0\r\n");
        EXPECT_EQ(loaded()[0], 50);
    }
    writeBytes(path, "\xEF\xBB\xBF[config]\r\nv1=\xEF\xBC\x95\xEF\xBC\x90\r\n");
    EXPECT_EQ(loaded()[0], 50);
}

TEST_F(SettingsFile, NamesMatchWithoutRegardToCase) {
    writeBytes(path, "[CONFIG]\r\nV3=33\r\nv4=44\r\n");
    const Volumes volumes = loaded();
    EXPECT_EQ(volumes[2], 33);
    EXPECT_EQ(volumes[3], 44);
}

TEST_F(SettingsFile, FirstWriteCreatesTheSectionAndOneKeyLine) {
    saveVolume(3, 40);
    EXPECT_EQ(readBytes(path), "[config]\r\nv3=40\r\n");
    saveVolume(1, 0);
    EXPECT_EQ(readBytes(path), "[config]\r\nv3=40\r\nv1=0\r\n");
    EXPECT_EQ(loaded(), (Volumes{0, 100, 40, 100, 100, 100}));
}

TEST_F(SettingsFile, RewriteReplacesTheKeyInPlaceAndKeepsEverythingElse) {
    const std::string before =
        "; volumes of the mixer\r\n"
        "[other]\r\n"
        "name=kept\r\n"
        "\r\n"
        "[config]\r\n"
        "v1=10\r\n"
        "; channel two\r\n"
        "v2=20\r\n"
        "[tail]\r\n"
        "x=1\r\n";
    writeBytes(path, before);
    saveVolume(1, 99);
    saveVolume(2, -3);
    const std::string after = readBytes(path);
    EXPECT_NE(after.find("; volumes of the mixer\r\n[other]\r\nname=kept\r\n"),
              std::string::npos) << after;
    EXPECT_NE(after.find("[config]\r\nv1=99\r\n; channel two\r\nv2=-3\r\n"),
              std::string::npos) << after;
    EXPECT_NE(after.find("[tail]\r\nx=1\r\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("v1=10"), std::string::npos);
}

TEST_F(SettingsFile, WritesToAKeyWrittenInCapitalsReplaceIt) {
    writeBytes(path, "[Config]\r\nV2=20\r\n");
    saveVolume(2, 21);
    EXPECT_EQ(loaded()[1], 21);
    EXPECT_EQ(readBytes(path).find("20"), std::string::npos) << readBytes(path);
}

TEST_F(SettingsFile, AFailedWriteIsSilentAndLeavesTheFile) {
    writeBytes(path, "[config]\r\nv1=10\r\n");
    HANDLE heldByAnother = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(heldByAnother, INVALID_HANDLE_VALUE);
    saveVolume(1, 70);
    CloseHandle(heldByAnother);
    EXPECT_EQ(readBytes(path), "[config]\r\nv1=10\r\n");

    programState().settingsPath = folder.file(L"missing\\config.ini");
    saveVolume(1, 70);
    EXPECT_FALSE(test::fileExists(programState().settingsPath));
}

// The mix's own sections are read strictly: a bad value is the default, a
// slot with one bad volume is empty, and the volumes' section is untouched.
TEST_F(SettingsFile, MixSettingsAndSlotsReadStrictlyBesideTheVolumes) {
    const MixSettings none = loadMixSettings();
    EXPECT_EQ((std::tuple{none.master, none.drift, none.startHidden}),
              (std::tuple{100, false, false}));
    EXPECT_FALSE(loadPreset(1));

    writeBytes(path,
               "[config]\r\nv1=7\r\n"
               "[mix]\r\nmaster=50\r\ndrift=1\r\nhidden=2\r\n"
               "[preset1]\r\nv1=0\r\nv2=10\r\nv3=20\r\nv4=30\r\nv5=40\r\nv6=100\r\n"
               "[preset2]\r\nv1=0\r\nv2=10\r\nv3=20\r\nv4=30\r\nv5=40\r\nv6=101\r\n"
               "[preset3]\r\nv1=5\r\nv2=5\r\nv3=5x\r\nv4=5\r\nv5=5\r\nv6=5\r\n");
    const MixSettings read = loadMixSettings();
    EXPECT_EQ((std::tuple{read.master, read.drift, read.startHidden}),
              (std::tuple{50, true, false}));  // hidden=2 is no 0 or 1
    EXPECT_EQ(loadPreset(1), (ChannelVolumes{0, 10, 20, 30, 40, 100}));
    EXPECT_FALSE(loadPreset(2));  // 101 is beyond a volume
    EXPECT_FALSE(loadPreset(3));  // "5x" is no volume
    for (const char* bad : {"-5", "+5", "101", "", "abc", "1000"}) {
        writeBytes(path, std::string("[mix]\r\nmaster=") + bad + "\r\n");
        EXPECT_EQ(loadMixSettings().master, 100) << bad;
    }

    saveMaster(25);
    saveDrift(false);
    saveStartHidden(true);
    savePreset(2, ChannelVolumes{1, 2, 3, 4, 5, 6});
    const MixSettings saved = loadMixSettings();
    EXPECT_EQ((std::tuple{saved.master, saved.drift, saved.startHidden}),
              (std::tuple{25, false, true}));
    EXPECT_EQ(loadPreset(2), (ChannelVolumes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(loaded(), (Volumes{100, 100, 100, 100, 100, 100}));
}

TEST(ReadSetting, SkipsLeadingControlCharactersAndRefusesEmptyNames) {
    ScratchFolder folder(L"read-setting");
    const std::wstring path = folder.file(L"config.ini");
    writeBytes(path, "[config]\r\nv1=7\r\n");
    EXPECT_EQ(readSetting(L" \t" + path, L"\x01 config", L"\x1F v1", L"-1"), L"7");
    EXPECT_EQ(readSetting(path, L"config", L"v9", L"-1"), L"-1");
    EXPECT_EQ(readSetting(path, L"config", L" \t", L"-1"), L"");
    EXPECT_EQ(readSetting(path, L"", L"v1", L"-1"), L"");
    EXPECT_EQ(readSetting(L"  ", L"config", L"v1", L"-1"), L"");
}

TEST(ReadSetting, CutsLongValuesToTheBuffer) {
    ScratchFolder folder(L"long-value");
    const std::wstring path = folder.file(L"config.ini");
    writeBytes(path, "[config]\r\nv1=" + std::string(20000, '7') + "\r\n");
    EXPECT_EQ(readSetting(path, L"config", L"v1", L"-1").size(), 10239u);
}

TEST(SettingsPath, IsBesideTheExecutableWhateverTheWorkingDirectory) {
    const std::wstring exe = test::ownExecutable();
    const std::wstring expected = exe.substr(0, exe.find_last_of(L'\\')) + L"\\config.ini";
    EXPECT_EQ(buildSettingsPath(), expected);

    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ScratchFolder elsewhere(L"elsewhere");
    SetCurrentDirectoryW(elsewhere.path().c_str());
    EXPECT_EQ(buildSettingsPath(), expected);
    SetCurrentDirectoryW(previous);
}

}  // namespace
