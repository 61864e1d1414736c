// The timer control's interval semantics, with real ticks.
#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"
#include "ui/control_table.h"
#include "ui/timer_control.h"

namespace {

std::vector<DWORD> gTicks;

int32_t recordTick(const EventArgs&) {
    gTicks.push_back(GetTickCount());
    return 0;
}

const Binding kBindings[] = {{ids::loopTimer, kEventTimer, recordTick}};

void writeInterval(int32_t value) {
    setProperty(ids::mainWindow, ids::loopTimer, kPropertyTimerInterval, value);
}

int32_t interval() {
    return getProperty(ids::mainWindow, ids::loopTimer, kPropertyTimerInterval);
}

TEST(IntervalChange, NegativeCountsAsZeroAndTheSameValueChangesNothing) {
    EXPECT_EQ(changeInterval(0, -5).interval, 0);
    EXPECT_FALSE(changeInterval(0, -5).restart);
    EXPECT_FALSE(changeInterval(3000, 3000).restart);
    EXPECT_TRUE(changeInterval(3000, 200).restart);
    EXPECT_TRUE(changeInterval(3000, -1).restart);  // stops it
    EXPECT_EQ(changeInterval(3000, -1).interval, 0);
}

TEST(TimerControl, IsIdleUntilGivenAPeriodAndTicksAfterEachFullPeriod) {
    gTicks.clear();
    test::TestForm form(BindingTable{kBindings, 1});
    ASSERT_NE(form.window(), nullptr);
    EXPECT_EQ(interval(), 0);
    test::pumpFor(300);
    EXPECT_TRUE(gTicks.empty());

    const DWORD started = GetTickCount();
    writeInterval(200);
    EXPECT_EQ(interval(), 200);
    ASSERT_TRUE(test::pumpUntil([] { return gTicks.size() >= 3; }, 5000));
    EXPECT_GE(gTicks[0] - started, 180u);
    EXPECT_LE(gTicks[0] - started, 400u);

    // The same value again does not restart the period: the next tick comes
    // 400 ms after the last one, not 400 ms after the write.
    writeInterval(400);
    ASSERT_TRUE(test::pumpUntil([] { return gTicks.size() >= 4; }, 5000));
    const DWORD lastTick = gTicks.back();
    test::pumpFor(250);
    writeInterval(400);
    ASSERT_TRUE(test::pumpUntil([] { return gTicks.size() >= 5; }, 5000));
    EXPECT_LE(gTicks.back() - lastTick, 550u);

    // A new period starts anew from the write.
    test::pumpFor(100);
    const DWORD rewritten = GetTickCount();
    const size_t before = gTicks.size();
    writeInterval(600);
    ASSERT_TRUE(test::pumpUntil([&] { return gTicks.size() > before; }, 5000));
    EXPECT_GE(gTicks[before] - rewritten, 550u);

    // 0 and negative values stop it.
    writeInterval(-20);
    EXPECT_EQ(interval(), 0);
    const size_t stopped = gTicks.size();
    test::pumpFor(800);
    EXPECT_EQ(gTicks.size(), stopped);
}

}  // namespace
