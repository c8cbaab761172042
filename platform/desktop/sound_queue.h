// The blocks queued between the frames and the sound device, and the cushion kept ahead of the
// device. Time is counted in the frames of samples (one a channel) the device has taken, so the
// rules need no clock.
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
    int channels; // 1 or 2: samples in a frame
    const int16_t* blocks[WaveSlots];
    std::atomic<bool> playing[WaveSlots]; // queued and not yet all handed to the device
    int order[WaveSlots];                 // the queued slots, oldest first from `head`
    int head, count, headPosition;        // headPosition: frames of the head block handed on
    bool started;                         // playing, not gathering a cushion
    int cushion;                          // blocks gathered before playing starts
    uint64_t taken;                       // frames the device has taken
    uint64_t firstQueuedAt;               // `taken` when the queue last went from empty
    uint64_t dryAt;                       // `taken` when the queue last ran dry while playing
    uint64_t windowStart;                 // `taken` when the current five seconds began
    uint32_t lowWater;                    // fewest frames queued at a take in those seconds
    bool ranDryInWindow;
    int steadyBlocksToSkip;             // whole blocks the queue holds beyond what it needs
    int16_t lastFrame[WaveMaxChannels]; // the last frame handed on
    std::atomic<uint32_t> underruns;    // times the queue ran dry while playing
};

// Empties the queue, every slot done, the cushion back at its start, blocks of `channels`
// (1 or 2) from now on; the count of underruns is kept.
void ClearSoundQueue(SoundQueue& q, int channels);
// The producer's side, with the device kept out: queues the slot's block; ignored when the slot
// is already queued or out of range.
void PushSoundBlock(SoundQueue& q, int slot, const int16_t* block);
// The device's side: fills `frames` frames, silence (0) where there is nothing to play yet.
void TakeSoundSamples(SoundQueue& q, int16_t* out, int frames);
// The slot's block has been handed on whole, or was never queued.
bool SoundSlotDone(const SoundQueue& q, int slot);
