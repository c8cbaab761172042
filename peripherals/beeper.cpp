#include "peripherals/beeper.h"

#include <cstring>

#include "core/machine.h"
#include "peripherals/ay_chip.h"
#include "peripherals/ay_sound.h"
#include "peripherals/machine_model.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "peripherals/tape_input.h"
#include "platform/wave_output.h"

uint8_t SoundOn = 0;
uint8_t SpeakerLevel = 0;
uint32_t SoundFramesDropped = 0;

constexpr uint32_t SamplesPerFrame = WaveBlockFrames; // 44100 / 50
constexpr int MaxSoundBuffers = WaveSlots;
// The speaker's level of 0-63 in 16-bit steps: the 8-bit output's steps, 256 times larger.
constexpr int LevelStep = 256;

static int16_t SoundBlocks[MaxSoundBuffers][WaveBlockFrames * WaveMaxChannels];
static float ChipSound[WaveBlockFrames * WaveMaxChannels];
static int OpenBuffers = 0; // blocks in use while the output is open; 0 when closed
static int Channels = 1;

bool OpenSound() {
    CloseSound();
    if (Settings.soundBuffers < 1) Settings.soundBuffers = 1;
    if (Settings.soundBuffers > MaxSoundBuffers) Settings.soundBuffers = MaxSoundBuffers;
    if (Settings.ayStereo > AyStereoAcb) Settings.ayStereo = AyMono;
    Channels = Settings.ayStereo == AyMono ? 1 : 2;
    if (!WaveOpen(Channels)) return false;
    // Only the 128K's frame has the chip. Without a resampler the chip is left out.
    OpenAySound(Channels, FrameTStates128);
    OpenBuffers = Settings.soundBuffers;
    return true;
}

void CloseSound() {
    if (OpenBuffers == 0) return;
    WaveReset();
    WaveClose();
    CloseAySound();
    OpenBuffers = 0;
}

void SkipFrameSound() {
    if (IsPagedMachine()) AySkipFrame(MachineFrameTStates);
}

// Sample number of a T-state within the frame's 882 samples.
static uint32_t SampleOf(uint32_t tstate) {
    return uint32_t(uint64_t(tstate) * SamplesPerFrame / MachineFrameTStates);
}

// The chip's three channels at their loudest come to nine tenths of the speaker's level, leaving
// room for the resampler's filter, which overshoots a square wave's edges by up to 9%: with the
// speaker at full volume they stay below 32767. Only larger stored volumes or a recording at
// full volume beside them clip, never wrapping round.
constexpr float ChipShare = 0.9f;
static int16_t Clip(int s) { return int16_t(s < -32768 ? -32768 : s > 32767 ? 32767 : s); }

void PlayFrameSound() {
    int slot = 0;
    while (slot < OpenBuffers && !WaveSlotDone(slot)) ++slot;
    if (slot >= OpenBuffers) { // every block still playing (or closed): drop this frame
        ++SoundFramesDropped;
        SkipFrameSound();
        return;
    }
    int16_t* block = SoundBlocks[slot];

    const bool tape = TapePlaying;
    const int volume = Settings.volume;
    const int tapeVolume = Settings.tapeVolume;
    const bool chip = IsPagedMachine(); // the 128K and +2 have the sound chip
    if (chip) AyFrameSound(MachineFrameTStates, AyStereoMode(Settings.ayStereo), ChipSound);
    if (BeeperLog.count == 0 && !tape && !chip) { // a silent frame holds one level throughout
        const int16_t level = Clip(SpeakerLevel * volume * LevelStep);
        for (uint32_t k = 0; k < SamplesPerFrame * uint32_t(Channels); ++k) block[k] = level;
        WaveQueue(slot, block);
        return;
    }
    const float chipScale = float(volume * LevelStep) * ChipShare;
    uint32_t j = 0;
    for (uint32_t k = 0; k < SamplesPerFrame; ++k) {
        // At most one event per sample: events crowded onto one sample take the following ones.
        if (j < BeeperLog.count && k >= SampleOf(BeeperLog.tstate[j])) {
            SpeakerLevel = BeeperLog.level[j];
            ++j;
        }
        int s = SpeakerLevel * volume;
        if (tape) s += (int(TapeFrameBuffer[k >> SoundShift]) - 128) * tapeVolume / 128;
        s *= LevelStep;
        for (int c = 0; c < Channels; ++c) {
            const int i = int(k) * Channels + c;
            block[i] = Clip(chip ? s + int(ChipSound[i] * chipScale) : s);
        }
    }
    WaveQueue(slot, block);
}
