#include <gtest/gtest.h>

#include <cstdint>

#include "tests/cpu_harness.h"
#include "tests/shift_reference.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

// prefix CB d op at CodeAt, with IX and IY far apart so that the wrong register shows.
void SetUpIndexed(uint8_t prefix, uint8_t d, uint8_t op) {
    Machine.ix = 0xA000, Machine.iy = 0xC000;
    Machine.SetBC(0x1122), Machine.SetDE(0x3344), Machine.SetHL(0x5566), Machine.a = 0x77;
    LoadCode(CodeAt, {prefix, 0xCB, d, op});
}

} // namespace

TEST(IndexedCb, RotatesAndShiftsOnTheIndexedByteMatchArithmetic) {
    CleanMachine();
    for (unsigned operation = 0; operation < 8; ++operation) {
        uint8_t op = uint8_t(operation << 3 | 6);
        for (unsigned v = 0; v < 256; ++v) {
            for (bool carry : {false, true}) {
                SetUpIndexed(0xDD, 0x05, op);
                Machine.memory[0xA005] = uint8_t(v);
                Machine.f = uint8_t((carry ? FlagC : 0) | Flag3 | Flag5);
                Step();
                ShiftResult want = ExpectedShift(operation, uint8_t(v), carry);
                ASSERT_EQ(Machine.memory[0xA005], want.value)
                    << std::hex << unsigned(op) << " " << v;
                ASSERT_EQ(Machine.f, ExpectedShiftFlags(want))
                    << std::hex << unsigned(op) << " " << v;
                ASSERT_EQ(Machine.a, 0x77);
            }
        }
    }
}

TEST(IndexedCb, BitResSetOnTheIndexedByte) {
    CleanMachine();
    for (unsigned b = 0; b < 8; ++b) {
        for (unsigned v : {0x00u, 0xFFu, 1u << b, 0xFFu ^ (1u << b)}) {
            // BIT reads only; C survives, bits 3 and 5 are cleared.
            SetUpIndexed(0xFD, 0xFE, uint8_t(0x46 | b << 3));
            Machine.memory[0xBFFE] = uint8_t(v);
            Machine.f = 0xFF;
            Step();
            bool set = (v >> b) & 1;
            uint8_t want = FlagH | FlagC;
            if (!set) want |= FlagZ | FlagPV;
            if (set && b == 7) want |= FlagS;
            EXPECT_EQ(Machine.f, want) << "BIT " << b << " of " << v;
            EXPECT_EQ(Machine.memory[0xBFFE], v);

            SetUpIndexed(0xDD, 0x7F, uint8_t(0x86 | b << 3)); // RES b,(IX+127)
            Machine.memory[0xA07F] = uint8_t(v);
            Machine.f = 0x28;
            Step();
            EXPECT_EQ(Machine.memory[0xA07F], v & ~(1u << b) & 0xFF);
            EXPECT_EQ(Machine.f, 0x28);

            SetUpIndexed(0xFD, 0x80, uint8_t(0xC6 | b << 3)); // SET b,(IY-128)
            Machine.memory[0xBF80] = uint8_t(v);
            Step();
            EXPECT_EQ(Machine.memory[0xBF80], v | (1u << b));
        }
    }
}

// With the prefix: 23 T-states for a read-modify-write and 20 for BIT, whatever the operand
// column. The prefix and CB are the only opcode fetches; d and op do not count R. The byte under
// the other index register is never touched.
TEST(IndexedCb, TimeAndRefreshOfEveryOperationByte) {
    CleanMachine();
    for (uint8_t prefix : {uint8_t(0xDD), uint8_t(0xFD)}) {
        for (unsigned op = 0; op < 256; ++op) {
            SetUpIndexed(prefix, 0x10, uint8_t(op));
            Machine.memory[0xA010] = 0x5A, Machine.memory[0xC010] = 0xA5;
            Machine.r = 0x7F;
            uint32_t t = Step();
            EXPECT_EQ(t, (op & 0xC0) == 0x40 ? 20u : 23u) << std::hex << op;
            EXPECT_EQ(Machine.r, 0x01) << std::hex << op;
            EXPECT_EQ(Machine.opcode, op);
            EXPECT_EQ(Machine.pc, CodeAt + 4);
            EXPECT_EQ(Machine.indexPrefix, 0);
            uint16_t other = prefix == 0xDD ? 0xC010 : 0xA010;
            EXPECT_EQ(Machine.memory[other], other == 0xA010 ? 0x5A : 0xA5) << std::hex << op;
        }
    }
}

