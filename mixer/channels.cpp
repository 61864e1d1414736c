#include "mixer/channels.h"

#include <algorithm>
#include <array>

#include "app/program_state.h"
#include "app/settings.h"
#include "app/startup.h"
#include "base/unique_handle.h"
#include "mixer/levels.h"
#include "mixer/track_files.h"
#include "mixer/wait.h"
#include "ui/control_table.h"
#include "ui/form.h"
#include "ui/media_play.h"

namespace {

constexpr int kFirstChannel = 1;

// Held by the user or the sleep timer; never stored, so each run starts
// playing. The one record of the hold: night use asks for it.
bool paused = false;
// The share of each slider's volume the players get: less than all only
// while the sleep timer fades the mix out.
int32_t volumeShare = kSliderVolumePermille;

// Over all six: the master level and, when on, each channel's wander below
// its slider. Neither moves a slider nor touches its stored volume.
constexpr UINT kDriftUpdateMs = 250;  // steps of a tenth of a dB at most
struct Mix {
    int32_t master = kFullMasterPercent;
    bool drift = false;
    UINT_PTR driftTimer = 0;
    DWORD driftStart = 0;
    uint32_t minuteMs = 60000;
    std::array<DriftVoice, kChannelCount> voices{};
    std::array<int32_t, kChannelCount> sentLevels{};  // what each player was told last
};
Mix mix;

// Without a working sound device (no sound card, no decoder, a device held
// by another program) every loop check finds all six channels stopped.
// Rewriting the 37 MB of tracks and building six failing devices every 3 s
// would wear the disk and drain a battery for no sound at all. So a channel
// whose device could not open its whole track file keeps the file, written
// again only once it is no longer as written, and tries again after 3 s,
// then 6, 12, 24, 48 and from then on every 60 s: a device that comes back
// (a headset plugged in, a program letting go of it) plays within a minute.
// A file that could not be written is no device's fault: that channel tries
// at every check, as any channel that has ended.
constexpr int kLongestRetryChecks = 60000 / kLoopCheckPeriodMs;

struct DeviceRetry {
    bool keepFile = false;  // the whole file, which the device failed to open
    int interval = 0;       // loop checks between tries; 0 while none failed
    int checksToWait = 0;   // before the next try
};
std::array<DeviceRetry, kChannelCount> retries{};

size_t rowOf(int channel) {
    return static_cast<size_t>(channel - 1);
}

HWND playerOf(int channel) {
    return controlWindow(ids::mainWindow, ids::player.at(rowOf(channel)));
}

int32_t sliderPosition(int channel) {
    return getProperty(ids::mainWindow, ids::volumeBar.at(rowOf(channel)), kPropertyPosition);
}

double driftNow(int channel) {
    if (!mix.drift) return 0.0;
    return driftDb(mix.voices.at(rowOf(channel)), static_cast<double>(GetTickCount() - mix.driftStart));
}

// The slider's position on both sides: what the user sees is what plays
// (during a fade, the fade's share of it, so that a channel restarted or a
// slider moved then does not jump back to full), under the master and the
// drift.
int32_t levelNow(int channel) {
    return deviceLevel(sliderPosition(channel), volumeShare, mix.master, driftNow(channel));
}

void applySliderVolume(int channel) {
    const int32_t level = levelNow(channel);
    mix.sentLevels.at(rowOf(channel)) = level;
    mediaSetLevel(playerOf(channel), level);
}

DeviceRetry& retryOf(int channel) {
    return retries.at(rowOf(channel));
}

// Opens the channel's track file (whole: as written) and plays it from the
// start. A channel that fails is not playing, and a later loop check starts
// it again: the next one, unless its device failed on a whole file.
void startChannel(int channel, bool whole) {
    const bool opened = mediaOpen(playerOf(channel), trackPath(channel));
    // Held channels open silent; the resume starts them.
    if (!paused) mediaPlay(playerOf(channel));
    applySliderVolume(channel);
    DeviceRetry& retry = retryOf(channel);
    if (opened || !whole) {
        retry = DeviceRetry{};
        return;
    }
    retry.keepFile = true;
    retry.interval = retry.interval == 0 ? 1 : std::min(2 * retry.interval, kLongestRetryChecks);
    retry.checksToWait = retry.interval - 1;
}

// The deletion that follows a start: a file no device could open stays for
// the next try.
void deleteUnlessKept(int channel) {
    if (!retryOf(channel).keepFile) deleteTrackFile(channel);
}

// Runs the step for channels 1 to 6 in turn.
template <typename Step>
void forEachChannel(Step step) {
    for (int channel = 1; channel <= kChannelCount; ++channel) step(channel);
}

// The players live on the main window; once it is gone there is nothing
// left to start.
bool mainWindowGone() {
    return formWindow(ids::mainWindow) == nullptr;
}

// How long the six devices may take to end before the process ends without
// waiting for them. All six end within a fifth of a second on every platform
// version seen; a device that has not ended after this never will.
constexpr DWORD kDeviceEndWaitMs = 2000;

// The watch over an end of the devices: unless told within the wait that
// they have ended, it ends the process itself, with exit code 0: the user
// asked for the end and gets it. It ends the process at once, without the
// at-exit routines, which belong to the window's thread (run here, beside
// that thread stuck inside the platform, they crashed the process), and
// without the platform's own teardown, which would wait on the stuck device
// too. The track files stay behind, as after a failed deletion.
DWORD WINAPI endProcessUnlessEnded(void* ended) {
    if (WaitForSingleObject(static_cast<HANDLE>(ended), kDeviceEndWaitMs) == WAIT_OBJECT_0)
        return 0;
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

// Wine 10's MPEG device can hang for good when it is stopped or closed while
// it decodes: its stop waits for the thread that hands decoded sound on,
// which waits for a lock the stop holds. Holding the device first does not
// avoid it, and the platform takes a device's commands only from the thread
// that opened it. So the six are ended here, on this thread, under a watch
// that ends the process if they do not come back. Ended right after they
// opened, Wine 10's media threads can also fault on their own: from here on
// the process is on its way out, and such a fault ends it as asked.
template <typename End>
void endDevicesWatched(End end) {
    endQuietlyOnFault();
    const UniqueHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle watch(
        ended ? CreateThread(nullptr, 0, endProcessUnlessEnded, ended.get(), 0, nullptr)
              : nullptr);
    forEachChannel(end);
    if (!watch) return;
    SetEvent(ended.get());
    // The watch reads the event until it has seen it set.
    WaitForSingleObject(watch.get(), INFINITE);
}

// Only a level that changed is sent: most ticks move a level by less than
// one of the device's steps.
void CALLBACK driftTick(HWND, UINT, UINT_PTR, DWORD) {
    forEachChannel([](int channel) {
        if (levelNow(channel) != mix.sentLevels.at(rowOf(channel))) applySliderVolume(channel);
    });
}

}  // namespace

void onFirstActivation() {
    const MixSettings stored = loadMixSettings();
    mix.master = stored.master;
    setDrift(stored.drift);
    prepareTrackPaths();
    // A changed position raises the slider's event, which stores the clamped
    // value under the channel's key again (its player has no device yet).
    const ProgramState& state = programState();
    forEachChannel([&](int channel) {
        setProperty(ids::mainWindow, ids::volumeBar.at(rowOf(channel)), kPropertyPosition,
                    state.volumes.at(rowOf(channel)));
    });
    startChannels();
    setProperty(ids::mainWindow, ids::loopTimer, kPropertyTimerInterval, kLoopCheckPeriodMs);
}

void startChannels() {
    wait(kBeforeTracksWrittenMs);
    if (mainWindowGone()) return;
    std::array<bool, kChannelCount> written{};
    forEachChannel([&](int channel) { written.at(rowOf(channel)) = writeTrackFile(channel); });
    startChannel(kFirstChannel, written.at(rowOf(kFirstChannel)));

    wait(kFirstChannelAloneMs);
    // With the window gone its players are closed, so the files written
    // above can go at once rather than wait for the next run.
    if (!mainWindowGone())
        forEachChannel([&](int channel) {
            if (channel != kFirstChannel) startChannel(channel, written.at(rowOf(channel)));
        });

    // A player may still hold its file; such a file stays until a later
    // delete, and the next write of the track overwrites it.
    forEachChannel(deleteUnlessKept);
}

void checkChannels() {
    // A held channel has not ended: restarting it would lose its place and
    // make it sound while everything is meant to be silent.
    if (paused) return;
    forEachChannel([](int channel) {
        const MediaStatus status = mediaGetStatus(playerOf(channel));
        if (status == kMediaPlaying || status == kMediaPaused) return;
        DeviceRetry& retry = retryOf(channel);
        if (retry.checksToWait > 0)
            --retry.checksToWait;
        else
            restartChannel(channel);
    });
}

void restartChannel(int channel) {
    mediaStop(playerOf(channel));
    // The device lets go of its file before the file is written again: a
    // device that still held it would make the write fail, and where the
    // platform had let the earlier delete through only pending, the file
    // would vanish as the device closed and the reopen would find nothing.
    mediaClose(playerOf(channel));
    const bool whole =
        (retryOf(channel).keepFile && trackFileAsWritten(channel)) || writeTrackFile(channel);
    startChannel(channel, whole);  // a new device: the track starts over
    deleteUnlessKept(channel);
}

void onVolumeBarChanged(int channel) {
    applySliderVolume(channel);
    // The loaded volumes stay as they were; only the file learns the change.
    saveVolume(channel, sliderPosition(channel));
}

bool releaseChannels() {
    endDevicesWatched([](int channel) { mediaStop(playerOf(channel)); });
    forEachChannel(deleteTrackFile);
    return true;
}

void closeChannelDevices() {
    // A process that ends with an MPEG device still open dies in 64-bit
    // Wine 8's own teardown, and a crash is what the user would see. Closed
    // here, the sound ends a few milliseconds before the process would have
    // ended it; the files stay where they are.
    endDevicesWatched([](int channel) { mediaClose(playerOf(channel)); });
}

void pauseChannels() {
    if (paused) return;
    paused = true;
    forEachChannel([](int channel) { mediaPause(playerOf(channel)); });
}

void resumeChannels() {
    if (!paused) return;
    paused = false;
    forEachChannel([](int channel) { mediaResume(playerOf(channel)); });
}

bool channelsPaused() {
    return paused;
}

int32_t scaledVolume(int32_t volume, int32_t permille) {
    const int32_t share = std::clamp(permille, 0, kSliderVolumePermille);
    return static_cast<int32_t>(static_cast<int64_t>(volume) * share / kSliderVolumePermille);
}

void scaleChannelVolumes(int32_t permille) {
    const int32_t share = std::clamp(permille, 0, kSliderVolumePermille);
    if (share == volumeShare) return;
    volumeShare = share;
    forEachChannel(applySliderVolume);
}

void setMasterLevel(int32_t percent) {
    const int32_t master = std::clamp(percent, 0, kFullMasterPercent);
    if (master == mix.master) return;
    mix.master = master;
    forEachChannel(applySliderVolume);
}

int32_t masterLevel() {
    return mix.master;
}

void setDrift(bool on) {
    if (on == mix.drift) return;
    mix.drift = on;
    if (on) {
        // New phases each time: the loops never line up as they did before.
        mix.driftStart = GetTickCount();
        forEachChannel([](int channel) {
            mix.voices.at(rowOf(channel)) = driftVoice(channel, mix.driftStart, mix.minuteMs);
        });
        mix.driftTimer = SetTimer(nullptr, 0, kDriftUpdateMs, driftTick);
    } else if (mix.driftTimer) {
        KillTimer(nullptr, mix.driftTimer);
        mix.driftTimer = 0;
    }
    forEachChannel(applySliderVolume);
}

bool driftOn() {
    return mix.drift;
}

void setDriftMinuteMs(uint32_t milliseconds) {
    mix.minuteMs = milliseconds;
}
