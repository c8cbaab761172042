#pragma once
// Brings the colour map's flashing attributes (128-255) to the current FlashPhase by exchanging
// their set-bit and clear-bit patterns, so that the 8-bit writers follow the flash timer. Once
// per frame after FrameEnd, before the frame is drawn; nothing happens while the phase is kept.
void FollowFlashPhase();
