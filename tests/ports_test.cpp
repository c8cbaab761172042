#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/machine.h"
#include "cpu_harness.h"
#include "peripherals/input_state.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"

namespace {

// The ports work on global state; every test starts from the power-on values and leaves them.
class Ports : public ::testing::Test {
  protected:
    SettingsRecord savedSettings = Settings;
    void SetUp() override { Reset(); }
    void TearDown() override {
        Reset();
        Settings = savedSettings;
    }
    static void Reset() {
        CleanMachine();
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        KeyJoyBits = PcJoyBits = 0;
        EarLevel = 1;
        BorderLog.colour = 0;
        BorderLog.nextBand = 0;
        BeeperLog.count = 0;
    }
    static void WriteAt(uint32_t t, uint8_t value) {
        Machine.tstates = t;
        PortWrite(0xFE, value);
    }
};

// EAR reads high until a port write or a tape says otherwise. Checked in a fresh process of
// this program, because the tests before this one change the level.
TEST(PortsAtStart, EarLevelStartsHigh) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(EarLevel == 1 ? 0 : 1), ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, "fast");
}

TEST_F(Ports, AFrameWithoutWritesShowsTheCarriedColour) {
    BorderLog.colour = 5;
    std::memset(BorderLog.bands, 0, sizeof BorderLog.bands);
    FrameEnd();
    for (int band = 0; band < BorderBands; ++band) EXPECT_EQ(BorderLog.bands[band], 5) << band;
    EXPECT_EQ(BorderLog.nextBand, 0);
}

TEST_F(Ports, WritesFallIntoBandsOf291Point2TStates) {
    BorderLog.colour = 1;
    WriteAt(0, 2);   // band 0 takes the new colour
    WriteAt(291, 3); // still band 0, which shows the later colour
    WriteAt(292, 4); // band 1
    WriteAt(FrameTStates / 2, 6);
    FrameEnd();
    EXPECT_EQ(BorderLog.bands[0], 3);
    EXPECT_EQ(BorderLog.bands[1], 4);
    EXPECT_EQ(BorderLog.bands[119], 4);
    EXPECT_EQ(BorderLog.bands[120], 6);
    EXPECT_EQ(BorderLog.bands[239], 6);
    for (int band = 0; band < BorderBands; ++band) EXPECT_NE(BorderLog.bands[band], 2);
}

TEST_F(Ports, AWriteAtOrPastTheFrameEndColoursTheNextFrame) {
    for (uint32_t t : {FrameTStates, FrameTStates + 23, FrameTStates + 2000}) {
        Reset();
        BorderLog.colour = 1;
        WriteAt(t, 2);
        EXPECT_EQ(BorderLog.nextBand, BorderBands);
        FrameEnd();
        EXPECT_EQ(BorderLog.bands[0], 1) << t;
        EXPECT_EQ(BorderLog.bands[239], 1) << t;
        EXPECT_EQ(BorderLog.colour, 2) << t; // the new colour carries into the next frame
        FrameEnd();
        EXPECT_EQ(BorderLog.bands[0], 2) << t;
    }
}

TEST_F(Ports, EveryUlaWriteIsASpeakerEvent) {
    WriteAt(100, 0x10);
    WriteAt(200, 0x00);
    WriteAt(300, 0x00); // no change of level is still an event
    ASSERT_EQ(BeeperLog.count, 3);
    EXPECT_EQ(BeeperLog.tstate[0], 100u);
    EXPECT_EQ(BeeperLog.level[0], 1);
    EXPECT_EQ(BeeperLog.level[1], 0);
    EXPECT_EQ(BeeperLog.tstate[2], 300u);
    PortWrite(0xFF, 0x10); // another port: nothing recorded
    PortWrite(0xFC, 0x07);
    EXPECT_EQ(BeeperLog.count, 3);
    EXPECT_EQ(BorderLog.colour, 0);
}

TEST_F(Ports, EarReadsBackWhatMicOrSpeakerWrote) {
    WriteAt(0, 0x07);
    EXPECT_EQ(EarLevel, 0);
    EXPECT_EQ(PortRead(0xFE, 0xFF), 0xBF);
    WriteAt(10, 0x08);
    EXPECT_EQ(PortRead(0xFE, 0xFF), 0xFF);
    WriteAt(20, 0x10);
    EXPECT_EQ(EarLevel, 1);
}

TEST_F(Ports, KeyboardRowsSelectedByZeroBitsCombine) {
    KeyMatrix[0] = 0xFE; // CAPS SHIFT
    EXPECT_EQ(PortRead(0xFE, 0xFE), 0xFE);
    EarLevel = 0;
    EXPECT_EQ(PortRead(0xFE, 0xFE), 0xBE);
    EarLevel = 1;
    KeyMatrix[7] = 0xF7;                   // a key in the SPACE row
    EXPECT_EQ(PortRead(0xFE, 0xFF), 0xFF); // no row selected
    EXPECT_EQ(PortRead(0xFE, 0x7E), 0xF6); // both rows
    EXPECT_EQ(PortRead(0xFE, 0x7F), 0xF7); // the SPACE row only
    EXPECT_EQ(PortRead(0xFE, 0x00), 0xF6); // every row
    EXPECT_EQ(PortRead(0x7F, 0x00), 0xFF); // not a port
    EXPECT_EQ(PortRead(0xFF, 0x00), 0xFF);
}

TEST_F(Ports, KempstonReadsOnlyJoysticksSetToKempston) {
    KeyJoyBits = JoyUp | JoyFire;
    PcJoyBits = JoyRight;
    Settings.keybJoystick = 2, Settings.pcJoystick = 0;
    EXPECT_EQ(PortRead(0x1F, 0xFF), 0x18);
    Settings.pcJoystick = 2;
    EXPECT_EQ(PortRead(0x1F, 0xFF), 0x19);
    Settings.keybJoystick = 1, Settings.pcJoystick = 1;
    EXPECT_EQ(PortRead(0x1F, 0xFF), 0x00);
    Settings.keybJoystick = 2;
    KeyJoyBits = JoyLeft | JoyDown;
    EXPECT_EQ(PortRead(0x1F, 0x00), 0x06);
}

TEST_F(Ports, FlashPhaseTurnsEveryTwelveFrames) {
    uint8_t start = FlashPhase;
    FlashCounter = 0;
    for (int frame = 1; frame <= 24; ++frame) {
        FrameEnd();
        bool turned = frame >= 12 && frame < 24;
        EXPECT_EQ(FlashPhase != start, turned) << frame;
    }
    EXPECT_EQ(FlashPhase, start);
}

} // namespace
