// The wave output on SDL's audio device: the queued 882-byte blocks are copied into the device's
// buffer by SDL's audio callback, in the order queued, and each is marked done as its last byte
// goes. An empty queue plays silence.
#include <SDL.h>

#include <atomic>
#include <cstring>

#include "platform/wave_output.h"

// The device's own buffer: 441 samples, 10 ms at 44100 Hz, played after the queued blocks.
// Smaller buffers underrun on busy desktops; larger ones add to the latency of N x 20 ms. A whole
// number of milliseconds, since drivers that pace themselves by the millisecond (SDL's disk
// writer) would otherwise play faster than the frames arrive and run dry every second or so.
constexpr int DeviceSamples = 441;
constexpr uint8_t Silence = 128;
// Playing starts, and starts again after the queue ran dry, only once a cushion is queued: three
// blocks (60 ms) or the oldest block waiting 40 ms, so that frames finished a little late
// on a busy desktop leave no gap in the sound.
constexpr int CushionBlocks = 3;
constexpr Uint32 CushionWaitMs = 40;

static SDL_AudioDeviceID Device = 0;         // 0 while closed
static std::atomic<bool> Playing[WaveSlots]; // queued and not yet all handed to the device
static const uint8_t* Blocks[WaveSlots];

// The slots queued for playing, oldest first; the callback reads from the head. Changed by the
// main thread only with the device locked, which keeps the callback out.
static int Queue[WaveSlots];
static int QueueHead = 0;
static int QueueCount = 0;
static int HeadPosition = 0;   // bytes of the head block already handed to the device
static bool Cushioned = false; // the queue has had its cushion since it last ran dry
static Uint32 FirstQueuedAt;   // SDL_GetTicks when the queue last went from empty to one block

static void MarkAllDone() {
    for (std::atomic<bool>& p : Playing) p.store(false, std::memory_order_release);
}

static void DropQueue() {
    QueueHead = 0;
    QueueCount = 0;
    HeadPosition = 0;
    Cushioned = false;
    MarkAllDone();
}

// Runs on SDL's audio thread with the device locked.
static void FillDeviceBuffer(void*, Uint8* stream, int length) {
    if (!Cushioned && QueueCount > 0)
        Cushioned = QueueCount >= CushionBlocks || SDL_GetTicks() - FirstQueuedAt >= CushionWaitMs;
    while (length > 0) {
        if (QueueCount == 0 || !Cushioned) {
            std::memset(stream, Silence, size_t(length));
            Cushioned = false;
            return;
        }
        int slot = Queue[QueueHead];
        int n = WaveBlockBytes - HeadPosition;
        if (n > length) n = length;
        std::memcpy(stream, Blocks[slot] + HeadPosition, size_t(n));
        stream += n;
        length -= n;
        HeadPosition += n;
        if (HeadPosition == WaveBlockBytes) {
            HeadPosition = 0;
            QueueHead = (QueueHead + 1) % WaveSlots;
            --QueueCount;
            Playing[slot].store(false, std::memory_order_release);
        }
    }
}

bool WaveOpen() {
    WaveClose();
    // Ctrl+C and SIGTERM belong to the program, not to SDL's event queue that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = WaveRate;
    want.format = AUDIO_U8;
    want.channels = 1;
    want.samples = DeviceSamples;
    want.callback = FillDeviceBuffer;
    // No changes allowed: SDL converts to whatever the hardware takes.
    Device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (Device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    DropQueue();
    SDL_PauseAudioDevice(Device, 0);
    return true;
}

void WaveQueue(int slot, const uint8_t* block) {
    if (Device == 0 || slot < 0 || slot >= WaveSlots || !block) return;
    if (Playing[slot].load(std::memory_order_acquire)) return; // already queued
    SDL_LockAudioDevice(Device);
    Blocks[slot] = block;
    Playing[slot].store(true, std::memory_order_relaxed);
    Queue[(QueueHead + QueueCount) % WaveSlots] = slot;
    if (QueueCount++ == 0) FirstQueuedAt = SDL_GetTicks();
    SDL_UnlockAudioDevice(Device);
}

bool WaveSlotDone(int slot) {
    return slot < 0 || slot >= WaveSlots || !Playing[slot].load(std::memory_order_acquire);
}

void WaveReset() {
    if (Device == 0) {
        MarkAllDone();
        return;
    }
    SDL_LockAudioDevice(Device);
    DropQueue();
    SDL_UnlockAudioDevice(Device);
}

void WaveClose() {
    if (Device != 0) {
        SDL_CloseAudioDevice(Device); // waits for the audio thread to finish
        Device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    DropQueue();
}