namespace {
// What a rotate, shift, RES or SET makes of v, from arithmetic on the value.
uint8_t ExpectedChange(unsigned op, uint8_t v, bool carry) {
    unsigned field = (op >> 3) & 7;
    switch (op >> 6) {
    case 0: return ExpectedShift(field, v, carry).value;
    case 2: return uint8_t(v & ~(1u << field));
    default: return uint8_t(v | (1u << field));
    }
}
} // namespace

// An operation byte whose operand field names a register does what the (X+d) form does to the
// byte and to F, and also leaves the result in that register (H and L themselves, not the index
// halves), in the ROM too, where the byte stays as it was. BIT leaves every register alone.
TEST(IndexedCb, RegisterFormsMatchTheMemoryFormAndLoadTheRegister) {
    CleanMachine();
    uint8_t* const field[8] = {&Machine.b, &Machine.c, &Machine.d, &Machine.e,
                               &Machine.h, &Machine.l, nullptr,    &Machine.a};
    auto prepare = [](uint8_t prefix, uint16_t x, uint8_t op, uint8_t v, uint8_t f) {
        SetUpIndexed(prefix, 0x85, op); // d = -123
        (prefix == 0xDD ? Machine.ix : Machine.iy) = x;
        Machine.memory[uint16_t(x - 123)] = v, Machine.f = f;
    };
    for (uint8_t prefix : {uint8_t(0xDD), uint8_t(0xFD)})
        for (uint16_t x : {uint16_t(0xA000), uint16_t(0x3F80)})
            for (unsigned op = 0; op < 256; ++op) {
                if ((op & 7) == 6) continue;
                for (unsigned v = 0; v < 256; v += 3)
                    for (bool carry : {false, true}) {
                        SCOPED_TRACE(testing::Message() << std::hex << int(prefix) << " " << x
                                                        << " op " << op << " v " << v);
                        const uint16_t addr = uint16_t(x - 123);
                        const uint8_t f = uint8_t((carry ? FlagC : 0) | Flag3 | Flag5);
                        prepare(prefix, x, uint8_t((op & 0xF8) | 6), uint8_t(v), f);
                        Step();
                        const uint8_t byte = Machine.memory[addr], flags = Machine.f;
                        const Registers memoryForm = CaptureRegisters();

                        prepare(prefix, x, uint8_t(op), uint8_t(v), f);
                        uint8_t& reg = *field[op & 7];
                        const uint8_t was = reg;
                        Step();
                        EXPECT_EQ(Machine.memory[addr], byte);
                        EXPECT_EQ(Machine.f, flags);
                        if ((op >> 6) != 1) {
                            EXPECT_EQ(reg, ExpectedChange(op, uint8_t(v), carry));
                            if (addr >= 0x4000) { EXPECT_EQ(reg, byte); }
                            reg = was; // nothing else may differ from the (X+d) form
                        }
                        EXPECT_TRUE(CaptureRegisters() == memoryForm);
                    }
            }
}

TEST(IndexedCb, AddressWrapsAndRomDiscardsWritesButNotFlags) {
    CleanMachine();
    SetUpIndexed(0xFD, 0xFF, 0x3E); // SRL (IY-1) with IY = 0: the byte at 0xFFFF
    Machine.iy = 0x0000;
    Machine.memory[0xFFFF] = 0x03;
    Step();
    EXPECT_EQ(Machine.memory[0xFFFF], 0x01);
    EXPECT_EQ(Machine.f, FlagC);

    SetUpIndexed(0xDD, 0x7F, 0x06); // RLC (IX+127) with IX = 0xFFF0: 0x006F, in the ROM
    Machine.ix = 0xFFF0;
    Machine.memory[0x006F] = 0x00;
    Machine.f = FlagC;
    Step();
    EXPECT_EQ(Machine.memory[0x006F], 0x00);
    EXPECT_EQ(Machine.f, FlagZ | FlagPV); // the result 0x00 that was not stored

    SetUpIndexed(0xDD, 0x00, 0x16); // RL (IX+0) in the ROM: flags from the discarded 0x01
    Machine.ix = 0x3FFF;
    Machine.memory[0x3FFF] = 0x80;
    Machine.f = FlagC;
    Step();
    EXPECT_EQ(Machine.memory[0x3FFF], 0x80);
    EXPECT_EQ(Machine.f, FlagC); // 0x01: odd parity, bit 7 carried out

    SetUpIndexed(0xFD, 0x02, 0xFE); // SET 7,(IY+2) in the ROM: nothing changes
    Machine.iy = 0x1000;
    Machine.f = 0x00;
    Machine.memory[0x1002] = 0x00;
    EXPECT_EQ(Step(), 23u);
    EXPECT_EQ(Machine.memory[0x1002], 0x00);
    EXPECT_EQ(Machine.f, 0x00);
}
