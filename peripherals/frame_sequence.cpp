#include "peripherals/frame_sequence.h"

#include "core/machine.h"
#include "peripherals/beeper.h"
#include "peripherals/joystick.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"

void FinishFrame(const FrameTarget& target) {
    FrameEnd();
    if (SoundOn) PlayFrameSound();
    BeeperLog.count = 0; // whether or not the sound used the events
    PollJoystick();      // before the scan, which presses the Cursor keys for it
    ScanKeyboard();
    if (target.writer) target.writer(target.pixels, target.pitch);
}

void RunFrame(const FrameTarget& target) {
    FrameLoop();
    FinishFrame(target);
}
