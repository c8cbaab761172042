// The wave output on SDL's audio device: the queued blocks of 882 frames are copied into the
// device's buffer by SDL's audio callback, in the order queued, with the cushion sound_queue.h
// keeps.
#include <SDL.h>

#include "platform/desktop/sdl_devices.h"
#include "platform/desktop/sound_queue.h"
#include "platform/wave_output.h"

// The device's own buffer: 441 frames, 10 ms at 44100 Hz, played after the queued blocks.
// Smaller buffers underrun on busy desktops; larger ones add to the latency. A whole number of
// milliseconds, since drivers that pace themselves by the millisecond (SDL's disk writer) would
// otherwise play faster than the frames arrive and run dry every second or so.
constexpr int DeviceSamples = 441;

static SDL_AudioDeviceID Device = 0; // 0 while closed
// Changed by the main thread only with the device locked, which keeps the callback out.
static SoundQueue Queue;

// Runs on SDL's audio thread with the device locked.
static void FillDeviceBuffer(void*, Uint8* stream, int length) {
    const int frameBytes = Queue.channels * int(sizeof(int16_t));
    TakeSoundSamples(Queue, reinterpret_cast<int16_t*>(stream), length / frameBytes);
}

bool WaveOpen(int channels) {
    WaveClose();
    // Ctrl+C and SIGTERM belong to the program, not to SDL's event queue that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = WaveRate;
    want.format = AUDIO_S16SYS;
    want.channels = Uint8(channels == 2 ? 2 : 1);
    want.samples = DeviceSamples;
    want.callback = FillDeviceBuffer;
    // No changes allowed: SDL converts to whatever the hardware takes.
    Device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (Device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    ClearSoundQueue(Queue, want.channels);
    SDL_PauseAudioDevice(Device, 0);
    return true;
}

void WaveQueue(int slot, const int16_t* block) {
    if (Device == 0) return;
    SDL_LockAudioDevice(Device);
    PushSoundBlock(Queue, slot, block);
    SDL_UnlockAudioDevice(Device);
}

bool WaveSlotDone(int slot) { return SoundSlotDone(Queue, slot); }

void WaveReset() {
    if (Device == 0) {
        ClearSoundQueue(Queue, Queue.channels);
        return;
    }
    SDL_LockAudioDevice(Device);
    ClearSoundQueue(Queue, Queue.channels);
    SDL_UnlockAudioDevice(Device);
}

void WaveClose() {
    if (Device != 0) {
        SDL_CloseAudioDevice(Device); // waits for the audio thread to finish
        Device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    ClearSoundQueue(Queue, Queue.channels);
}

uint32_t WaveUnderruns() { return Queue.underruns.load(); }
