// The chip's sound on its way to the output: the three channels panned to mono or stereo and
// brought from the chip's tick rate to the output's 44100 Hz by the resampler, 882 frames of
// output for each frame of the machine.
#pragma once
#include <cstdint>

// How the channels reach the output; "AY Stereo" stores the number.
enum AyStereoMode : uint8_t { AyMono = 0, AyStereoAbc = 1, AyStereoAcb = 2 };

// Sets up the resampler for `channels` (1 or 2) output channels from a machine whose frame lasts
// `frameTStates`. False when the resampler cannot be made (the chip's sound is then left out).
bool OpenAySound(int channels, uint32_t frameTStates);
// Frees the resampler; nothing happens when it is not open.
void CloseAySound();
// Synthesises the frame (AyRunFrame) and leaves its 882 output frames in `out`, interleaved by
// channel as opened, each channel 0 to 1 at the chip's loudest. `mode` pans the channels for two.
// Sound not yet through the resampler when the stream starts is silence: the chip is heard
// AySoundDelay() samples after the beeper.
void AyFrameSound(uint32_t frameTStates, AyStereoMode mode, float* out);
// Output samples between a T-state's sound in the beeper and in the chip's output.
uint32_t AySoundDelay();
