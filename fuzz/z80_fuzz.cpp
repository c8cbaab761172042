// .z80 from bytes: a refused snapshot changes nothing; a loaded one leaves the machine's own ROM
// (the 128K's and +2's when made for them), and written out again and read back it gives the
// same machine.
#include "fuzz/fuzz_harness.h"
#include "media/load_file.h"
#include "media/z80_snapshot.h"

static MachineState Before, Loaded;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(0));
    TakeState(Before);
    if (!LoadZ80Bytes(data, size)) {
        FUZZ_CHECK(SameState(Before));
        return 0;
    }
    FUZZ_CHECK(RomIsTheMachinesOwn(Before));
    FUZZ_CHECK(BorderLog.colour < 8 && !Machine.halted);
    TakeState(Loaded);
    const std::string path = TempFolder() + "/again.z80";
    FUZZ_CHECK(SaveZ80Snapshot(path.c_str()));
    FUZZ_CHECK(SameState(Loaded)); // saving changes nothing
    PutState(Before);
    FUZZ_CHECK(LoadFile(path.c_str()));
    FUZZ_CHECK(SameState(Loaded));
    return 0;
}
