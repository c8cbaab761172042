#include "platform/desktop/sound_queue.h"

#include <cstring>

namespace {

constexpr uint64_t WindowFrames = 5 * WaveRate;
// A dry spell this long is a pause (inactive window, a dialog), not a stall to plan for.
constexpr uint64_t PauseFrames = 10 * WaveBlockFrames;

uint32_t QueuedFrames(const SoundQueue& q) {
    return uint32_t(q.count * WaveBlockFrames - q.headPosition);
}

void FinishHead(SoundQueue& q) {
    const int slot = q.order[q.head];
    q.headPosition = 0;
    q.head = (q.head + 1) % WaveSlots;
    --q.count;
    q.playing[slot].store(false, std::memory_order_release);
}

// A block at one level throughout, the level just played: skipping it changes nothing heard.
bool SteadyAtLastLevel(const SoundQueue& q, const int16_t* block) {
    for (int i = 0; i < WaveBlockFrames * q.channels; ++i)
        if (block[i] != q.lastFrame[i % q.channels]) return false;
    return true;
}

void HoldSilence(SoundQueue& q) {
    for (int16_t& s : q.lastFrame) s = 0;
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
        const uint32_t needed = uint32_t((q.cushion - 1) * WaveBlockFrames);
        q.steadyBlocksToSkip = q.lowWater == UINT32_MAX || q.lowWater < needed
                                   ? 0
                                   : int((q.lowWater - needed) / WaveBlockFrames);
    }
    StartWindow(q);
}

void StartIfCushioned(SoundQueue& q) {
    if (q.started || q.count == 0) return;
    const uint64_t waited = q.taken - q.firstQueuedAt;
    if (q.count < q.cushion && waited < uint64_t((q.cushion - 1) * WaveBlockFrames)) return;
    q.started = true;
    // Ran dry and came back quickly: the machine stalled the frames; keep more next time.
    if (q.dryAt && q.taken - q.dryAt < PauseFrames && q.cushion < MaxCushionBlocks) ++q.cushion;
    q.dryAt = 0;
}

} // namespace

void ClearSoundQueue(SoundQueue& q, int channels) {
    q.channels = channels == 2 ? 2 : 1;
    for (std::atomic<bool>& p : q.playing) p.store(false, std::memory_order_release);
    q.head = q.count = q.headPosition = 0;
    q.started = false;
    q.cushion = BaseCushionBlocks;
    q.taken = q.firstQueuedAt = q.dryAt = 0;
    q.steadyBlocksToSkip = 0;
    HoldSilence(q);
    StartWindow(q);
}

void PushSoundBlock(SoundQueue& q, int slot, const int16_t* block) {
    if (slot < 0 || slot >= WaveSlots || !block || q.count >= WaveSlots) return;
    if (q.playing[slot].load(std::memory_order_acquire)) return;
    q.blocks[slot] = block;
    q.playing[slot].store(true, std::memory_order_relaxed);
    q.order[(q.head + q.count) % WaveSlots] = slot;
    if (q.count++ == 0) q.firstQueuedAt = q.taken;
}

void TakeSoundSamples(SoundQueue& q, int16_t* out, int frames) {
    StartIfCushioned(q);
    if (q.started && QueuedFrames(q) < q.lowWater) q.lowWater = QueuedFrames(q);
    const int channels = q.channels;
    while (frames > 0) {
        if (!q.started) {
            std::memset(out, 0, size_t(frames * channels) * sizeof *out);
            q.taken += uint64_t(frames);
            HoldSilence(q);
            break;
        }
        if (q.count == 0) { // ran dry: silence until a cushion is gathered again
            q.underruns.fetch_add(1);
            q.started = false;
            q.ranDryInWindow = true;
            q.dryAt = q.taken ? q.taken : 1;
            continue;
        }
        const int16_t* block = q.blocks[q.order[q.head]];
        if (q.headPosition == 0 && q.steadyBlocksToSkip > 0 && q.count > 1 &&
            SteadyAtLastLevel(q, block)) {
            --q.steadyBlocksToSkip;
            FinishHead(q);
            continue;
        }
        int n = WaveBlockFrames - q.headPosition;
        if (n > frames) n = frames;
        std::memcpy(out, block + q.headPosition * channels, size_t(n * channels) * sizeof *out);
        out += n * channels;
        std::memcpy(q.lastFrame, out - channels, size_t(channels) * sizeof *out);
        frames -= n;
        q.taken += uint64_t(n);
        q.headPosition += n;
        if (q.headPosition == WaveBlockFrames) FinishHead(q);
    }
    if (q.taken - q.windowStart >= WindowFrames) EndWindow(q);
}

bool SoundSlotDone(const SoundQueue& q, int slot) {
    return slot < 0 || slot >= WaveSlots || !q.playing[slot].load(std::memory_order_acquire);
}
