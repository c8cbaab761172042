// A TAP image in the recorder and the ROM's own LD-BYTES (0x0556) called with the trap in
// place, as LOAD calls it for each block. The input: A (the flag), IX and DE (low byte first),
// a byte whose bit 0 is the carry (LOAD rather than VERIFY), then the tape.
#include "fuzz/fuzz_harness.h"
#include "media/load_file.h"

constexpr uint16_t LoadBytes = 0x0556;
constexpr int BootFrames = 150; // past the ROM's start-up, its system variables set

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint8_t flag = data[0];
    const uint16_t start = uint16_t(data[1] | data[2] << 8);
    // At most 32 KB, so that at least 16 KB of RAM in one piece is left for the caller's code
    // and stack: one of the places 4 KB apart below lies inside it.
    const uint16_t length = uint16_t((data[3] | data[4] << 8) & 0x7FFF);
    const bool load = data[5] & 1;

    PutState(StartState(BootFrames));
    FUZZ_CHECK(LoadFileBytes("tape.tap", data + 6, size - 6));
    LoadRom(); // places the trap

    // The caller: DI; HALT at `guard`, its address on the stack at guard+16.
    uint16_t guard = 0;
    for (uint32_t g = 0x5000; g <= 0xF000; g += 0x1000) {
        bool free = true;
        for (uint32_t a = g; a < g + 18; ++a) free = free && !InRange(a, start, length);
        if (free) {
            guard = uint16_t(g);
            break;
        }
    }
    FUZZ_CHECK(guard != 0);
    const uint16_t stack = uint16_t(guard + 16);
    Machine.memory[guard] = 0xF3;     // DI
    Machine.memory[guard + 1] = 0x76; // HALT
    Machine.memory[stack] = uint8_t(guard);
    Machine.memory[stack + 1] = uint8_t(guard >> 8);
    Machine.sp = stack;
    Machine.pc = LoadBytes;
    Machine.a = flag;
    Machine.f = load ? FlagC : 0;
    Machine.ix = start;
    Machine.SetDE(length);
    Machine.halted = 0;
    Machine.indexPrefix = 0;
    Machine.interruptState &= uint8_t(~Iff1Bit);
    Machine.tstates = 0; // the whole call fits in this frame, before its interrupt
    TakeState(Before);

    for (int frame = 0; frame < 2 && !Machine.halted; ++frame) FuzzFrame();
    // Back in the caller, halted.
    FUZZ_CHECK(Machine.halted && Machine.sp == uint16_t(stack + 2));
    FUZZ_CHECK(uint16_t(Machine.pc - guard) <= 2);
    for (uint32_t a = 0; a < 65536; ++a) {
        if (Machine.memory[a] == Before.memory[a]) continue;
        if (a == uint16_t(stack - 2) || a == uint16_t(stack - 1)) continue; // the loader's pushes
        FUZZ_CHECK(load);
        FUZZ_CHECK(a >= RomSize);
        FUZZ_CHECK(InRange(a, start, length));
    }
    // Carry set on return: the tape's first block loaded (or verified) whole.
    if (Machine.f & FlagC) {
        const uint8_t* block = data + 6;
        FUZZ_CHECK(size >= 6 + 2 + 2 + size_t(length));
        FUZZ_CHECK(block[2] == flag && uint32_t(block[0] | block[1] << 8) >= length + 2u);
        for (uint32_t i = 0; i < length; ++i) {
            const uint16_t a = uint16_t(start + i);
            if (a >= RomSize) FUZZ_CHECK(Machine.memory[a] == block[3 + i]);
        }
    }
    CloseTape();
    return 0;
}
