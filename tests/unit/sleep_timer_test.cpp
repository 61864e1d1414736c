// The sleep timer's arithmetic: the countdown across the tick count's wrap,
// the minutes the tooltip shows, the fade's steps and the players' scaled
// volumes.
#include <gtest/gtest.h>

#include "mixer/channels.h"
#include "night/sleep_timer.h"

namespace {

constexpr uint32_t kHour = 60 * kRealMinuteMs;

TEST(SleepTimer, CountsDownAcrossTheTickCountsWrap) {
    EXPECT_EQ(remainingMs(1000, 1000, kHour), kHour);
    EXPECT_EQ(remainingMs(1000 + kHour - 1, 1000, kHour), 1u);
    EXPECT_EQ(remainingMs(1000 + kHour, 1000, kHour), 0u);
    // Started 10 s before the counter wraps to 0, read 5 s after it.
    const uint32_t start = 0xFFFFFFFFu - 9999u;
    EXPECT_EQ(remainingMs(5000, start, kHour), kHour - 15000);
    EXPECT_EQ(remainingMs(start + kHour, start, kHour), 0u);
    // Long past the end (a machine that slept through it) stays at 0.
    EXPECT_EQ(remainingMs(start + 3 * kHour, start, kHour), 0u);
}

TEST(SleepTimer, ShowsEveryStartedMinute) {
    EXPECT_EQ(minutesLeft(kHour, kRealMinuteMs), 60u);
    EXPECT_EQ(minutesLeft(kHour - 1, kRealMinuteMs), 60u);
    EXPECT_EQ(minutesLeft(59 * kRealMinuteMs, kRealMinuteMs), 59u);
    EXPECT_EQ(minutesLeft(1, kRealMinuteMs), 1u);
    EXPECT_EQ(minutesLeft(0, kRealMinuteMs), 0u);
    EXPECT_EQ(minutesLeft(1500, 1000), 2u);  // the test build's second-long minute
}

TEST(SleepTimer, FadesInEqualStepsToSilence) {
    EXPECT_EQ(fadePermille(0, kFadeMs), 1000);
    EXPECT_EQ(fadePermille(2500, kFadeMs), 750);
    EXPECT_EQ(fadePermille(5000, kFadeMs), 500);
    EXPECT_EQ(fadePermille(9999, kFadeMs), 0);
    EXPECT_EQ(fadePermille(kFadeMs, kFadeMs), 0);
    EXPECT_EQ(fadePermille(kFadeMs * 3, kFadeMs), 0);
    int32_t previous = fadePermille(0, kFadeMs);
    for (uint32_t t = 200; t <= kFadeMs; t += 200) {
        const int32_t now = fadePermille(t, kFadeMs);
        EXPECT_EQ(previous - now, 20) << t;  // never a jump, never a rise
        previous = now;
    }
}

TEST(SleepTimer, ScalesEachSlidersVolume) {
    EXPECT_EQ(scaledVolume(80, 1000), 80);
    EXPECT_EQ(scaledVolume(80, 500), 40);
    EXPECT_EQ(scaledVolume(75, 333), 24);  // 24.975 rounds down
    EXPECT_EQ(scaledVolume(100, 0), 0);
    EXPECT_EQ(scaledVolume(100, 1500), 100);  // never louder than the slider
    EXPECT_EQ(scaledVolume(100, -5), 0);
}

TEST(SleepTimer, TooltipNamesTheProductThenWhatItDoes) {
    EXPECT_EQ(tooltipText(NightMode::Playing, 0), L"墨川禾语听泉\n正在播放");
    EXPECT_EQ(tooltipText(NightMode::Paused, 7), L"墨川禾语听泉\n已暂停");
    EXPECT_EQ(tooltipText(NightMode::Counting, 90), L"墨川禾语听泉\n90 分钟后停止");
}

}  // namespace
