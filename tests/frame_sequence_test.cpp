// The work after each frame, in its one order: what the picture and the sound are made from is
// the frame just run, and the input is ready for the next one.
#include <gtest/gtest.h>

#include <cstring>

#include "core/machine.h"
#include "display/colour_map.h"
#include "engine/frame_sequence.h"
#include "engine/power_on.h"
#include "peripherals/beeper.h"
#include "peripherals/input_state.h"
#include "peripherals/joystick.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/headless/headless.h"

namespace {

// What the writer found when it was called: the state the picture is drawn from.
struct SeenByWriter {
    int calls;
    uint8_t flashPhase, mapFlashPhase;
    int32_t nextBand;
    uint16_t beeperEvents;
    uint8_t keyRow4;
} Seen;

void RecordingWriter(uint8_t*, int32_t) {
    ++Seen.calls;
    Seen.flashPhase = FlashPhase;
    Seen.mapFlashPhase = ColourMap.flashPhase;
    Seen.nextBand = BorderLog.nextBand;
    Seen.beeperEvents = BeeperLog.count;
    Seen.keyRow4 = KeyMatrix[4];
}

class FrameSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings = SettingsRecord{};
        HeadlessReleaseAllKeys();
        HeadlessControllerRemove();
        HeadlessWaveRecordTo(nullptr);
        PowerOnMachine();
        ColourMap.depth = 8;
        BuildColourMap();
        ASSERT_TRUE(OpenSound());
        SoundOn = 1;
        Seen = {};
    }
    void TearDown() override {
        CloseSound();
        HeadlessControllerRemove();
        Settings = SettingsRecord{};
    }
};

} // namespace

TEST_F(FrameSequence, SoundIsMadeFromTheFramesEventsBeforeTheLogIsCleared) {
    BeeperLog.tstate[0] = 0, BeeperLog.level[0] = 1, BeeperLog.count = 1; // speaker on at once
    FinishFrame(FrameTarget{RecordingWriter, nullptr, 0});
    const int16_t* block = HeadlessWaveLastBlock();
    EXPECT_NE(block[0], 0); // the event was heard: the log was read before it was reset
    EXPECT_EQ(BeeperLog.count, 0);
    EXPECT_EQ(Seen.beeperEvents, 0);
}

TEST_F(FrameSequence, ThePictureShowsTheBorderAndFlashOfTheFrameJustRun) {
    FlashCounter = 11; // this frame's end turns the flash phase over
    BorderLog.colour = 5, BorderLog.nextBand = 100;
    FinishFrame(FrameTarget{RecordingWriter, nullptr, 0});
    ASSERT_EQ(Seen.calls, 1);
    EXPECT_EQ(Seen.flashPhase, 1);
    EXPECT_EQ(Seen.mapFlashPhase, 1); // the colour map followed before the writer ran
    EXPECT_EQ(Seen.nextBand, 0);      // the border log was closed
    EXPECT_EQ(BorderLog.bands[239], 5);
}

TEST_F(FrameSequence, TheControllerPressesItsCursorKeysInTheSameScan) {
    HeadlessControllerSet({0, 65535, 0, 65535}, {65535, 32768, false}); // pushed right
    Settings.pcJoystick = 1;                                            // as the Cursor joystick
    DetectJoystick();
    FinishFrame(FrameTarget{RecordingWriter, nullptr, 0});
    EXPECT_EQ(KeyMatrix[4], 0xFB); // key 8, read by the next frame
    EXPECT_EQ(Seen.keyRow4, 0xFB);
}
