// Random and hand-picked inputs for the number reader and the settings file,
// each checked against a reference built here from the rules of the format:
// the number rules for textToInteger, and the platform's own ANSI INI
// functions for what a settings file holds and how a write changes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/settings.h"
#include "test_support.h"

namespace {

// splitmix64: small, fast, and the same sequence on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    size_t below(size_t n) { return static_cast<size_t>(next() % n); }
    bool chance(int percent) { return below(100) < static_cast<size_t>(percent); }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) { return items[below(N)]; }

private:
    uint64_t state_;
};

uint64_t fuzzSeed() {
    // A failing run can be repeated with the seed it printed.
    const char* given = std::getenv("HEYU_FUZZ_SEED");
    return given ? std::strtoull(given, nullptr, 0) : 0x48E7A11CE5EED5ull;
}

// ---- Reference number reader -------------------------------------------

// What one character of the text means to a decimal number.
struct Meaning {
    enum Kind { Blank, Plus, Minus, Digit, Other } kind;
    int digit = 0;
};

Meaning asciiMeaning(uint32_t c) {
    if (c == ' ' || (c >= 9 && c <= 13)) return {Meaning::Blank};
    if (c == '+') return {Meaning::Plus};
    if (c == '-') return {Meaning::Minus};
    if (c >= '0' && c <= '9') return {Meaning::Digit, static_cast<int>(c - '0')};
    return {Meaning::Other};
}

// GBK: a byte 0x81..0xFE opens a two-byte character that takes the next
// byte whatever it is; only the full-width digits (A3 B0..B9), plus (A3 AB),
// minus (A3 AD) and the ideographic space (A1 A1) mean something to a number.
// A lone opening byte at the end is a character of its own.
std::vector<Meaning> gbkMeanings(std::string_view text) {
    std::vector<Meaning> out;
    for (size_t at = 0; at < text.size();) {
        const auto first = static_cast<unsigned char>(text[at]);
        if (first < 0x81 || first > 0xFE || at + 1 == text.size()) {
            out.push_back(asciiMeaning(first));
            ++at;
            continue;
        }
        const auto second = static_cast<unsigned char>(text[at + 1]);
        at += 2;
        if (first == 0xA3 && second >= 0xB0 && second <= 0xB9)
            out.push_back({Meaning::Digit, second - 0xB0});
        else if (first == 0xA3 && (second == 0xAB || second == 0xAD))
            out.push_back({second == 0xAB ? Meaning::Plus : Meaning::Minus});
        else if (first == 0xA1 && second == 0xA1)
            out.push_back({Meaning::Blank});
        else
            out.push_back({Meaning::Other});
    }
    return out;
}

// Blanks, one sign, digits; the value kept modulo 2^32 in 64-bit arithmetic.
int32_t referenceNumber(const std::vector<Meaning>& text) {
    constexpr int64_t kModulus = int64_t{1} << 32;
    size_t at = 0;
    while (at < text.size() && text[at].kind == Meaning::Blank) ++at;
    bool negative = false;
    if (at < text.size() &&
        (text[at].kind == Meaning::Plus || text[at].kind == Meaning::Minus)) {
        negative = text[at].kind == Meaning::Minus;
        ++at;
    }
    int64_t value = 0;
    for (; at < text.size() && text[at].kind == Meaning::Digit; ++at)
        value = (value * 10 + text[at].digit) % kModulus;
    if (negative) value = (kModulus - value) % kModulus;
    return static_cast<int32_t>(value >= kModulus / 2 ? value - kModulus : value);
}

int32_t referenceNumber(std::string_view gbk) { return referenceNumber(gbkMeanings(gbk)); }

using Volumes = std::array<int32_t, kChannelCount>;

// ---- Random number texts --------------------------------------------------

