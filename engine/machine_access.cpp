// The machine's memory, tape recorder and sound as a front end reads and sets them.
#include "core/machine.h"
#include "engine/engine.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "media/tzx_player.h"
#include "peripherals/beeper.h"
#include "peripherals/tape_input.h"

uint8_t PeekMemory(uint16_t address) { return Machine.memory[address]; }

void PokeMemory(uint16_t address, uint8_t value) { Machine.memory[address] = value; }

TapeStatus CurrentTapeStatus() {
    TapeStatus status{TapeSort::None, TapePlaying != 0, TapePositionPermille(), TzxStopCount,
                      TzxStopReason};
    if (CurrentTape)
        status.sort = TapeKind == TapeImage     ? TapeSort::Image
                      : TapeKind == SampledTape ? TapeSort::Recording
                                                : TapeSort::Pulses;
    return status;
}

uint32_t RecordingRate() { return TapeRate; }

void SetRecordingRate(uint32_t hz) { TapeRate = hz; }

void ApplyRecordingRate() {
    if (CurrentTape && TapeKind == SampledTape) SetTapeRate();
}

bool SoundIsOn() { return SoundOn != 0; }

void SetSoundOn(bool on) { SoundOn = on ? 1 : 0; }

uint32_t DroppedSoundFrames() { return SoundFramesDropped; }
