#include "engine/auto_load.h"

#include "core/machine.h"
#include "engine/power_on.h"
#include "media/tape.h"
#include "peripherals/input_state.h"
#include "peripherals/machine_model.h"

namespace {

// A key of the Spectrum's matrix: the half-row (the address line A8..A15 that selects it) and
// the row's bits with the key's bit cleared.
struct SpectrumKey {
    uint8_t row;
    uint8_t mask;
};
constexpr SpectrumKey NoKey{0, 0xFF};
constexpr SpectrumKey KeyJ{6, 0xF7};           // ENTER L K J H: bit 3
constexpr SpectrumKey KeyP{5, 0xFE};           // P O I U Y: bit 0
constexpr SpectrumKey KeyEnter{6, 0xFE};       // bit 0
constexpr SpectrumKey KeySymbolShift{7, 0xFD}; // SPACE SYMBOL-SHIFT M N B: bit 1

struct Chord {
    SpectrumKey first, second;
};

// LOAD "" in the 48K editor: J is LOAD in K mode, SYMBOL SHIFT + P is the quote.
constexpr Chord Load48[] = {
    {KeyJ, NoKey}, {KeySymbolShift, KeyP}, {KeySymbolShift, KeyP}, {KeyEnter, NoKey}};

// "Tape Loader", where the start-up menu's bar starts.
constexpr Chord MenuTapeLoader[] = {{KeyEnter, NoKey}};

struct Recipe {
    const Chord* chords;
    int count;
    int settleFrames; // after interrupt mode 1 is set, before the first key
};

// The 48K's ROM checks and clears the memory in interrupt mode 0 with interrupts off; it sets
// mode 1 just before enabling them and reaches its editor within a few frames, and a key
// pressed before the keyboard scan runs is lost. (IFF1 cannot tell: at a frame's end the
// interrupt has just been taken and has cleared it.) The 128K's ROM draws its menu some 60
// frames after setting mode 1 and reads the keys only then.
Recipe RecipeFor(AutoLoadMachine machine) {
    switch (machine) {
    case AutoLoadMachine::Spectrum48: break;
    case AutoLoadMachine::StartUpMenu:
        return {MenuTapeLoader, int(sizeof MenuTapeLoader / sizeof MenuTapeLoader[0]), 100};
    }
    return {Load48, int(sizeof Load48 / sizeof Load48[0]), 10};
}
// Each chord is held long enough for the ROM's keyboard scan (one per interrupt) to see it once,
// and released as long so that the next press is a new key and not a repeat.
constexpr int HoldFrames = 4;

Recipe Typing{nullptr, 0, 0};
int Step;         // the chord being typed; Typing.count when done
int FramesInStep; // frames since the settling or the chord began
bool Settled;     // the ROM has enabled interrupts and settled
bool PlayAfter;   // a recording starts playing once the command is entered

} // namespace

AutoLoadMachine RunningAutoLoadMachine() {
    return IsPagedMachine() ? AutoLoadMachine::StartUpMenu : AutoLoadMachine::Spectrum48;
}

void StartAutoLoad(AutoLoadMachine machine) {
    ResetHardware();
    Typing = RecipeFor(machine);
    Step = 0;
    FramesInStep = 0;
    Settled = false;
    PlayAfter = TapePlaysInRealTime() && TapeKind == SampledTape;
    if (PlayAfter) {
        StopTape();
        RewindTape();
    }
}

void CancelAutoLoad() {
    Typing = {nullptr, 0, 0};
    PlayAfter = false;
}

bool AutoLoadTyping() { return Typing.chords != nullptr; }

void AutoLoadFrameStep() {
    if (!Typing.chords) return;
    if (!Settled) {
        if (Machine.InterruptMode() == 0) return;
        if (++FramesInStep < Typing.settleFrames) return;
        Settled = true;
        FramesInStep = 0;
    }
    if (FramesInStep < HoldFrames) {
        const Chord& c = Typing.chords[Step];
        KeyMatrix[c.first.row] &= c.first.mask;
        KeyMatrix[c.second.row] &= c.second.mask;
    }
    if (++FramesInStep < 2 * HoldFrames) return;
    FramesInStep = 0;
    if (++Step < Typing.count) return;
    Typing = {nullptr, 0, 0};
    if (PlayAfter) PlayTape();
    PlayAfter = false;
}