const char* const kFullWidthDigits[] = {"\xA3\xB0", "\xA3\xB1", "\xA3\xB2", "\xA3\xB3",
                                        "\xA3\xB4", "\xA3\xB5", "\xA3\xB6", "\xA3\xB7",
                                        "\xA3\xB8", "\xA3\xB9"};

// Appends one piece of text that a number reader must get right.
void appendPiece(Random& random, std::string& text) {
    static const char* const kMarks[] = {
        " ", "\t", "\n", "\v", "\f", "\r", "+", "-", "\xA3\xAB", "\xA3\xAD", "\xA1\xA1",
        "\xA1\xAB", "\xA1\xEE", "\xA1\xEF", "\xD6\xD0", "\xA3", "\xA1", "x", "."};
    switch (random.below(8)) {
    case 0: case 1: case 2:
        text += static_cast<char>('0' + random.below(10));
        break;
    case 3: case 4:
        text += random.pick(kFullWidthDigits);
        break;
    case 5:
        text += random.pick(kMarks);
        break;
    case 6:  // any full-width form A3 A1..FE, or an odd trail after A3
        text += '\xA3';
        text += static_cast<char>(random.chance(80) ? 0xA1 + random.below(0x5E)
                                                    : random.below(256));
        break;
    default:  // any byte, NUL included
        text += static_cast<char>(random.below(256));
        break;
    }
}

std::string randomNumberText(Random& random) {
    std::string text;
    const size_t pieces = random.chance(2) ? 40 + random.below(400) : random.below(24);
    if (random.chance(50)) {  // a number-like start: blanks, a sign, digits
        while (random.chance(30)) text += random.chance(50) ? " " : "\xA1\xA1";
        if (random.chance(50)) text += random.pick({"+", "-", "\xA3\xAB", "\xA3\xAD"});
    }
    for (size_t i = 0; i < pieces; ++i) appendPiece(random, text);
    return text;
}

TEST(TextToIntegerFuzz, AgreesWithTheNumberRulesOnMillionsOfTexts) {
    // The reference itself, on texts worked out by hand.
    EXPECT_EQ(referenceNumber("\xA1\xA1\xA3\xAD\xA3\xB5" "0x"), -50);
    EXPECT_EQ(referenceNumber("99999999999"), 1215752191);
    EXPECT_EQ(referenceNumber("-2147483649"), 2147483647);
    EXPECT_EQ(referenceNumber("\xA3" "5"), 0);
    EXPECT_EQ(referenceNumber(std::string_view("7\0" "1", 3)), 7);

    const std::string hundredFullWidthNines = [] {
        std::string nines;
        for (int i = 0; i < 100; ++i) nines += "\xA3\xB9";
        return nines;
    }();
    std::vector<std::string> texts = {
        "", "-", "+", "\xA3", "9\xA3", "\xA3\xB5\xA3", "\xA3\xAD-5", "-\xA3\xAD" "5",
        "2147483647", "2147483648", "-2147483648", "4294967295", "4294967296",
        "18446744073709551616", "-99999999999999999999", hundredFullWidthNines,
        "\xA3\xAD" + hundredFullWidthNines, std::string(10239, '1') + "\xA3\xB5",
        std::string("\0" "5", 2), std::string("5\0" "5", 3), std::string(100000, '7'),
        "\xA1\xA1\xA1\xA1\xA3\xAB\xA3\xB4\xA3\xB2\xA1\xA1" "1"};

    const uint64_t seed = fuzzSeed();
    Random random(seed);
    constexpr size_t kRandomTexts = 1000000;
    size_t tried = 0;
    auto check = [&](std::string_view text) {
        ++tried;
        const int32_t expected = referenceNumber(text);
        const int32_t got = textToInteger(text);
        if (got != expected) {
            ADD_FAILURE() << "text of " << text.size() << " bytes gives " << got
                          << " instead of " << expected << " (seed 0x" << std::hex << seed << ")";
            return false;
        }
        return true;
    };
    for (const std::string& text : texts) check(text);
    for (size_t i = 0; i < kRandomTexts; ++i) {
        std::string text = randomNumberText(random);
        // Now and then a very long text: the first digits have long left 32 bits.
        if (i % 20000 == 0) text = std::string(random.below(200000), '0') + text;
        if (!check(text)) break;
    }
    std::printf("textToInteger: %zu texts, seed 0x%llx\n", tried,
                static_cast<unsigned long long>(seed));
}

