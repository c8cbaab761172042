#include "peripherals/beeper.h"

#include <cstring>

#include "core/machine.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "peripherals/tape_input.h"
#include "platform/wave_output.h"

uint8_t SoundOn = 0;
uint8_t SpeakerLevel = 0;
uint32_t SoundFramesDropped = 0;

constexpr uint32_t SamplesPerFrame = WaveBlockBytes; // 44100 / 50
constexpr int MaxSoundBuffers = WaveSlots;

static uint8_t SoundBlocks[MaxSoundBuffers][WaveBlockBytes];
static int OpenBuffers = 0; // blocks in use while the output is open; 0 when closed

bool OpenSound() {
    CloseSound();
    if (Settings.soundBuffers < 1) Settings.soundBuffers = 1;
    if (Settings.soundBuffers > MaxSoundBuffers) Settings.soundBuffers = MaxSoundBuffers;
    if (!WaveOpen()) return false;
    OpenBuffers = Settings.soundBuffers;
    return true;
}

void CloseSound() {
    if (OpenBuffers == 0) return;
    WaveReset();
    WaveClose();
    OpenBuffers = 0;
}

// Sample number of a T-state within the frame's 882 samples.
static uint32_t SampleOf(uint32_t tstate) {
    return uint32_t(uint64_t(tstate) * SamplesPerFrame / MachineFrameTStates);
}

// Volumes of 0-63 keep a sample within 1-254; larger stored ones clip instead of wrapping.
static uint8_t Clip(int s) { return uint8_t(s < 0 ? 0 : s > 255 ? 255 : s); }

void PlayFrameSound() {
    int slot = 0;
    while (slot < OpenBuffers && !WaveSlotDone(slot)) ++slot;
    if (slot >= OpenBuffers) { // every block still playing (or closed): drop this frame
        ++SoundFramesDropped;
        return;
    }
    uint8_t* block = SoundBlocks[slot];

    const bool tape = TapePlaying;
    const int volume = Settings.volume;
    const int tapeVolume = Settings.tapeVolume;
    if (BeeperLog.count == 0 && !tape) { // a silent frame holds one level throughout
        std::memset(block, Clip(128 + SpeakerLevel * volume), SamplesPerFrame);
        WaveQueue(slot, block);
        return;
    }
    uint32_t j = 0;
    for (uint32_t k = 0; k < SamplesPerFrame; ++k) {
        // At most one event per sample: events crowded onto one sample take the following ones.
        if (j < BeeperLog.count && k >= SampleOf(BeeperLog.tstate[j])) {
            SpeakerLevel = BeeperLog.level[j];
            ++j;
        }
        int s = 128 + SpeakerLevel * volume;
        if (tape) s += (int(TapeFrameBuffer[k >> SoundShift]) - 128) * tapeVolume / 128;
        block[k] = Clip(s);
    }
    WaveQueue(slot, block);
}
