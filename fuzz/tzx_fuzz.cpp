// .tzx from bytes: a refused tape changes nothing; an accepted one plays frame by frame with its
// edges in order inside each frame, and the loader trap asked for a block writes only within
// that block's addresses, never below 0x4000, and nothing at all when it leaves the block to the
// ROM. The last five bytes of the input choose the flag, start and length asked for.
#include "fuzz/fuzz_harness.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"

static MachineState Before;

static void CheckEdges() {
    for (uint32_t k = 0; k < TapeEdgeCount; ++k) {
        FUZZ_CHECK(TapeEdges[k] < TapeEdgeCapacity);
        FUZZ_CHECK(k == 0 || TapeEdges[k - 1] < TapeEdges[k]);
    }
}

static void PlayFrames(int frames) {
    for (int frame = 0; frame < frames && TapePlaying; ++frame) {
        CheckEdges();
        TzxFrameStep();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    TakeState(Before);
    if (!LoadPulseTapeBytes(data, size, PulseFormat::Tzx)) {
        FUZZ_CHECK(SameState(Before));
        FUZZ_CHECK(!TapeFromEdges);
        return 0;
    }
    FUZZ_CHECK(SameState(Before)); // a tape going in changes nothing in the machine
    PlayTzx();
    PlayFrames(6);

    const uint8_t* tail = data + size - 5; // an accepted tape has at least its 10-byte header
    const uint8_t flag = tail[0];
    const uint16_t start = uint16_t(tail[1] | tail[2] << 8);
    const uint16_t length = uint16_t(tail[3] | tail[4] << 8);
    Machine.fAlt |= FlagC; // LOAD, not VERIFY
    TakeState(Before);
    const uint8_t result = TzxTrap(flag, start, length);
    FUZZ_CHECK(result == TrapLoaded || result == TrapFailed || result == TrapDeclined);
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