// ---- Random settings files --------------------------------------------------

// A value text for a key: mostly numbers, sometimes quoted or blank-padded,
// sometimes past the reader's 10239 bytes with full-width digits on the cut.
std::string randomValue(Random& random, bool tidy) {
    std::string value;
    if (random.chance(5)) {
        value = std::string(10234 + random.below(8), static_cast<char>('1' + random.below(9)));
        for (int i = 0; i < 4; ++i) value += random.pick(kFullWidthDigits);
    } else if (random.chance(60)) {
        value = std::to_string(static_cast<int>(random.below(301)) - 100);
        if (random.chance(10)) value = "-1";
    } else {
        do value = randomNumberText(random);
        while (tidy && value.size() > 40);
    }
    if (tidy) {
        // Digits, signs, letters and Chinese characters, no blanks: text the
        // platform keeps as it stands.
        std::string clean;
        for (const Meaning& m : gbkMeanings(value)) {
            if (m.kind == Meaning::Digit)
                clean += random.chance(50) ? std::string(1, char('0' + m.digit))
                                           : std::string(kFullWidthDigits[m.digit]);
            else if (m.kind == Meaning::Minus) clean += "-";
            else if (m.kind == Meaning::Plus) clean += "\xA3\xAB";
            else if (m.kind == Meaning::Other) clean += random.chance(50) ? "x" : "\xD6\xD0";
        }
        value = clean;
    } else if (random.chance(15)) {
        value = std::string(random.below(3), ' ') + value + std::string(random.below(3), '\t');
    }
    if (random.chance(10)) value = random.chance(50) ? "\"" + value + "\"" : "'" + value + "'";
    return value;
}

std::string randomKeyName(Random& random) {
    static const char* const kOthers[] = {"v0", "v7", "v10", "volume", "x", "V"};
    if (random.chance(80)) {
        std::string key = "v" + std::to_string(1 + random.below(kChannelCount));
        if (random.chance(30)) key[0] = 'V';
        return key;
    }
    return random.pick(kOthers);
}

std::string randomSectionName(Random& random) {
    static const char* const kNames[] = {"config", "config", "CONFIG", "Config", "cOnFiG",
                                         "other", "configs", "conf"};
    return random.pick(kNames);
}

std::string randomLine(Random& random, bool tidy) {
    const size_t kind = random.below(100);
    if (kind < 12) return "[" + randomSectionName(random) + "]";
    if (kind < 70) return randomKeyName(random) + "=" + randomValue(random, tidy);
    if (kind < 75) return random.chance(50) ? "; a comment" : "#v1=5";
    if (kind < 78) return tidy ? "no equals sign" : "";
    if (kind < 80)
        return "; long " + std::string(10240 + random.below(3000), tidy ? 'c' : ' ') + "end";
    if (tidy) return randomKeyName(random) + "=" + randomValue(random, tidy);
    if (kind < 86) {  // blanks in odd places
        static const char* const kLines[] = {"  v1 = 5 ", "\tv2\t=\t\"6\"", "[ config ]",
                                             "[config] tail", "[config", "   ", "=7", "v3"};
        return random.pick(kLines);
    }
    std::string binary;  // any bytes: NUL, CR and LF included
    const size_t length = 1 + random.below(60);
    for (size_t i = 0; i < length; ++i) binary += static_cast<char>(random.below(256));
    return binary;
}

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct SettingsFileSample {
    std::string bytes;
    Encoding encoding = Encoding::Ansi;
    bool tidy = false;  // the form the platform keeps line by line on a write
};

