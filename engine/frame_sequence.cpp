#include "engine/frame_sequence.h"

#include "core/machine.h"
#include "display/flash.h"
#include "engine/auto_load.h"
#include "media/tape.h"
#include "peripherals/beeper.h"
#include "peripherals/joystick.h"
#include "peripherals/keyboard.h"
#include "peripherals/ports.h"

void FinishFrame(const FrameTarget& target, bool silent) {
    FrameEnd();
    TapeFrameStep();    // the tape's signal for the next frame, before the sound mixes it
    FollowFlashPhase(); // the 8-bit writers' colour map follows the flash timer
    if (SoundOn && !silent)
        PlayFrameSound();
    else
        SkipFrameSound();
    BeeperLog.count = 0; // whether or not the sound used the events
    PollJoystick();      // before the scan, which presses the Cursor keys for it
    ScanKeyboard();
    AutoLoadFrameStep(); // the loading command being typed after a tape was opened
    if (target.writer) target.writer(target.pixels, target.pitch);
}

void RunFrame(const FrameTarget& target) {
    FrameLoop();
    FinishFrame(target);
}
