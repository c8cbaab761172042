#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

#include "core/machine.h"

// The register file is stored F, A, C, B, E, D, L, H, then the alternates, so each pair's bytes
// form a little-endian word in memory order.
TEST(MachineRecord, RegisterPairsAreStoredLowByteFirst) {
    EXPECT_EQ(offsetof(MachineRecord, a), offsetof(MachineRecord, f) + 1);
    EXPECT_EQ(offsetof(MachineRecord, c), offsetof(MachineRecord, f) + 2);
    EXPECT_EQ(offsetof(MachineRecord, b), offsetof(MachineRecord, f) + 3);
    EXPECT_EQ(offsetof(MachineRecord, l), offsetof(MachineRecord, f) + 6);
    EXPECT_EQ(offsetof(MachineRecord, h), offsetof(MachineRecord, f) + 7);
    EXPECT_EQ(offsetof(MachineRecord, fAlt), offsetof(MachineRecord, f) + 8);
    EXPECT_EQ(offsetof(MachineRecord, hAlt), offsetof(MachineRecord, f) + 15);
    EXPECT_EQ(offsetof(MachineRecord, ix), offsetof(MachineRecord, f) + 16);
    MachineRecord m{};
    m.SetHL(0x1234);
    EXPECT_EQ(m.h, 0x12);
    EXPECT_EQ(m.l, 0x34);
    m.b = 0xAB, m.c = 0xCD;
    EXPECT_EQ(m.BC(), 0xABCD);
}

// Reset is the processor's power-on state: every register pair, I, the interrupt state, a HALT
// or a pending prefix and the frame's T-state count cleared; R and the memory kept.
TEST(MachineRecord, ResetClearsTheProcessorAndKeepsRAndMemory) {
    AllocateMemory();
    for (uint32_t a = 0; a < 65536; ++a) Machine.memory[a] = uint8_t(a * 5 + (a >> 8));
    const std::vector<uint8_t> memory(Machine.memory, Machine.memory + 65536);
    uint8_t* const bytes[] = {&Machine.f,      &Machine.a,          &Machine.c,
                              &Machine.b,      &Machine.e,          &Machine.d,
                              &Machine.l,      &Machine.h,          &Machine.fAlt,
                              &Machine.aAlt,   &Machine.cAlt,       &Machine.bAlt,
                              &Machine.eAlt,   &Machine.dAlt,       &Machine.lAlt,
                              &Machine.hAlt,   &Machine.i,          &Machine.interruptState,
                              &Machine.halted, &Machine.indexPrefix};
    uint16_t* const words[] = {&Machine.ix, &Machine.iy, &Machine.pc, &Machine.sp};
    uint8_t value = 0x11;
    for (uint8_t* b : bytes) *b = value++;
    for (uint16_t* w : words) *w = uint16_t(value++ * 0x0101);
    Machine.r = 0xB7;
    Machine.tstates = 12345;

    ResetMachine();
    for (size_t k = 0; k < std::size(bytes); ++k) EXPECT_EQ(*bytes[k], 0) << "byte " << k;
    for (size_t k = 0; k < std::size(words); ++k) EXPECT_EQ(*words[k], 0) << "word " << k;
    EXPECT_EQ(Machine.tstates, 0u);
    EXPECT_EQ(Machine.r, 0xB7);
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), Machine.memory));
}
