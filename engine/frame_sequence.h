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
// PlayFrameSound while SoundOn, the reset of the beeper log, PollJoystick, ScanKeyboard, then the
// frame drawn into the target.
void FinishFrame(const FrameTarget& target);
// FrameLoop, then FinishFrame: one frame for a caller that does no pacing.
void RunFrame(const FrameTarget& target);