std::wstring gbkToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(length), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(936, 0, text.data(), length, wide.data(), length)));
    return wide;
}

SettingsFileSample randomSettingsFile(Random& random) {
    SettingsFileSample sample;
    sample.tidy = random.chance(40);
    std::vector<std::string> lines;
    if (random.chance(15)) {  // keys before any section header
        for (size_t n = random.below(4); n > 0; --n) lines.push_back(randomLine(random, sample.tidy));
    }
    for (size_t sections = random.below(4); sections > 0; --sections) {
        lines.push_back("[" + randomSectionName(random) + "]");
        for (size_t n = random.below(10); n > 0; --n) lines.push_back(randomLine(random, sample.tidy));
    }

    static const char* const kEnds[] = {"\r\n", "\n", "\r"};
    const char* end = sample.tidy ? "\r\n" : random.pick(kEnds);
    const bool mixedEnds = !sample.tidy && random.chance(20);
    std::string text;
    for (const std::string& line : lines) text += line + (mixedEnds ? random.pick(kEnds) : end);
    if (!sample.tidy && random.chance(20) && !text.empty()) text.pop_back();

    const size_t encoding = random.below(10);
    sample.encoding = encoding < 7 ? Encoding::Ansi
                      : encoding == 7 ? Encoding::Utf8
                      : encoding == 8 ? Encoding::Utf16Le : Encoding::Utf16Be;
    if (sample.encoding == Encoding::Ansi) {
        sample.bytes = text;
        return sample;
    }
    const std::wstring wide = gbkToWide(text);
    if (sample.encoding == Encoding::Utf8) {
        sample.bytes = "\xEF\xBB\xBF";
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            size, nullptr, nullptr);
        sample.bytes += utf8;
        return sample;
    }
    const bool little = sample.encoding == Encoding::Utf16Le;
    sample.bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (wchar_t c : wide) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        sample.bytes += little ? low : high;
        sample.bytes += little ? high : low;
    }
    return sample;
}

// The lines of a file in its own units (bytes, or UTF-16 code units), split
// at CR LF; a tidy file ends with CR LF, so nothing follows the last one.
std::vector<std::wstring> fileLines(const std::string& bytes, Encoding encoding) {
    // The byte-order mark is no part of the first line.
    std::wstring units;
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        const bool little = encoding == Encoding::Utf16Le;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<wchar_t>(little ? a | b << 8 : b | a << 8);
        }
    } else {
        const size_t mark = encoding == Encoding::Utf8 ? 3 : 0;
        for (char c : bytes.substr(std::min(mark, bytes.size())))
            units += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = units.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(units.substr(start, end - start));
    if (start < units.size()) lines.push_back(units.substr(start));
    return lines;
}

bool isKeyLine(const std::wstring& line, int channel, const std::wstring& value) {
    const std::wstring expected = L"v" + std::to_wstring(channel) + L"=" + value;
    return line.size() == expected.size() && (line[0] == L'v' || line[0] == L'V') &&
           line.compare(1, std::wstring::npos, expected, 1, std::wstring::npos) == 0;
}

// Every line but the written key's stays as it was: the key's line is
// replaced in place, or added, with its section when that was missing.
::testing::AssertionResult keepsOtherLines(const std::vector<std::wstring>& before,
                                           const std::vector<std::wstring>& after,
                                           int channel, const std::wstring& value) {
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const size_t removed = before.size() - head - tail;
    const size_t added = after.size() - head - tail;
    bool fits = false;
    if (removed == 0 && added == 0) {  // the same value again
        for (const std::wstring& line : before) fits = fits || isKeyLine(line, channel, value);
    } else if (removed <= 1 && added == 1) {
        fits = isKeyLine(after[head], channel, value);
    } else if (removed == 0 && added == 2) {
        fits = _wcsicmp(after[head].c_str(), L"[config]") == 0 &&
               isKeyLine(after[head + 1], channel, value);
    }
    if (fits) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << removed << " line(s) from line " << head + 1
                                         << " became " << added << " line(s)";
}

