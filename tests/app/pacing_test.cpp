// The 20 ms tick, the frame counter and the speed figure they give.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "display/speed_display.h"

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
