// The SDL game controller, driven through one of SDL's virtual joysticks.
#include <SDL.h>
#include <gtest/gtest.h>

#include "peripherals/input_state.h"
#include "peripherals/joystick.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/desktop/sdl_devices.h"

namespace {

constexpr uint8_t KempstonRight = 0x01, KempstonUp = 0x08, KempstonFire = 0x10;

class SdlGameController : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real controller is plugged in";
        Settings = SettingsRecord{};
        DesktopReleaseAllKeys();
    }
    void TearDown() override {
        if (stick) SDL_JoystickClose(stick);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        ControllerShutdown();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    // Plugs in a stick with two axes and one button, and takes hold of it to move it.
    void PlugIn() {
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 1, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(index);
        ASSERT_NE(stick, nullptr) << SDL_GetError();
    }
    void Move(int16_t x, int16_t y, bool fire) {
        SDL_JoystickSetVirtualAxis(stick, 0, x);
        SDL_JoystickSetVirtualAxis(stick, 1, y);
        SDL_JoystickSetVirtualButton(stick, 0, fire ? 1 : 0);
    }
    int index = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(SdlGameController, OnePluggedInAfterStartIsFoundByTheNextDetection) {
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 0);
    PollJoystick();
    EXPECT_EQ(PcJoyBits, 0);

    PlugIn();
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 2); // found: Kempston unless chosen otherwise
    EXPECT_EQ(JoystickRange.xMin, 0u);
    EXPECT_EQ(JoystickRange.xMax, 65535u);
    EXPECT_EQ(JoystickRange.yMax, 65535u);
    Move(0, 0, false);
    PollJoystick();
    EXPECT_EQ(PcJoyBits, 0); // centred
    Move(-32768, -32768, true);
    PollJoystick();
    EXPECT_EQ(PcJoyBits, JoyLeft | JoyUp | JoyFire);
}

TEST_F(SdlGameController, RightPressesCursorKey8OrSetsTheKempstonBit) {
    PlugIn();
    Settings.pcJoystick = 1;
    DetectJoystick();
    ASSERT_EQ(Settings.pcJoystick, 1); // a choice made before is kept
    Move(32767, 0, false);
    PollJoystick();
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4] & 0x1F, 0x1F & ~0x04); // 8 is bit 2 of the 6-0 half-row
    EXPECT_EQ(PortRead(0x1F, 0) & KempstonRight, 0);

    Settings.pcJoystick = 2;
    Move(32767, -32768, true);
    PollJoystick();
    ScanKeyboard();
    EXPECT_EQ(KeyMatrix[4] & 0x1F, 0x1F); // no key pressed
    EXPECT_EQ(PortRead(0x1F, 0), KempstonRight | KempstonUp | KempstonFire);
}

TEST_F(SdlGameController, OneUnpluggedWhileRunningReadsCentred) {
    PlugIn();
    DetectJoystick();
    Move(32767, 32767, true);
    PollJoystick();
    ASSERT_EQ(PcJoyBits, JoyRight | JoyDown | JoyFire);

    SDL_JoystickClose(stick);
    stick = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    index = -1;
    for (int frame = 0; frame < 3; ++frame) {
        PollJoystick();
        EXPECT_EQ(PcJoyBits, 0);
    }
    DetectJoystick();
    EXPECT_EQ(Settings.pcJoystick, 0);
}

} // namespace
