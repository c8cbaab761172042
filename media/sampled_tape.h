// A recording of a real cassette played into the EAR input in real time: a headerless stream
// of unsigned 8-bit mono samples (a .wav's own header lies in the two skipped frame blocks).
#pragma once
#include <cstdint>

#include "peripherals/tape_input.h"

extern uint32_t TapeRate;      // Hz: 11025, 22050 or 44100; not taken from the file
extern uint32_t TapeBlock;     // next frame block to read; 2 after opening or rewinding
extern uint32_t BytesPerFrame; // samples consumed per frame

// Makes the file the current recording and starts playing it at once. Any tape open before is
// closed, whether or not this succeeds.
bool OpenSampledTape(const char* path);
// Derives BytesPerFrame, TStatesPerSample and SoundShift from TapeRate.
void SetTapeRate();

// A recording is open and playing.
bool SampledTapeIsPlaying();
// Once per frame, after FrameEnd: reads the next frame's samples into TapeFrameBuffer, or stops
// at the end of the recording. Nothing happens unless a recording is playing.
void TapeFrameStep();
