// The tape as the machine sees it: the loader trap and the sampled recording's EAR signal.
#pragma once
#include <cstdint>

// Loads the next block of the open tape image at start (IX) for length (DE) bytes, checking the
// flag byte; returns non-zero on success, 0 on any failure (also with no tape image open).
uint8_t TapeTrap(uint8_t flag, uint16_t start, uint16_t length);

// A sampled recording is open and playing.
bool SampledTapeIsPlaying();
// The EAR level of the playing recording at a T-state of the current frame.
uint8_t SampledTapeEarLevel(uint32_t tstates);
// Advances playback by one frame: next frame's samples, or stop at the end.
void TapeFrameStep();
