#include <gtest/gtest.h>

#include <cstring>

#include "peripherals/input_state.h"
#include "peripherals/joystick.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/headless/headless.h"
#include "platform/virtual_keys.h"

namespace {

constexpr ControllerRangeRecord FullRange{0, 65535, 0, 65535};
constexpr uint32_t Centre = 32768;

class Joystick : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        Settings = SettingsRecord{};
        HeadlessControllerRemove();
        HeadlessReleaseAllKeys();
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        KeyJoyBits = 0;
        PcJoyBits = 0;
    }
    // The bits read for a position, on a controller detected as Kempston.
    static uint8_t BitsAt(uint32_t x, uint32_t y, bool button = false,
                          ControllerRangeRecord range = FullRange) {
        HeadlessControllerSet(range, {x, y, button});
        Settings.pcJoystick = 2;
        DetectJoystick();
        PollJoystick();
        return PcJoyBits;
    }
};

TEST_F(Joystick, NoControllerTurnsThePcJoystickOff) {
    Settings.pcJoystick = 2;
    PcJoyBits = 0xFF;
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 0);
    PollJoystick();
    EXPECT_EQ(PcJoyBits, 0);
}

TEST_F(Joystick, DetectionKeepsAChosenKindAndDefaultsToKempston) {
    HeadlessControllerSet(FullRange, {Centre, Centre, false});
    Settings.pcJoystick = 0;
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 2);
    Settings.pcJoystick = 1;
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 1);
}

// 40 to 60 percent of the range inclusive is the dead zone, on both axes.
TEST_F(Joystick, DeadZoneBoundaries) {
    EXPECT_EQ(BitsAt(26213, Centre), JoyLeft);  // 39 %
    EXPECT_EQ(BitsAt(26214, Centre), 0);        // 40 %
    EXPECT_EQ(BitsAt(39976, Centre), 0);        // 60 %
    EXPECT_EQ(BitsAt(39977, Centre), JoyRight); // 61 %
    EXPECT_EQ(BitsAt(Centre, 26213), JoyUp);
    EXPECT_EQ(BitsAt(Centre, 26214), 0);
    EXPECT_EQ(BitsAt(Centre, 39976), 0);
    EXPECT_EQ(BitsAt(Centre, 39977), JoyDown);
    EXPECT_EQ(BitsAt(0, 65535), JoyLeft | JoyDown);
}

TEST_F(Joystick, PercentagesFollowTheCalibratedRange) {
    const ControllerRangeRecord range{1000, 2000, 500, 700};
    EXPECT_EQ(BitsAt(1399, 600, false, range), JoyLeft);
    EXPECT_EQ(BitsAt(1400, 600, false, range), 0);
    EXPECT_EQ(BitsAt(1610, 579, false, range), JoyRight | JoyUp); // 61 %, 39 %
    EXPECT_EQ(BitsAt(1610, 580, false, range), JoyRight);         // 40 %
    // Beyond the calibration the stick still points the way it is pushed.
    EXPECT_EQ(BitsAt(900, 600, false, range), JoyLeft);
    EXPECT_EQ(BitsAt(2100, 800, false, range), JoyRight | JoyDown);
}

TEST_F(Joystick, FireIsTheFirstButtonOnly) {
    EXPECT_EQ(BitsAt(0, 0, true), 0x85);
    EXPECT_EQ(BitsAt(Centre, Centre, false), 0); // another button alone reads nothing
}

TEST_F(Joystick, AnAxisWithoutRangeReadsCentred) {
    const ControllerRangeRecord flatX{7, 7, 0, 65535};
    EXPECT_EQ(BitsAt(0, 0, false, flatX), JoyUp);
    EXPECT_EQ(BitsAt(65535, Centre, false, flatX), 0);
}

TEST_F(Joystick, AControllerThatStopsAnsweringReadsIdle) {
    EXPECT_EQ(BitsAt(0, 0, true), 0x85);
    HeadlessControllerSilence(true);
    PollJoystick();
    EXPECT_EQ(PcJoyBits, 0);
    EXPECT_EQ(Settings.pcJoystick, 2); // until the next detection
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 0);
}

TEST_F(Joystick, AsCursorJoystickPressesNumberKeys) {
    HeadlessControllerSet(FullRange, {65535, Centre, false});
    Settings.pcJoystick = 1;
    DetectJoystick();
    PollJoystick();
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4], 0xFB); // 8
    for (int row : {0, 1, 2, 3, 5, 6, 7}) EXPECT_EQ(KeyMatrix[row], 0xFF) << row;
    EXPECT_EQ(PortRead(0x1F, 0), 0x00);

    // With the cursor keys on the same joystick, both press keys.
    HeadlessKeyDown(VkLeft, true);
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4], 0xFB);
    EXPECT_EQ(KeyMatrix[3], 0xEF); // 5
}

TEST_F(Joystick, AsKempstonJoystickCombinesWithTheCursorKeysAtThePort) {
    HeadlessControllerSet(FullRange, {Centre, Centre, true});
    Settings.pcJoystick = 2;
    Settings.keybJoystick = 2;
    DetectJoystick();
    PollJoystick();
    HeadlessKeyDown(VkUp, true);
    ScanKeyboard();
    for (uint8_t row : KeyMatrix) EXPECT_EQ(row, 0xFF);
    EXPECT_EQ(PortRead(0x1F, 0), 0x18); // up and fire

    Settings.keybJoystick = 1; // cursor keys now on the other joystick
    ScanKeyboard();
    EXPECT_EQ(PortRead(0x1F, 0), 0x10);
    EXPECT_EQ(KeyMatrix[4], 0xF7); // 7
}

} // namespace
