// A recording of a real cassette played into the EAR input in real time: a headerless stream
// of unsigned 8-bit mono samples (a .wav's own header lies in the two skipped frame blocks).
#pragma once
#include <cstdint>

constexpr uint32_t TapeFrameBufferSize = 1024; // one frame's samples and the overshoot slack

extern uint32_t TapeRate;         // Hz: 11025, 22050 or 44100; not taken from the file
extern uint8_t TapePlaying;       // the recording advances every frame
extern uint32_t TapeBlock;        // next frame block to read; 2 after opening or rewinding
extern uint32_t BytesPerFrame;    // samples consumed per frame
extern uint32_t TStatesPerSample; // T-states one sample lasts within a frame
extern uint32_t SoundShift;       // 44100 Hz sound sample index >> SoundShift = tape sample
extern uint8_t TapeFrameBuffer[TapeFrameBufferSize]; // the samples in use this frame

// Makes the file the current recording and starts playing it at once. Any tape open before is
// closed, whether or not this succeeds.
bool OpenSampledTape(const char* path);
// Derives BytesPerFrame, TStatesPerSample and SoundShift from TapeRate.
void SetTapeRate();

// A recording is open and playing.
bool SampledTapeIsPlaying();
// The EAR level (0 or 1) of the playing recording at a T-state of the current frame.
uint8_t SampledTapeEarLevel(uint32_t tstates);
// Once per frame: reads the next frame's samples, or stops at the end of the recording.
void TapeFrameStep();
