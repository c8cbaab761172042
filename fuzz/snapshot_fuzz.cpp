// .sna from bytes: a short input, or a 128K one that breaks its format, changes nothing; a
// whole one sets the RAM the processor sees to its bytes, and the ROM is the machine's own.
#include "fuzz/fuzz_harness.h"
#include "media/snapshot.h"

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    TakeState(Before);
    const bool is128K = size == Snapshot128Size || size == Snapshot128LongSize;
    if (!LoadSnapshotBytes(data, size)) {
        FUZZ_CHECK(size < SnapshotSize || is128K);
        FUZZ_CHECK(SameState(Before));
        return 0;
    }
    FUZZ_CHECK(size >= SnapshotSize);
    FUZZ_CHECK(IsPagedMachine() == is128K);
    FUZZ_CHECK(RomIsTheMachinesOwn(Before));
    FUZZ_CHECK(std::memcmp(Machine.memory + RomSize, data + SnapshotHeaderSize, SnapshotRamSize) ==
               0);
    if (is128K)
        FUZZ_CHECK(PagingPort == data[SnapshotSize + 2] &&
                   Machine.pc == (data[SnapshotSize] | data[SnapshotSize + 1] << 8));
    else
        FUZZ_CHECK(Machine.pc == ReadWord(uint16_t(Machine.sp - 2)));
    FUZZ_CHECK(BorderLog.colour < 8 && !Machine.halted);
    return 0;
}
