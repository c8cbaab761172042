#include <gtest/gtest.h>

#include <cstdint>

#include "tests/cpu_harness.h"
#include "tests/shift_reference.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;
constexpr uint16_t DataAt = 0x9000;

uint8_t& RegisterByNumber(unsigned r) {
    switch (r) {
    case 0: return Machine.b;
    case 1: return Machine.c;
    case 2: return Machine.d;
    case 3: return Machine.e;
    case 4: return Machine.h;
    case 5: return Machine.l;
    case 6: return Machine.memory[DataAt]; // HL points here
    default: return Machine.a;
    }
}

// Registers B..A hold distinct values and HL points at RAM; the instruction is at CodeAt.
void SetUpCB(uint8_t op) {
    Machine.SetBC(0x1122), Machine.SetDE(0x3344), Machine.SetHL(DataAt), Machine.a = 0x77;
    Machine.memory[DataAt] = 0x99;
    LoadCode(CodeAt, {0xCB, op});
}

} // namespace

// Every rotate and shift on every operand, every byte value and both carries, against the
// arithmetic model; the other registers must not move.
TEST(CbSet, RotatesAndShiftsMatchArithmeticOnEveryOperand) {
    CleanMachine();
    for (unsigned operation = 0; operation < 8; ++operation) {
        for (unsigned r = 0; r < 8; ++r) {
            uint8_t op = uint8_t(operation << 3 | r);
            for (unsigned v = 0; v < 256; ++v) {
                for (bool carry : {false, true}) {
                    SetUpCB(op);
                    RegisterByNumber(r) = uint8_t(v);
                    Machine.f = uint8_t((carry ? FlagC : 0) | Flag3 | Flag5);
                    uint8_t before[8];
                    for (unsigned k = 0; k < 8; ++k) before[k] = RegisterByNumber(k);
                    Step();
                    ShiftResult want = ExpectedShift(operation, uint8_t(v), carry);
                    ASSERT_EQ(RegisterByNumber(r), want.value)
                        << "op " << std::hex << unsigned(op) << " v " << v << " carry " << carry;
                    ASSERT_EQ(Machine.f, ExpectedShiftFlags(want))
                        << "op " << std::hex << unsigned(op) << " v " << v << " carry " << carry;
                    for (unsigned k = 0; k < 8; ++k)
                        if (k != r) { ASSERT_EQ(RegisterByNumber(k), before[k]); }
                }
            }
        }
    }
}

TEST(CbSet, BitTestsEveryBitOfEveryOperand) {
    CleanMachine();
    for (unsigned b = 0; b < 8; ++b) {
        for (unsigned r = 0; r < 8; ++r) {
            uint8_t op = uint8_t(0x40 | b << 3 | r);
            for (unsigned v : {0x00u, 0xFFu, 1u << b, 0xFFu ^ (1u << b)}) {
                for (uint8_t fIn : {uint8_t(0x00), uint8_t(0xFF)}) {
                    SetUpCB(op);
                    RegisterByNumber(r) = uint8_t(v);
                    Machine.f = fIn;
                    Step();
                    bool set = (v >> b) & 1;
                    uint8_t want = uint8_t(FlagH | (fIn & FlagC));
                    if (!set) want |= FlagZ | FlagPV;
                    if (set && b == 7) want |= FlagS;
                    ASSERT_EQ(Machine.f, want) << "BIT " << b << " r " << r << " v " << v;
                    ASSERT_EQ(RegisterByNumber(r), v) << "BIT only tests";
                }
            }
        }
    }
}

TEST(CbSet, ResAndSetChangeOneBitAndKeepF) {
    CleanMachine();
    for (unsigned group : {2u, 3u}) {
        for (unsigned b = 0; b < 8; ++b) {
            for (unsigned r = 0; r < 8; ++r) {
                uint8_t op = uint8_t(group << 6 | b << 3 | r);
                for (unsigned v : {0x00u, 0xFFu, 0x5Au}) {
                    SetUpCB(op);
                    RegisterByNumber(r) = uint8_t(v);
                    Machine.f = 0xA9; // includes bit 3, which must survive
                    Step();
                    unsigned mask = 1u << b;
                    unsigned want = group == 2 ? v & ~mask & 0xFF : v | mask;
                    ASSERT_EQ(RegisterByNumber(r), want) << std::hex << unsigned(op);
                    ASSERT_EQ(Machine.f, 0xA9);
                }
            }
        }
    }
}

// The Z80 manual's times: 8 on a register; on (HL) 15, except BIT which only reads: 12.
// Each instruction is two opcode fetches, so R counts twice; bit 7 of R is never counted into.
TEST(CbSet, TimeRefreshAndOpcodeOfEveryInstruction) {
    CleanMachine();
    for (unsigned op = 0; op < 256; ++op) {
        SetUpCB(uint8_t(op));
        Machine.r = 0xFF;
        uint32_t t = Step();
        bool memory = (op & 7) == 6;
        bool bit = (op & 0xC0) == 0x40;
        uint32_t want = memory ? (bit ? 12 : 15) : 8;
        EXPECT_EQ(t, want) << std::hex << op;
        EXPECT_EQ(Machine.r, 0x81) << std::hex << op;
        EXPECT_EQ(Machine.opcode, op);
        EXPECT_EQ(Machine.pc, CodeAt + 2);
    }
}

// In the ROM area the write is discarded but the flags describe the result that was computed.
TEST(CbSet, MemoryOperandInRomKeepsMemoryButSetsFlags) {
    CleanMachine();
    SetUpCB(0x06); // RLC (HL)
    Machine.SetHL(0x1000);
    Machine.memory[0x1000] = 0x80;
    Step();
    EXPECT_EQ(Machine.memory[0x1000], 0x80);
    EXPECT_EQ(Machine.f, FlagC); // result 0x01: odd parity, not zero

    SetUpCB(0xC6); // SET 0,(HL)
    Machine.SetHL(0x0000);
    Machine.memory[0x0000] = 0x00;
    EXPECT_EQ(Step(), 15u);
    EXPECT_EQ(Machine.memory[0x0000], 0x00);

    SetUpCB(0x3E); // SRL (HL) at the first RAM byte is stored
    Machine.SetHL(0x4000);
    Machine.memory[0x4000] = 0x01;
    Step();
    EXPECT_EQ(Machine.memory[0x4000], 0x00);
    EXPECT_EQ(Machine.f, FlagZ | FlagPV | FlagC);
}
