// The 20 ms tick, the frame counter and the speed figure they give.
#include <gtest/gtest.h>

#include "app/pacing_stats.h"
#include "app/run_state.h"
#include "app/speed_display.h"
#include "app/tick_schedule.h"
#include "app/tick_timer.h"

namespace {

void Ticks(int n) {
    for (int i = 0; i < n; ++i) TimerTick();
}

class Pacing : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRunState();
        AppActive = true;
    }
    void TearDown() override { AppActive = true; }
};

} // namespace

TEST_F(Pacing, TicksCountToFortyNineThenHalveWithTheFrames) {
    Ticks(48);
    EXPECT_EQ(TickCount.load(), 49u);
    FrameCount = 49;
    TimerTick(); // the tick that would make 50
    EXPECT_EQ(TickCount.load(), 25u);
    EXPECT_EQ(FrameCount.load(), 24u);
    Ticks(24);
    EXPECT_EQ(TickCount.load(), 49u);
    TimerTick();
    EXPECT_EQ(TickCount.load(), 25u); // never below 25 once it has reached 50
}

TEST_F(Pacing, NoTicksWhilePausedOrInAMenu) {
    AppActive = false;
    Ticks(10);
    EXPECT_EQ(TickCount.load(), 1u);
    AppActive = true;
    TickEnabled = false;
    Ticks(10);
    EXPECT_EQ(TickCount.load(), 1u);
    TickEnabled = true;
    Ticks(10);
    EXPECT_EQ(TickCount.load(), 11u);
}

TEST_F(Pacing, TrueSpeedStartsLevelSoNothingIsCaughtUp) {
    FrameCount = 40;
    Ticks(5); // e.g. ticks during a pause at Maximum
    SelectTrueSpeed();
    EXPECT_EQ(TickCount.load(), FrameCount.load());
    EXPECT_EQ(SpeedMode, SpeedTrue);
}

TEST_F(Pacing, FortyFramesInFiftyTicksSettleAtEightyPercent) {
    ClearSpeedHistory();
    TickCount = 0;
    FrameCount = 0;
    uint32_t percent = 0;
    EXPECT_FALSE(FrameSpeedPercent(percent)); // no tick yet: nothing to record
    for (int tick = 1; tick <= 500; ++tick) {
        TimerTick();
        if (tick % 5 == 0) continue; // four frames in every five ticks
        FrameCount.fetch_add(1);
        ASSERT_TRUE(FrameSpeedPercent(percent));
        RecordSpeed(percent);
    }
    EXPECT_NEAR(AverageSpeed(), 80, 2);
}

TEST(SpeedReadout, EmptySlotsCountAsZeroAndTheMeanTruncates) {
    ClearSpeedHistory();
    for (int i = 0; i < 10; ++i) RecordSpeed(100);
    EXPECT_EQ(AverageSpeed(), 20);
    ClearSpeedHistory();
    for (int i = 0; i < 50; ++i) RecordSpeed(i < 49 ? 100 : 99);
    EXPECT_EQ(AverageSpeed(), 99); // 4999 / 50
    for (int i = 0; i < 50; ++i) RecordSpeed(0);
    EXPECT_EQ(AverageSpeed(), 0);
}

// ---- The tick schedule on a fake clock (milliseconds written out as nanoseconds) -------------

namespace {
constexpr int64_t Ms = 1'000'000;
} // namespace

TEST(TickSchedule, EarlyWakesTickNotLateOnesKeepTheCadence) {
    TickSchedule s = StartTickSchedule(1000 * Ms);
    int64_t due = 0;
    EXPECT_EQ(TakeDueTicks(s, 1019 * Ms, due), 0); // woken early: no tick
    EXPECT_EQ(TakeDueTicks(s, 1020 * Ms, due), 1);
    EXPECT_EQ(due, 1020 * Ms);
    EXPECT_EQ(TakeDueTicks(s, 1043 * Ms, due), 1); // 3 ms late
    EXPECT_EQ(due, 1040 * Ms);                     // still counted from when it was due
    EXPECT_EQ(s.nextDue, 1060 * Ms);               // and the next one not moved
}

TEST(TickSchedule, MissedTicksAreCaughtUpButALongStallStartsAfresh) {
    TickSchedule s = StartTickSchedule(0);
    int64_t due = 0;
    EXPECT_EQ(TakeDueTicks(s, 75 * Ms, due), 3); // 20, 40 and 60 all due
    EXPECT_EQ(due, 60 * Ms);
    EXPECT_EQ(s.nextDue, 80 * Ms);
    // Ten periods is still a catch-up; beyond that (a suspended machine) one tick, from now.
    EXPECT_EQ(TakeDueTicks(s, 80 * Ms + 9 * 20 * Ms, due), 10);
    EXPECT_EQ(TakeDueTicks(s, 5000 * Ms, due), 1);
    EXPECT_EQ(due, 5000 * Ms);
    EXPECT_EQ(s.nextDue, 5020 * Ms);
    int total = 0;
    for (int64_t t = 5020; t < 6020; t += 7) total += TakeDueTicks(s, t * Ms, due);
    EXPECT_EQ(total, 50); // a second of uneven wake-ups, fifty ticks
}

TEST_F(Pacing, AFrameAheadSleepsUntilItsTickIsDueAndThatTickIsCounted) {
    int64_t due = 0;
    FrameCount = TickCount.load();
    EXPECT_FALSE(WaitForTicks(due)); // level: no wait
    for (uint32_t ahead : {2u, 1u}) {
        FrameCount = TickCount.load() + ahead; // a tick may come meanwhile: then one less
        ASSERT_TRUE(WaitForTicks(due)) << ahead;
        EXPECT_GE(SteadyNowNs(), due);                  // never woken before the tick's time
        EXPECT_LE(FrameCount.load(), TickCount.load()); // the tick is counted, by either thread
        EXPECT_GE(LastTickDueNs(), due);
    }
}

TEST_F(Pacing, ATickIsCountedOnceWhicheverThreadFindsItDue) {
    const int64_t now = SteadyNowNs();
    const uint32_t before = TickCount.load();
    const int counted = CountDueTicks(now + 45 * 1'000'000); // two or three ticks from now
    EXPECT_GE(counted, 2);
    EXPECT_EQ(CountDueTicks(now + 45 * 1'000'000), 0); // the other thread finds nothing left
    EXPECT_GE(TickCount.load(), before + uint32_t(counted));
}

TEST(PacingStats, PercentilesComeFromTheCountedLateness) {
    ClearPacingStats();
    EXPECT_EQ(LatenessPercentileUs(0.5), 0);
    for (int i = 0; i < 98; ++i) CountLateness(120'000); // 0.12 ms: the 0.10-0.15 bin
    CountLateness(4'000'000);
    CountLateness(900'000'000); // beyond the last bin
    EXPECT_EQ(LatenessPercentileUs(0.5), 150);
    EXPECT_EQ(LatenessPercentileUs(0.99), 4050);
    EXPECT_EQ(LatenessPercentileUs(1.0), 50000);
}
