// The blocks queued between the frames and the sound device, and the cushion kept ahead of the
// device. Time is counted in the samples the device has taken, so the rules need no clock.
//
// Playing starts, and starts again after the queue ran dry, once `cushion` blocks are queued or
// the oldest has waited for all but one of them. A dry spell shorter than a pause (a frame made
// late by a busy machine) grows the cushion by a block, so the next stall of that length is
// covered. After five seconds without running dry the cushion shrinks by a block back towards
// three, and for each whole block the queue held beyond what the cushion needs (the device's
// clock slower than the frames', a device that stalled, a shrunk cushion), a block of unchanging
// level is skipped: the only kind whose loss cannot be heard. So latency stays near 60 ms on a
// quiet machine.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/wave_output.h"

constexpr int BaseCushionBlocks = 3;
constexpr int MaxCushionBlocks = 8;

struct SoundQueue {
    const uint8_t* blocks[WaveSlots];
    std::atomic<bool> playing[WaveSlots]; // queued and not yet all handed to the device
    int order[WaveSlots];                 // the queued slots, oldest first from `head`
    int head, count, headPosition;        // headPosition: bytes of the head block handed on
    bool started;                         // playing, not gathering a cushion
    int cushion;                          // blocks gathered before playing starts
    uint64_t taken;                       // samples the device has taken
    uint64_t firstQueuedAt;               // `taken` when the queue last went from empty
    uint64_t dryAt;                       // `taken` when the queue last ran dry while playing
    uint64_t windowStart;                 // `taken` when the current five seconds began
    uint32_t lowWater;                    // fewest samples queued at a take in those seconds
    bool ranDryInWindow;
    int steadyBlocksToSkip;          // whole blocks the queue holds beyond what it needs
    uint8_t lastSample;              // the last sample handed on
    std::atomic<uint32_t> underruns; // times the queue ran dry while playing
};

// Empties the queue, every slot done, the cushion back at its start; the count of underruns
// is kept.
void ClearSoundQueue(SoundQueue& q);
// The producer's side, with the device kept out: queues the slot's block; ignored when the slot
// is already queued or out of range.
void PushSoundBlock(SoundQueue& q, int slot, const uint8_t* block);
// The device's side: fills `length` bytes, silence (128) where there is nothing to play yet.
void TakeSoundSamples(SoundQueue& q, uint8_t* out, int length);
// The slot's block has been handed on whole, or was never queued.
bool SoundSlotDone(const SoundQueue& q, int slot);
