#include <gtest/gtest.h>

#include <cstddef>

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