std::string ansiPath(const std::wstring& path) {
    char buffer[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

// The six volumes as the platform's ANSI INI functions give them: default
// "-1", a 10240-byte buffer, the number rules, and -1 meaning "not stored".
Volumes platformVolumes(const std::string& path) {
    std::vector<char> buffer(10240);
    Volumes volumes{};
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const std::string key = "v" + std::to_string(channel);
        const DWORD length = GetPrivateProfileStringA("config", key.c_str(), "-1", buffer.data(),
                                                      10240, path.c_str());
        const int32_t value = referenceNumber(std::string_view(buffer.data(), length));
        volumes[channel - 1] = value == -1 ? kDefaultVolume : value;
    }
    return volumes;
}

// Puts bytes in a settings file as an editor would; the all-null write makes
// the INI functions forget a copy of the file they may keep.
void placeFile(const std::wstring& path, const std::string& bytes) {
    test::writeBytes(path, bytes);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
}

std::string describe(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes.substr(0, 600)) {
        char code[8];
        std::snprintf(code, sizeof code, c >= 32 && c < 127 ? "%c" : "\\x%02X", c);
        shown += code;
    }
    return shown + (bytes.size() > 600 ? "..." : "");
}

TEST(SettingsFileFuzz, ProgramReadsAndWritesEveryFileAsThePlatformDoes) {
    // Also run under a western code page (see CMakeLists.txt).
    if (const char* codePage = std::getenv("HEYU_EXPECT_CODE_PAGE")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(codePage)));
    }
    test::ScratchFolder folder(L"settings-fuzz");
    const std::wstring path = folder.file(L"config.ini");
    const std::wstring platformCopy = folder.file(L"platform.ini");
    ProgramState& state = programState();

    const uint64_t seed = fuzzSeed();
    Random random(seed);
    constexpr int kFiles = 300;
    int files = 0, tidyFiles = 0;
    for (; files < kFiles && !HasFailure(); ++files) {
        const SettingsFileSample sample = randomSettingsFile(random);
        tidyFiles += sample.tidy;
        SCOPED_TRACE("file " + std::to_string(files) + ": " + describe(sample.bytes));
        placeFile(path, sample.bytes);
        placeFile(platformCopy, sample.bytes);
        state.settingsPath = path;

        loadVolumes();
        EXPECT_EQ(state.volumes, platformVolumes(ansiPath(path)));

        const int channel = 1 + static_cast<int>(random.below(kChannelCount));
        const int32_t value = random.chance(80) ? static_cast<int32_t>(random.below(101))
                                                : static_cast<int32_t>(random.next());
        const std::string text = std::to_string(value);
        saveVolume(channel, value);
        WritePrivateProfileStringA("config", ("v" + std::to_string(channel)).c_str(),
                                   text.c_str(), ansiPath(platformCopy).c_str());
        const std::string after = test::readBytes(path);
        EXPECT_EQ(describe(after), describe(test::readBytes(platformCopy)));
        if (sample.tidy) {
            EXPECT_TRUE(keepsOtherLines(fileLines(sample.bytes, sample.encoding),
                                        fileLines(after, sample.encoding), channel,
                                        std::wstring(text.begin(), text.end())))
                << describe(after);
        }

        loadVolumes();
        EXPECT_EQ(state.volumes[channel - 1], value == -1 ? kDefaultVolume : value);
        EXPECT_EQ(state.volumes, platformVolumes(ansiPath(path)));
    }
    state.settingsPath.clear();
    std::printf("settings files: %d tried (%d in the form kept line by line), seed 0x%llx\n",
                files, tidyFiles, static_cast<unsigned long long>(seed));
}

}  // namespace
