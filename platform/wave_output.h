// The sound card: 44100 Hz, signed 16-bit, mono or stereo (left first in each frame; silence 0),
// played from queued blocks.
#pragma once
#include <cstdint>

constexpr int WaveRate = 44100;
constexpr int WaveBlockFrames = 882; // one frame of the machine: 20 ms
constexpr int WaveMaxChannels = 2;
constexpr int WaveSlots = 50; // blocks that can be queued at once

// Opens the default output with 1 (mono) or 2 (stereo) channels. False when there is no usable
// device.
bool WaveOpen(int channels);
// Queues the block of WaveBlockFrames frames (that many samples a channel) for playing after those
// already queued. The block belongs to the slot (0 to 49) and must stay unchanged until
// WaveSlotDone(slot) is true again.
void WaveQueue(int slot, const int16_t* block);
// The slot's block has finished playing, or was never queued.
bool WaveSlotDone(int slot);
// Stops playing and discards the queue; every slot becomes done.
void WaveReset();
// Closes the output; a closed output may be opened again.
void WaveClose();
