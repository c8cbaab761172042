// What follows every emulated frame, in the one order the desktop main loop and the batch runner
// share: the frame-end work, the sound, the input for the next frame, the picture.
#pragma once
#include <cstdint>

#include "display/writer_table.h"

// Where the frame is drawn: one of the renderer's writers (WriterFor) into the caller's buffer.
// A null writer draws nothing.
struct FrameTarget {
    FrameWriter writer;
    uint8_t* pixels;
    int32_t pitch;
};

// After FrameLoop (and the desktop's pacing): FrameEnd, TapeFrameStep, FollowFlashPhase,
// PlayFrameSound while SoundOn (else SkipFrameSound), the reset of the beeper log, PollJoystick,
// ScanKeyboard, the keys of an auto-load (engine/auto_load.h), then the frame drawn into the
// target. `silent` leaves the frame's sound out (fast loading), as a frame with SoundOn 0 does.
void FinishFrame(const FrameTarget& target, bool silent = false);
// FrameLoop, then FinishFrame: one frame for a caller that does no pacing.
void RunFrame(const FrameTarget& target);
