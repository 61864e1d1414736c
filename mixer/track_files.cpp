#include "mixer/track_files.h"

#include <windows.h>

#include <array>

#include "app/program_state.h"
#include "base/embedded_data.h"
#include "base/unique_handle.h"
#include "mixer/track_table.h"

namespace {

constexpr DWORD kTempPathBufferChars = 260;

// Size and last write time of each track file as the program last wrote it
// whole; zero where it has not.
struct FileStamp {
    uint64_t size = 0;
    FILETIME written{};
};
std::array<FileStamp, kChannelCount> writtenStamps{};

FileStamp& stampOf(int channel) {
    return writtenStamps.at(static_cast<size_t>(channel - 1));
}

bool readStamp(const std::wstring& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    return true;
}

std::wstring queryTempDir() {
    wchar_t buffer[kTempPathBufferChars];
    const DWORD length = GetTempPathW(kTempPathBufferChars, buffer);
    if (length == 0 || length >= kTempPathBufferChars) return {};
    return withTrailingBackslash(std::wstring_view(buffer, length));
}

}  // namespace

const std::wstring& trackPath(int channel) {
    return programState().trackPaths.at(static_cast<size_t>(channel - 1));
}

std::wstring withTrailingBackslash(std::wstring_view directory) {
    std::wstring result(directory);
    if (!result.empty() && result.back() != L'\\') result.push_back(L'\\');
    return result;
}

void prepareTrackPaths() {
    ProgramState& state = programState();
    state.tempDir = queryTempDir();
    for (int channel = 1; channel <= kChannelCount; ++channel)
        state.trackPaths.at(static_cast<size_t>(channel - 1)) =
            state.tempDir + trackOf(channel).fileName;
}

bool writeTrackFile(int channel) {
    const std::wstring& path = trackPath(channel);
    const EmbeddedBlock block = lockEmbeddedBlock(trackOf(channel).resourceId);
    if (!block) return false;

    // No sharing: nobody reads a half-written track.
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file.get(), block.data, static_cast<DWORD>(block.size),
                                    &written, nullptr) != FALSE &&
                          written == block.size;
    FileStamp& stamp = stampOf(channel);
    stamp = FileStamp{};
    if (!file.close() || !complete) return false;
    FileStamp now;
    if (readStamp(path, now) && now.size == block.size) stamp = now;
    return true;
}

bool trackFileAsWritten(int channel) {
    const FileStamp& stamp = stampOf(channel);
    FileStamp now;
    return stamp.size != 0 && readStamp(trackPath(channel), now) && now.size == stamp.size &&
           CompareFileTime(&now.written, &stamp.written) == 0;
}

bool deleteTrackFile(int channel) {
    return DeleteFileW(trackPath(channel).c_str()) != FALSE;
}
