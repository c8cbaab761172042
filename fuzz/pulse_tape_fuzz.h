// What the fuzz targets of the pulse tapes (.tzx, .csw, .pzx) check: a refused tape changes
// nothing; an accepted one plays frame by frame with its edges in order inside each frame, and
// no frame of it takes more than a second of CPU time, whatever loops or recordings it holds;
// the loader trap asked for a block writes only within that block's addresses, never below
// 0x4000, and nothing at all when it leaves the block to the ROM (always, but for a .tzx). The
// last five bytes of the input choose the flag, start and length asked for.
#pragma once
#include <ctime>

#include "fuzz/fuzz_harness.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `step` and checks that it took at most a second of CPU time.
template <typename Step> void WithinASecond(Step step) {
    const double start = CpuSeconds();
    step();
    FUZZ_CHECK(CpuSeconds() - start < 1.0);
}

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
    const uint8_t flag = tail[0];
    const uint16_t start = uint16_t(tail[1] | tail[2] << 8);
    const uint16_t length = uint16_t(tail[3] | tail[4] << 8);
    Machine.fAlt |= FlagC; // LOAD, not VERIFY
    TakeState(Before);
    uint8_t result = 0;
    WithinASecond([&] { result = TzxTrap(flag, start, length); });
    FUZZ_CHECK(result == TrapLoaded || result == TrapFailed || result == TrapDeclined);
    FUZZ_CHECK(format == PulseFormat::Tzx || result == TrapDeclined);
    for (uint32_t a = 0; a < 65536; ++a) {
        if (Machine.memory[a] == Before.memory[a]) continue;
        FUZZ_CHECK(result != TrapDeclined);
        FUZZ_CHECK(a >= 0x4000);
        FUZZ_CHECK(InRange(a, start, length));
    }
    CheckEdges();
    PlayFrames(3);
    ForgetTzx();
    TapePlaying = 0;
    return 0;
}
