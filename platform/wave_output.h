// The sound card: 44100 Hz, unsigned 8-bit mono (silence 128), played from queued blocks.
#pragma once
#include <cstdint>

constexpr int WaveRate = 44100;
constexpr int WaveBlockBytes = 882; // one frame: 20 ms
constexpr int WaveSlots = 50;       // blocks that can be queued at once

// Opens the default output. False when there is no usable device.
bool WaveOpen();
// Queues the 882-byte block for playing after those already queued. The block belongs to the
// slot (0 to 49) and must stay unchanged until WaveSlotDone(slot) is true again.
void WaveQueue(int slot, const uint8_t* block);
// The slot's block has finished playing, or was never queued.
bool WaveSlotDone(int slot);
// Stops playing and discards the queue; every slot becomes done.
void WaveReset();
// Closes the output; a closed output may be opened again.
void WaveClose();
