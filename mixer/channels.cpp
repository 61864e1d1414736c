#include "mixer/channels.h"

#include <algorithm>

#include "app/program_state.h"
#include "app/settings.h"
#include "mixer/track_files.h"
#include "mixer/wait.h"
#include "ui/control_table.h"
#include "ui/form.h"
#include "ui/media_play.h"

const std::array<Channel, kChannelCount> kChannels = {{
    {1, ids::player[0], ids::volumeBar[0]},
    {2, ids::player[1], ids::volumeBar[1]},
    {3, ids::player[2], ids::volumeBar[2]},
    {4, ids::player[3], ids::volumeBar[3]},
    {5, ids::player[4], ids::volumeBar[4]},
    {6, ids::player[5], ids::volumeBar[5]},
}};

namespace {

constexpr int kFirstChannel = 1;

// Held by the user or the sleep timer; never stored, so each run starts
// playing.
bool paused = false;
// The share of each slider's volume the players get: less than all only
// while the sleep timer fades the mix out.
int32_t volumeShare = kSliderVolumePermille;

const Channel& channelOf(int number) {
    return kChannels.at(static_cast<size_t>(number - 1));
}

HWND playerOf(const Channel& channel) {
    return controlWindow(ids::mainWindow, channel.player);
}

int32_t sliderPosition(const Channel& channel) {
    return getProperty(ids::mainWindow, channel.volumeBar, kPropertyPosition);
}

// The slider's position on both sides: what the user sees is what plays
// (during a fade, the fade's share of it, so that a channel restarted or a
// slider moved then does not jump back to full).
void applySliderVolume(const Channel& channel) {
    const int32_t volume = scaledVolume(sliderPosition(channel), volumeShare);
    mediaSetVolume(playerOf(channel), volume, volume);
}

// Opens the channel's track file and plays it from the start. Every result
// is ignored: a channel that fails is not playing, and the next loop check
// starts it again.
void startChannel(const Channel& channel) {
    mediaOpen(playerOf(channel), trackPath(channel.number));
    // Held channels open silent; the resume starts them.
    if (!paused) mediaPlay(playerOf(channel));
    applySliderVolume(channel);
}

// The players live on the main window; once it is gone there is nothing
// left to start.
bool mainWindowGone() {
    return formWindow(ids::mainWindow) == nullptr;
}

}  // namespace

void onFirstActivation() {
    prepareTrackPaths();
    // A changed position raises the slider's event, which stores the clamped
    // value under the channel's key again (its player has no device yet).
    const ProgramState& state = programState();
    for (const Channel& channel : kChannels)
        setProperty(ids::mainWindow, channel.volumeBar, kPropertyPosition,
                    state.volumes.at(static_cast<size_t>(channel.number - 1)));
    startChannels();
    setProperty(ids::mainWindow, ids::loopTimer, kPropertyTimerInterval, kLoopCheckPeriodMs);
}

void startChannels() {
    wait(kBeforeTracksWrittenMs);
    if (mainWindowGone()) return;
    for (const Channel& channel : kChannels) writeTrackFile(channel.number);
    startChannel(channelOf(kFirstChannel));

    wait(kFirstChannelAloneMs);
    // With the window gone its players are closed, so the files written
    // above can go at once rather than wait for the next run.
    if (!mainWindowGone())
        for (const Channel& channel : kChannels)
            if (channel.number != kFirstChannel) startChannel(channel);

    // A player may still hold its file; such a file stays until a later
    // delete, and the next write of the track overwrites it.
    for (const Channel& channel : kChannels) deleteTrackFile(channel.number);
}

void checkChannels() {
    // A held channel has not ended: restarting it would lose its place and
    // make it sound while everything is meant to be silent.
    if (paused) return;
    for (const Channel& channel : kChannels) {
        const MediaStatus status = mediaGetStatus(playerOf(channel));
        if (status != kMediaPlaying && status != kMediaPaused) restartChannel(channel.number);
    }
}

void restartChannel(int number) {
    const Channel& channel = channelOf(number);
    mediaStop(playerOf(channel));
    // The device lets go of its file before the file is written again: a
    // device that still held it would make the write fail, and where the
    // platform had let the earlier delete through only pending, the file
    // would vanish as the device closed and the reopen would find nothing.
    mediaClose(playerOf(channel));
    writeTrackFile(number);
    startChannel(channel);  // a new device: the track starts over
    deleteTrackFile(number);
}

void onVolumeBarChanged(int number) {
    const Channel& channel = channelOf(number);
    applySliderVolume(channel);
    // The loaded volumes stay as they were; only the file learns the change.
    saveVolume(number, sliderPosition(channel));
}

bool releaseChannels() {
    for (const Channel& channel : kChannels) mediaStop(playerOf(channel));
    for (const Channel& channel : kChannels) deleteTrackFile(channel.number);
    return true;
}

void closeChannelDevices() {
    // A process that ends with an MPEG device still open dies in 64-bit
    // Wine 8's own teardown, and a crash is what the user would see. Closed
    // here, the sound ends a few milliseconds before the process would have
    // ended it; the files stay where they are.
    for (const Channel& channel : kChannels) mediaClose(playerOf(channel));
}

void pauseChannels() {
    if (paused) return;
    paused = true;
    for (const Channel& channel : kChannels) mediaPause(playerOf(channel));
}

void resumeChannels() {
    if (!paused) return;
    paused = false;
    for (const Channel& channel : kChannels) mediaResume(playerOf(channel));
}

int32_t scaledVolume(int32_t volume, int32_t permille) {
    const int32_t share = std::clamp(permille, 0, kSliderVolumePermille);
    return static_cast<int32_t>(static_cast<int64_t>(volume) * share / kSliderVolumePermille);
}

void scaleChannelVolumes(int32_t permille) {
    volumeShare = std::clamp(permille, 0, kSliderVolumePermille);
    for (const Channel& channel : kChannels) applySliderVolume(channel);
}
