// .sna from bytes: a short input changes nothing; a whole one sets the RAM to its bytes and
// never touches the ROM.
#include "fuzz/fuzz_harness.h"
#include "media/snapshot.h"

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    TakeState(Before);
    if (!LoadSnapshotBytes(data, size)) {
        FUZZ_CHECK(size < SnapshotSize);
        FUZZ_CHECK(SameState(Before));
        return 0;
    }
    FUZZ_CHECK(size >= SnapshotSize);
    FUZZ_CHECK(std::memcmp(Machine.memory, Before.memory, RomSize) == 0);
    FUZZ_CHECK(std::memcmp(Machine.memory + RomSize, data + SnapshotHeaderSize, SnapshotRamSize) ==
               0);
    FUZZ_CHECK(Machine.pc == ReadWord(uint16_t(Machine.sp - 2)));
    FUZZ_CHECK(BorderLog.colour < 8 && !Machine.halted);
    return 0;
}
