#include "ui/media_play.h"

#include <mmsystem.h>
#include <rpc.h>

#include <cwctype>
#include <memory>

#include "base/system_library.h"
#include "base/window_frame.h"
#include "ui/display_scale.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.MediaPlay";
constexpr int32_t kDeviceVolumeMaximum = 1000;
constexpr int kVolumeFactor = 10;
constexpr UINT kStatusAnswerLength = 255;

struct KnownType {
    const wchar_t* extension;
    const wchar_t* deviceType;
};

// The platform's simple devices; everything else, the program's own
// ".tmp" track files and ".mp3" included, goes to the MPEG player.
constexpr KnownType kKnownTypes[] = {
    {L"wav", L"waveaudio"},
    {L"mid", L"sequencer"},
    {L"rmi", L"sequencer"},
};
constexpr wchar_t kDefaultDeviceType[] = L"MPEGvideo";

// The state of a player window; null for any other window.
MediaPlayState* playerState(HWND window) {
    wchar_t kind[32];
    if (!GetClassNameW(window, kind, 32) || lstrcmpW(kind, kClassName) != 0) return nullptr;
    return windowRecord<MediaPlayState>(window);
}

// The command text for a device: the verb, the device's alias, then the
// rest of the command, each after one space.
std::wstring command(const wchar_t* verb, const std::wstring& alias,
                     const std::wstring& rest = {}) {
    std::wstring text = verb;
    text += L' ';
    text += alias;
    if (!rest.empty()) {
        text += L' ';
        text += rest;
    }
    return text;
}

// Sends one command text. Only the status query asks for an answer.
MCIERROR send(const std::wstring& text, wchar_t* answer = nullptr, UINT answerLength = 0) {
    return platform::mciSendStringW(text.c_str(), answer, answerLength, nullptr);
}

std::wstring makeAlias() {
    GUID guid;
    if (CoCreateGuid(&guid) != S_OK) return {};
    return aliasFromGuid(guid);
}

LRESULT handlePlayer(HWND window, MediaPlayState* state, UINT message, WPARAM wParam,
                     LPARAM lParam) {
    if (message == WM_DESTROY) {
        if (state) send(command(L"close", state->deviceAlias));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    return registerWindowClass(instance, kClassName,
                               recordWindowProc<MediaPlayState, handlePlayer>,
                               LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace

std::wstring deviceTypeFor(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? L"" : path.substr(dot + 1, 3);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
    for (const KnownType& known : kKnownTypes)
        if (extension == known.extension) return known.deviceType;
    return kDefaultDeviceType;
}

std::wstring aliasFromGuid(const GUID& guid) {
    GUID copy = guid;
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&copy, &text) != RPC_S_OK || !text) return {};
    std::wstring alias;
    for (const wchar_t* c = reinterpret_cast<const wchar_t*>(text); *c; ++c)
        if (*c != L'-') alias += *c;
    RpcStringFreeW(&text);
    return alias;
}

std::optional<int32_t> deviceVolume(int32_t volume) {
    // In 64 bits, so that a huge volume cannot wrap into the device's range.
    const int64_t scaled = static_cast<int64_t>(volume) * kVolumeFactor;
    if (scaled < 0 || scaled > kDeviceVolumeMaximum) return std::nullopt;
    return static_cast<int32_t>(scaled);
}

MediaStatus statusFromMode(const std::wstring& mode) {
    if (mode == L"playing") return kMediaPlaying;
    if (mode == L"stopped") return kMediaStopped;
    if (mode == L"paused") return kMediaPaused;
    return kMediaOther;
}

HWND createMediaPlay(HWND parent, const ControlRow& row, int dpi) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    if (!registerClass(instance)) return nullptr;
    auto state = std::make_unique<MediaPlayState>();
    state->deviceAlias = makeAlias();
    const RECT place = pixelRect(row.left, row.top, row.width, row.height, dpi);
    // The window owns the record from WM_NCCREATE and frees it at WM_NCDESTROY.
    return CreateWindowExW(0, kClassName, L"", WS_CHILD, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(row.id)), instance,
                           &state);
}

const MediaPlayState* mediaPlayState(HWND player) {
    return playerState(player);
}

bool mediaOpen(HWND player, const std::wstring& path) {
    MediaPlayState* state = playerState(player);
    if (!state) return false;
    send(command(L"close", state->deviceAlias));  // a failure only means nothing was open
    state->lastFile = path;
    state->deviceType = deviceTypeFor(path);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = state->deviceType.c_str();
    open.lpstrElementName = state->lastFile.c_str();
    open.lpstrAlias = state->deviceAlias.c_str();
    return platform::mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS,
                           reinterpret_cast<DWORD_PTR>(&open)) == 0;
}

bool mediaPlay(HWND player, int32_t from) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state) return false;
    // No wait, notify or repeat: the call returns and the device plays on.
    if (from == -1) return send(command(L"play", state->deviceAlias)) == 0;
    return send(command(L"play", state->deviceAlias, L"from " + std::to_wstring(from))) == 0;
}

MediaStatus mediaGetStatus(HWND player) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state) return kMediaOther;
    wchar_t answer[kStatusAnswerLength + 1] = {};
    if (send(command(L"status", state->deviceAlias, L"mode"), answer, kStatusAnswerLength) != 0)
        return kMediaOther;
    return statusFromMode(answer);
}

bool mediaStop(HWND player) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state) return false;
    if (send(command(L"stop", state->deviceAlias)) != 0) return false;
    return send(command(L"seek", state->deviceAlias, L"to start")) == 0;
}

bool mediaClose(HWND player) {
    const MediaPlayState* state = mediaPlayState(player);
    return state && send(command(L"close", state->deviceAlias)) == 0;
}

void mediaSetVolume(HWND player, int32_t left, int32_t right) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state) return;
    if (const auto value = deviceVolume(left))
        send(command(L"setaudio", state->deviceAlias,
                     L"left volume to " + std::to_wstring(*value)));
    if (const auto value = deviceVolume(right))
        send(command(L"setaudio", state->deviceAlias,
                     L"right volume to " + std::to_wstring(*value)));
}

void mediaSetLevel(HWND player, int32_t level) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state || level < 0 || level > kDeviceVolumeMaximum) return;
    const std::wstring value = std::to_wstring(level);
    send(command(L"setaudio", state->deviceAlias, L"left volume to " + value));
    send(command(L"setaudio", state->deviceAlias, L"right volume to " + value));
}

bool mediaPause(HWND player) {
    const MediaPlayState* state = mediaPlayState(player);
    return state && send(command(L"pause", state->deviceAlias)) == 0;
}

bool mediaResume(HWND player) {
    const MediaPlayState* state = mediaPlayState(player);
    if (!state) return false;
    // "resume" is for a held device only: the platform refuses it for one
    // that is stopped, and "play" would start a held one over on some devices.
    const wchar_t* verb = mediaGetStatus(player) == kMediaPaused ? L"resume" : L"play";
    return send(command(verb, state->deviceAlias)) == 0;
}
