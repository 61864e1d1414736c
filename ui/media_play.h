// MediaPlay: an invisible control that plays one file at a time through the
// platform's media control interface, under a device name of its own made
// from a GUID. The device plays on by itself; its status is polled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ui/form_definition.h"

enum MediaStatus : int { kMediaOther = 0, kMediaPlaying = 1, kMediaStopped = 2, kMediaPaused = 3 };

struct MediaPlayState {
    std::wstring deviceAlias;  // 32 hex digits, or empty if no GUID could be made
    std::wstring lastFile;
    std::wstring deviceType;
};

// Created hidden, with its device alias made; closes its device when it is
// destroyed.
HWND createMediaPlay(HWND parent, const ControlRow& row, int dpi);

// The player's state; null for a window that is not a player.
const MediaPlayState* mediaPlayState(HWND player);

// Closes any device this player left open, then opens the file under the
// player's alias. True when the open succeeded.
bool mediaOpen(HWND player, const std::wstring& path);

// Starts playing from the current position (from = -1) or from a position,
// and returns at once.
bool mediaPlay(HWND player, int32_t from = -1);

MediaStatus mediaGetStatus(HWND player);

// Stops and, only if that worked, rewinds; the device stays open.
bool mediaStop(HWND player);

// Closes the device, which lets go of its file; the next open starts anew.
bool mediaClose(HWND player);

// Holds the device at its current place; the device stays open.
bool mediaPause(HWND player);

// Plays on from where the device was held; a device opened but never played
// starts from its beginning.
bool mediaResume(HWND player);

// Volumes on the scale 0..100 for each side; a side whose tenfold value
// lies outside the device's 0..1000 is not sent.
void mediaSetVolume(HWND player, int32_t left, int32_t right);

// The level of both sides on the device's own scale, 0..1000; outside it,
// nothing is sent.
void mediaSetLevel(HWND player, int32_t level);

// The device type for a file: from the up to three characters after the
// last "." in lower case; MPEGvideo for every extension not listed.
std::wstring deviceTypeFor(const std::wstring& path);

// The standard text form of a GUID without its dashes.
std::wstring aliasFromGuid(const GUID& guid);

// The tenfold volume of one side, if the device's scale holds it.
std::optional<int32_t> deviceVolume(int32_t volume);

MediaStatus statusFromMode(const std::wstring& mode);
