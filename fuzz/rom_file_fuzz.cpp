// "spectrum.rom" beside the program: at most its first 16 KB go in from address 0, nothing
// else changes, and the machine then runs a frame on it.
#include "fuzz/fuzz_harness.h"

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    WriteTempFile("spectrum.rom", data, size);
    SetProgramFolder(TempFolder());
    TakeState(Before);
    const bool fromFile = LoadRom();
    SetProgramFolder("");
    FUZZ_CHECK(fromFile);
    const size_t used = size < RomSize ? size : RomSize;
    FUZZ_CHECK(std::memcmp(Machine.memory, data, used) == 0);
    FUZZ_CHECK(std::memcmp(Machine.memory + used, Before.memory + used, 65536 - used) == 0);
    FUZZ_CHECK(std::memcmp(&Machine, Before.record, sizeof Machine) == 0);
    FuzzFrame();
    return 0;
}
