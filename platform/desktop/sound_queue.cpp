#include "platform/desktop/sound_queue.h"

#include <cstring>

namespace {

constexpr uint8_t Silence = 128;
constexpr uint64_t WindowSamples = 5 * WaveRate;
// A dry spell this long is a pause (inactive window, a dialog), not a stall to plan for.
constexpr uint64_t PauseSamples = 10 * WaveBlockBytes;

uint32_t QueuedSamples(const SoundQueue& q) {
    return uint32_t(q.count * WaveBlockBytes - q.headPosition);
}

void FinishHead(SoundQueue& q) {
    const int slot = q.order[q.head];
    q.headPosition = 0;
    q.head = (q.head + 1) % WaveSlots;
    --q.count;
    q.playing[slot].store(false, std::memory_order_release);
}

// A block at one level throughout, the level just played: skipping it changes nothing heard.
bool SteadyAtLastLevel(const SoundQueue& q, const uint8_t* block) {
    for (int i = 0; i < WaveBlockBytes; ++i)
        if (block[i] != q.lastSample) return false;
    return true;
}

void StartWindow(SoundQueue& q) {
    q.windowStart = q.taken;
    q.lowWater = UINT32_MAX;
    q.ranDryInWindow = false;
}

// At the end of five seconds without running dry the cushion shrinks back a block; whatever the
// queue then holds beyond a cushion's low point is a block to skip when one can be.
void EndWindow(SoundQueue& q) {
    if (!q.ranDryInWindow) {
        if (q.cushion > BaseCushionBlocks) --q.cushion;
        const uint32_t needed = uint32_t((q.cushion - 1) * WaveBlockBytes);
        q.steadyBlocksToSkip = q.lowWater == UINT32_MAX || q.lowWater < needed
                                   ? 0
                                   : int((q.lowWater - needed) / WaveBlockBytes);
    }
    StartWindow(q);
}

void StartIfCushioned(SoundQueue& q) {
    if (q.started || q.count == 0) return;
    const uint64_t waited = q.taken - q.firstQueuedAt;
    if (q.count < q.cushion && waited < uint64_t((q.cushion - 1) * WaveBlockBytes)) return;
    q.started = true;
    // Ran dry and came back quickly: the machine stalled the frames; keep more next time.
    if (q.dryAt && q.taken - q.dryAt < PauseSamples && q.cushion < MaxCushionBlocks) ++q.cushion;
    q.dryAt = 0;
}

} // namespace

void ClearSoundQueue(SoundQueue& q) {
    for (std::atomic<bool>& p : q.playing) p.store(false, std::memory_order_release);
    q.head = q.count = q.headPosition = 0;
    q.started = false;
    q.cushion = BaseCushionBlocks;
    q.taken = q.firstQueuedAt = q.dryAt = 0;
    q.steadyBlocksToSkip = 0;
    q.lastSample = Silence;
    StartWindow(q);
}

void PushSoundBlock(SoundQueue& q, int slot, const uint8_t* block) {
    if (slot < 0 || slot >= WaveSlots || !block || q.count >= WaveSlots) return;
    if (q.playing[slot].load(std::memory_order_acquire)) return;
    q.blocks[slot] = block;
    q.playing[slot].store(true, std::memory_order_relaxed);
    q.order[(q.head + q.count) % WaveSlots] = slot;
    if (q.count++ == 0) q.firstQueuedAt = q.taken;
}

void TakeSoundSamples(SoundQueue& q, uint8_t* out, int length) {
    StartIfCushioned(q);
    if (q.started && QueuedSamples(q) < q.lowWater) q.lowWater = QueuedSamples(q);
    while (length > 0) {
        if (!q.started) {
            std::memset(out, Silence, size_t(length));
            q.taken += uint64_t(length);
            q.lastSample = Silence;
            break;
        }
        if (q.count == 0) { // ran dry: silence until a cushion is gathered again
            q.underruns.fetch_add(1);
            q.started = false;
            q.ranDryInWindow = true;
            q.dryAt = q.taken ? q.taken : 1;
            continue;
        }
        const uint8_t* block = q.blocks[q.order[q.head]];
        if (q.headPosition == 0 && q.steadyBlocksToSkip > 0 && q.count > 1 &&
            SteadyAtLastLevel(q, block)) {
            --q.steadyBlocksToSkip;
            FinishHead(q);
            continue;
        }
        int n = WaveBlockBytes - q.headPosition;
        if (n > length) n = length;
        std::memcpy(out, block + q.headPosition, size_t(n));
        q.lastSample = out[n - 1];
        out += n;
        length -= n;
        q.taken += uint64_t(n);
        q.headPosition += n;
        if (q.headPosition == WaveBlockBytes) FinishHead(q);
    }
    if (q.taken - q.windowStart >= WindowSamples) EndWindow(q);
}

bool SoundSlotDone(const SoundQueue& q, int slot) {
    return slot < 0 || slot >= WaveSlots || !q.playing[slot].load(std::memory_order_acquire);
}
