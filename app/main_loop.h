// The heartbeat: one emulated frame, paced by the speed setting, and what follows it.
#pragma once
#include <cstdint>

// True while a program reads a playing tape and "Fast Loading" is on: the frames run unpaced
// and silent, and only those the display can show are drawn.
extern bool FastLoading;
extern uint32_t FastLoadingSwitches; // times fast loading began or ended, for the tests

// FrameLoop, the frame count, the pacing (none while fast loading), the speed figure, the shared
// frame sequence and the picture.
void RunDesktopFrame();
// Holds the frame to the speed setting: True waits for the ticks to catch up with the frames,
// Sync to Monitor for the display's refresh, Maximum not at all.
void PaceFrame();
