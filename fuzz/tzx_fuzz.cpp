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
        TimedFrame(TzxFrameStep);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    TakeState(Before);
    if (!LoadTzxBytes(data, size)) {
        FUZZ_CHECK(SameState(Before));
        FUZZ_CHECK(!TapeFromEdges);
        return 0;
    }
    FUZZ_CHECK(SameState(Before)); // a tape going in changes nothing in the machine
    PlayTzx();
    PlayFrames(6);

    CheckTrapLoad(data + size - 5, TzxTrap); // an accepted tape has its 10-byte header
    CheckEdges();
    PlayFrames(3);
    ForgetTzx();
    TapePlaying = 0;
    return 0;
}
