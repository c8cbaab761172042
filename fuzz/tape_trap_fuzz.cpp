// The loader trap over a TAP image in memory, called block after block as LOAD would. The
// input: the flag byte, the start address and the length (low byte first), a byte whose bit 0
// asks for LOAD rather than VERIFY, then the tape.
#include "fuzz/fuzz_harness.h"

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint8_t flag = data[0];
    const uint16_t start = uint16_t(data[1] | data[2] << 8);
    const uint16_t length = uint16_t(data[3] | data[4] << 8);
    const bool load = data[5] & 1;
    const uint8_t* tape = data + 6;
    const size_t tapeSize = size - 6;

    PutState(StartState(0));
    if (load)
        Machine.fAlt |= FlagC;
    else
        Machine.fAlt &= uint8_t(~FlagC);
    TakeState(Before);
    size_t position = 0;
    // Every call moves on by at least the length word, so the tape is walked in a bounded
    // number of calls. The trap leaves F' alone, so every call is a LOAD or every one a VERIFY.
    for (size_t calls = 0; calls <= tapeSize / 2 + 1; ++calls) {
        const size_t was = position;
        const uint8_t ok = TapeTrapBytes(tape, tapeSize, position, flag, start, length);
        FUZZ_CHECK(position > was || was >= tapeSize);
        FUZZ_CHECK(position <= tapeSize);
        if (ok) {
            // A block that loads is a whole one: its length word, the flag, at least `length`
            // bytes and a checksum, all within the tape.
            const uint8_t* block = tape + was;
            const uint32_t blockLength = uint32_t(block[0] | block[1] << 8);
            FUZZ_CHECK(was + 2 + blockLength <= tapeSize && position == was + 2 + blockLength);
            FUZZ_CHECK(block[2] == flag && blockLength >= uint32_t(length) + 2);
            // The checksum, the block's last byte, covers the flag and the bytes loaded; bytes
            // the caller did not ask for are passed over.
            uint8_t check = block[1 + blockLength];
            for (uint32_t i = 0; i <= length; ++i) check ^= block[2 + i];
            FUZZ_CHECK(check == 0);
            for (uint32_t i = 0; i < length; ++i) {
                const uint16_t a = uint16_t(start + i);
                if (a >= RomSize) FUZZ_CHECK(Machine.memory[a] == block[3 + i]);
            }
            FUZZ_CHECK(Machine.DE() == 0);
        }
        if (position >= tapeSize) break;
    }
    FUZZ_CHECK(position >= tapeSize);
    // Every call had the same range: nothing outside it changed, nothing at all on VERIFY.
    for (uint32_t a = 0; a < 65536; ++a) {
        if (Machine.memory[a] == Before.memory[a]) continue;
        FUZZ_CHECK(load);
        FUZZ_CHECK(a >= RomSize);
        FUZZ_CHECK(InRange(a, start, length));
    }
    return 0;
}
