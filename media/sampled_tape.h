// A recording of a real cassette played into the EAR input in real time: a headerless stream
// of unsigned 8-bit mono samples (a .wav's own header, checked when it is opened, lies in the
// two skipped frame blocks).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "peripherals/tape_input.h"

extern uint32_t TapeRate;      // Hz: 11025, 22050 or 44100; a .wav header may set it
extern uint32_t TapeBlock;     // next frame block to read; 2 after opening or rewinding
extern uint32_t BytesPerFrame; // samples consumed per frame

// Makes the file the current recording (taken over as InsertTape takes it, media/tape.h) and
// starts playing it at once. With `waveHeader` (a .wav) the file must start with a
// header of 8-bit mono PCM and sound data, else it is refused (LoadError::NotPlayable); a
// header naming 11025, 22050 or 44100 Hz sets TapeRate. Playback still starts two frame
// blocks in, past the header.
bool OpenSampledTape(std::FILE* file, bool waveHeader = false);
// Checks a .wav header in a file of `size` bytes: RIFF/WAVE, a format chunk of 8-bit mono PCM,
// then a data chunk that is not empty, whatever other chunks come before it. Sets `rate` to the
// header's samples a second. OpenSampledTape walks the file's chunks the same way.
bool ReadWaveHeader(const uint8_t* data, size_t size, uint32_t& rate);
// Derives BytesPerFrame, TStatesPerSample and SoundShift from TapeRate.
void SetTapeRate();

// A recording is open and playing.
bool SampledTapeIsPlaying();
// Once per frame, after FrameEnd (through TapeFrameStep, media/tape.h): reads the next frame's
// samples into TapeFrameBuffer, or stops at the end of the recording. Nothing happens unless a
// recording is playing.
void SampledTapeFrameStep();
