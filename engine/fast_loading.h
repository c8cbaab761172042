// Fast loading: while a program reads a tape that plays by itself (a .tzx or a recording), the
// front end runs the machine as fast as it can and silent, then goes back to its chosen speed.
// What runs is unchanged, frame for frame: only the pacing and the sound differ.
#pragma once

// Between FrameLoop and FinishFrame: true when fast loading is `enabled`, a tape is playing in real
// time and the program read port 0xFE as a loader does (far more often than a keyboard scan).
bool TapeBeingLoaded(bool enabled);
