// The benchmarks' reference for the first sound: it opens one track file
// with the device type the program's channels use and plays it, and does
// nothing else. bench.py reads the time from its open to the sound in the
// lab's recording exactly as it reads the program's channel 1, so that the
// platform's share of the program's first sound is measured, not inferred.
//
//     trivial_player.exe FILE SECONDS
//
// It plays for SECONDS, then closes the device and ends with exit code 0.
#include <windows.h>
#include <mmsystem.h>

#include <cwchar>

namespace {

constexpr wchar_t kDeviceType[] = L"MPEGvideo";
constexpr wchar_t kAlias[] = L"reference";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const long seconds = std::wcstol(argv[2], nullptr, 10);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = kDeviceType;
    open.lpstrElementName = argv[1];
    open.lpstrAlias = kAlias;
    if (mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 1;
    const bool playing = mciSendStringW(L"play reference", nullptr, 0, nullptr) == 0;
    if (playing && seconds > 0) Sleep(static_cast<DWORD>(seconds) * 1000);
    // Closed before the end: 64-bit Wine 8 crashes in its own teardown when
    // a process ends with an MPEG device open.
    mciSendStringW(L"close reference", nullptr, 0, nullptr);
    return playing ? 0 : 1;
}
