// The six channels: each plays its track through its own media player at
// the volume of its own slider. The tracks start at the window's first
// activation and loop because a timer restarts every channel that has
// stopped; every slider change is heard at once and stored in the settings.
#pragma once

#include <cstdint>

constexpr int32_t kFirstChannelAloneMs = 2000;
constexpr int32_t kBeforeTracksWrittenMs = 1000;
constexpr int32_t kLoopCheckPeriodMs = 3000;

// First activation of the main window: the temporary paths, the sliders
// moved to the stored volumes, the start sequence, then the loop timer.
void onFirstActivation();

// Waits, writes the six tracks, starts channel 1, waits, starts channels 2
// to 6 and attempts to delete the six files (but those no device could
// open). When the main window is gone
// during a wait, no player is touched any more: nothing is written after
// the first wait, and after the second only the deletions are attempted.
void startChannels();

// Each tick of the loop timer: every channel whose player is not playing
// starts again from the beginning of its track; one whose device failed on
// its whole file waits a growing number of ticks first (up to a minute).
void checkChannels();

// Stop, let go of the file, rewrite it, reopen, play at the slider's volume,
// delete. Where no device could open the file the last time, the file was
// kept, and is neither rewritten while it is as written nor deleted while
// the device still fails.
void restartChannel(int channel);

// Slider N moved (by the user or by the program): the player takes the new
// position as its volume on both sides and the settings keep it under "vN".
void onVolumeBarChanged(int channel);

// The main window is asked to close: the players stop, the deletion of the
// track files is attempted, and the close is allowed.
bool releaseChannels();

// The process is about to end at once: every player lets go of its device,
// neither stopped first nor followed by a deletion of the track files.
// Both this and releaseChannels end the six devices under a watch: should a
// device not come back within 2 s (Wine 10's can hang there for good), the
// process ends at once with exit code 0, and the track files stay; from the
// first of them on, a fault in any thread ends the process with exit code 0.
void closeChannelDevices();

// Holds every channel at its place, until resumed; held twice, nothing
// changes. While held, the loop check restarts nothing and a channel that
// the start sequence opens stays held.
void pauseChannels();

// Plays every held channel on from its place; nothing changes if none is.
void resumeChannels();

// Whether the channels are held: the one record of it, which night use reads.
bool channelsPaused();

constexpr int32_t kSliderVolumePermille = 1000;

// A volume scaled by a share in thousandths (clamped to 0..1000), rounded
// down.
int32_t scaledVolume(int32_t volume, int32_t permille);

// Every player at its slider's volume scaled by permille (1000: the slider's
// own); the same share again changes nothing. The sliders and the settings
// stay as they are.
void scaleChannelVolumes(int32_t permille);

// The master level over all six channels, 0..100 % (clamped): each player
// gets its slider's level times the master; the sliders stay where they are.
void setMasterLevel(int32_t percent);
int32_t masterLevel();

// Drifting levels: each channel's level wanders slowly below its slider's
// (0 to -9 dB, a period of its own), updated four times a second; off, every
// player has its slider's level again.
void setDrift(bool on);
bool driftOn();

// The length of a minute for the drift's periods; shorter in the tones build.
void setDriftMinuteMs(uint32_t milliseconds);
