#include "night/sleep_timer.h"

namespace {

constexpr wchar_t kProductName[] = L"墨川禾语听泉";
constexpr wchar_t kPlayingText[] = L"正在播放";
constexpr wchar_t kPausedText[] = L"已暂停";
constexpr wchar_t kStopsInSuffix[] = L" 分钟后停止";

}  // namespace

uint32_t remainingMs(uint32_t now, uint32_t start, uint32_t span) {
    const uint32_t elapsed = now - start;
    return elapsed >= span ? 0 : span - elapsed;
}

uint32_t minutesLeft(uint32_t remaining, uint32_t minuteMs) {
    if (minuteMs == 0) return 0;
    return remaining / minuteMs + (remaining % minuteMs != 0 ? 1 : 0);
}

int32_t fadePermille(uint32_t elapsed, uint32_t fadeMs) {
    if (fadeMs == 0 || elapsed >= fadeMs) return 0;
    const uint64_t left = static_cast<uint64_t>(fadeMs - elapsed) * kFullPermille;
    return static_cast<int32_t>(left / fadeMs);
}

std::wstring tooltipText(NightMode mode, uint32_t minutes) {
    std::wstring text = kProductName;
    text += L'\n';
    switch (mode) {
    case NightMode::Playing: text += kPlayingText; break;
    case NightMode::Paused: text += kPausedText; break;
    case NightMode::Counting: text += std::to_wstring(minutes) + kStopsInSuffix; break;
    }
    return text;
}
