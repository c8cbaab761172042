// The heartbeat: one emulated frame, paced by the speed setting, and what follows it.
#pragma once

// FrameLoop, the frame count, the pacing, the speed figure, the shared frame sequence and the
// picture.
void RunDesktopFrame();
// Holds the frame to the speed setting: True waits for the ticks to catch up with the frames,
// Sync to Monitor for the display's refresh, Maximum not at all.
void PaceFrame();
