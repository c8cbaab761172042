// What the fuzz targets of the pulse tapes (.tzx, .csw, .pzx) check: a refused tape changes
// nothing; an accepted one plays frame by frame with its edges in order inside each frame, and
// no frame of it takes more than a second of CPU time, whatever loops or recordings it holds;
// the loader trap asked for a block writes only within that block's addresses, never below
// 0x4000, and nothing at all when it leaves the block to the ROM (always, but for a .tzx). The
// last five bytes of the input choose the flag, start and length asked for.
#pragma once
#include "fuzz/fuzz_harness.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"

inline void CheckEdges() {
    for (uint32_t k = 0; k < TapeEdgeCount; ++k) {
        FUZZ_CHECK(TapeEdges[k] < TapeEdgeCapacity);
        FUZZ_CHECK(k == 0 || TapeEdges[k - 1] < TapeEdges[k]);
    }
}

inline void PlayFrames(int frames) {
    for (int frame = 0; frame < frames && TapePlaying; ++frame) {
        CheckEdges();
        WithinASecond(TzxFrameStep);
    }
}

inline int FuzzPulseTape(const uint8_t* data, size_t size, PulseFormat format) {
    static MachineState Before;
    PutState(StartState(0));
    TakeState(Before);
    bool taken = false;
    WithinASecond([&] { taken = LoadPulseTapeBytes(data, size, format); });
    if (!taken) {
        FUZZ_CHECK(SameState(Before));
        FUZZ_CHECK(!TapeFromEdges);
        return 0;
    }
    FUZZ_CHECK(SameState(Before)); // a tape going in changes nothing in the machine
    WithinASecond(PlayTzx);
    PlayFrames(6);

    uint8_t tail[5] = {};
    for (size_t k = 0; k < 5 && k < size; ++k) tail[4 - k] = data[size - 1 - k];
    const uint8_t result = CheckTrapLoad(tail, TzxTrap);
    FUZZ_CHECK(format == PulseFormat::Tzx || result == TrapDeclined);
    CheckEdges();
    PlayFrames(3);
    ForgetTzx();
    TapePlaying = 0;
    return 0;
}
