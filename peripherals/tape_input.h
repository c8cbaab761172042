// The EAR input from a playing recording: one frame's samples, put here once per frame by the
// recorder (media/sampled_tape.h), read by port 0xFE and mixed into the sound.
#pragma once
#include <cstdint>

constexpr uint32_t TapeFrameBufferSize = 1024; // one frame's samples and the overshoot slack

extern uint8_t TapePlaying;       // a recording is open and advances every frame; 0 with none
extern uint32_t TStatesPerSample; // T-states one sample lasts within a frame
extern uint32_t SoundShift;       // 44100 Hz sound sample index >> SoundShift = tape sample
extern uint8_t TapeFrameBuffer[TapeFrameBufferSize]; // the samples in use this frame

// The EAR level (0 or 1) of the recording at a T-state of the current frame.
uint8_t TapeEarLevel(uint32_t tstates);
