#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "core/instruction_sets.h"
#include "core/machine.h"
#include "cpu_harness.h"
#include "manual_timing.h"
#include "peripherals/input_state.h"
#include "peripherals/ports.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

// Flag byte from separately computed conditions; bits 3 and 5 are never set.
uint8_t Flags(bool s, bool z, bool h, bool pv, bool n, bool c) {
    return uint8_t((s ? FlagS : 0) | (z ? FlagZ : 0) | (h ? FlagH : 0) | (pv ? FlagPV : 0) |
                   (n ? FlagN : 0) | (c ? FlagC : 0));
}
bool EvenParity(uint8_t v) { return std::popcount(v) % 2 == 0; }
uint8_t ToBcd(int v) { return uint8_t((v / 10) << 4 | v % 10); }

class MainSet : public ::testing::Test {
  protected:
    void SetUp() override { CleanMachine(); }
    // Runs the bytes at CodeAt as one instruction and returns its T-states.
    uint32_t Run(std::initializer_list<uint8_t> code) {
        LoadCode(CodeAt, code);
        return Step();
    }
};

// ---- Timing ---------------------------------------------------------------------------------

TEST_F(MainSet, EveryOpcodeTakesTheManualTimeTakenAndNotTaken) {
    for (int op = 0; op < 256; ++op) {
        if (op == 0xCB || op == 0xED || op == 0xDD || op == 0xFD) continue; // other sets
        for (uint8_t f : {uint8_t(0x00), uint8_t(0xFF)}) {
            CleanMachine();
            Machine.f = f;
            Machine.b = f ? 1 : 2; // DJNZ falls through with F = 0xFF, jumps with F = 0
            Machine.SetHL(0x9000), Machine.SetBC(uint16_t(Machine.b << 8 | 0x10));
            Machine.SetDE(0x9200), Machine.sp = 0xC000;
            uint8_t b = Machine.b;
            uint32_t t = Run({uint8_t(op), 0x00, 0x90});
            EXPECT_EQ(t, ManualTStates(uint8_t(op), BranchTaken(uint8_t(op), f, b)))
                << "opcode " << std::hex << op << " F=" << int(f);
        }
    }
}

TEST_F(MainSet, DjnzCountsBThroughZero) {
    Machine.b = 1;
    EXPECT_EQ(Run({0x10, 0x10}), 8u);
    EXPECT_EQ(Machine.b, 0);
    EXPECT_EQ(Machine.pc, CodeAt + 2);
    Machine.b = 0;
    Machine.f = 0xFF;
    EXPECT_EQ(Run({0x10, 0x10}), 13u);
    EXPECT_EQ(Machine.b, 0xFF);
    EXPECT_EQ(Machine.pc, CodeAt + 2 + 0x10);
    EXPECT_EQ(Machine.f, 0xFF); // DJNZ leaves F alone
}

TEST_F(MainSet, RelativeJumpsReachBothDirections) {
    EXPECT_EQ(Run({0x18, 0xFE}), 12u); // JR -2 jumps to its own opcode
    EXPECT_EQ(Machine.pc, CodeAt);
    Run({0x18, 0x7F});
    EXPECT_EQ(Machine.pc, CodeAt + 2 + 127);
    Run({0x18, 0x80});
    EXPECT_EQ(Machine.pc, CodeAt + 2 - 128);
    LoadCode(0xFFFE, {0x18, 0x01}); // PC wraps past 0xFFFF
    Step();
    EXPECT_EQ(Machine.pc, 0x0001);
}

// ---- 8-bit arithmetic against integer arithmetic --------------------------------------------

// ADD, ADC, SUB, SBC and CP for every operand pair and carry: the result against unsigned
// arithmetic, P/V against signed arithmetic, H against the low nibbles alone.
TEST_F(MainSet, AddSubAndCompareMatchIntegerArithmetic) {
    struct Op {
        uint8_t opcode;
        bool subtract, useCarry, storesResult;
    };
    const Op ops[] = {{0xC6, false, false, true},
                      {0xCE, false, true, true},
                      {0xD6, true, false, true},
                      {0xDE, true, true, true},
                      {0xFE, true, false, false}};
    for (const Op& op : ops) {
        int failures = 0;
        for (int a = 0; a < 256 && failures < 5; ++a)
            for (int v = 0; v < 256; ++v)
                for (int carryIn = 0; carryIn < 2; ++carryIn) {
                    Machine.a = uint8_t(a);
                    Machine.f = uint8_t(Flag3 | Flag5 | (carryIn ? FlagC : 0));
                    LoadCode(CodeAt, {op.opcode, uint8_t(v)});
                    Step();
                    int c = op.useCarry ? carryIn : 0;
                    int sa = int8_t(a), sv = int8_t(v);
                    int unsignedResult = op.subtract ? a - v - c : a + v + c;
                    int signedResult = op.subtract ? sa - sv - c : sa + sv + c;
                    int nibble = op.subtract ? (a & 15) - (v & 15) - c : (a & 15) + (v & 15) + c;
                    uint8_t r = uint8_t(unsignedResult);
                    uint8_t expectF = Flags(r & 0x80, r == 0, nibble < 0 || nibble > 15,
                                            signedResult < -128 || signedResult > 127, op.subtract,
                                            unsignedResult < 0 || unsignedResult > 255);
                    uint8_t expectA = op.storesResult ? r : uint8_t(a);
                    if (Machine.a != expectA || Machine.f != expectF) {
                        ADD_FAILURE() << "opcode " << std::hex << int(op.opcode) << " A=" << a
                                      << " v=" << v << " C=" << carryIn << ": A=" << int(Machine.a)
                                      << " F=" << int(Machine.f) << ", expected A=" << int(expectA)
                                      << " F=" << int(expectF);
                        ++failures;
                    }
                }
    }
}

TEST_F(MainSet, RegisterAndMemoryOperandsMatchTheImmediateForm) {
    // Each of the 64 opcodes 80-BF must act on the operand its r field names.
    for (int op = 0x80; op < 0xC0; ++op) {
        const uint8_t values[8] = {0x13, 0x9C, 0x7F, 0x80, 0x40, 0x02, 0xE5, 0x3A};
        Machine.b = values[0], Machine.c = values[1], Machine.d = values[2];
        Machine.e = values[3], Machine.h = values[4], Machine.l = values[5];
        Machine.memory[Machine.HL()] = values[6];
        Machine.a = values[7];
        Machine.f = FlagC;
        Run({uint8_t(op)});
        uint8_t a = Machine.a, f = Machine.f;
        Machine.a = values[7];
        Machine.f = FlagC;
        Run({uint8_t(0xC6 | (op & 0x38)), values[op & 7]}); // same operation, immediate operand
        EXPECT_EQ(a, Machine.a) << std::hex << op;
        EXPECT_EQ(f, Machine.f) << std::hex << op;
    }
}

TEST_F(MainSet, LogicOperationsSetParityAndClearCarry) {
    for (int a = 0; a < 256; a += 3)
        for (int v = 0; v < 256; ++v) {
            const struct {
                uint8_t opcode;
                uint8_t result;
                bool h;
            } ops[] = {{0xE6, uint8_t(a & v), true},
                       {0xEE, uint8_t(a ^ v), false},
                       {0xF6, uint8_t(a | v), false}};
            for (const auto& op : ops) {
                Machine.a = uint8_t(a);
                Machine.f = 0xFF;
                Run({op.opcode, uint8_t(v)});
                ASSERT_EQ(Machine.a, op.result);
                ASSERT_EQ(Machine.f, Flags(op.result & 0x80, op.result == 0, op.h,
                                           EvenParity(op.result), false, false))
                    << std::hex << int(op.opcode) << " " << a << " " << v;
            }
        }
}

TEST_F(MainSet, SubAAndXorAGiveTheirFixedFlags) {
    Machine.a = 0x5A, Machine.f = 0xFF;
    Run({0x97});
    EXPECT_EQ(Machine.a, 0);
    EXPECT_EQ(Machine.f, 0x42);
    Machine.a = 0x5A, Machine.f = 0xFF;
    Run({0xAF});
    EXPECT_EQ(Machine.a, 0);
    EXPECT_EQ(Machine.f, 0x44);
}

TEST_F(MainSet, IncAndDecOfEveryValueKeepCarry) {
    for (int v = 0; v < 256; ++v)
        for (uint8_t carry : {uint8_t(0), uint8_t(FlagC)}) {
            uint8_t up = uint8_t(v + 1), down = uint8_t(v - 1);
            Machine.b = uint8_t(v), Machine.f = uint8_t(carry | Flag3 | Flag5);
            Run({0x04}); // INC B
            ASSERT_EQ(Machine.b, up);
            ASSERT_EQ(Machine.f,
                      Flags(up & 0x80, up == 0, (v & 15) == 15, v == 0x7F, false, carry));
            Machine.b = uint8_t(v), Machine.f = uint8_t(carry | Flag3 | Flag5);
            Run({0x05}); // DEC B
            ASSERT_EQ(Machine.b, down);
            ASSERT_EQ(Machine.f,
                      Flags(down & 0x80, down == 0, (v & 15) == 0, v == 0x80, true, carry));
            Machine.SetHL(0x9000), Machine.memory[0x9000] = uint8_t(v);
            Machine.f = carry;
            EXPECT_EQ(Run({0x34}), 11u); // INC (HL)
            ASSERT_EQ(Machine.memory[0x9000], up);
            ASSERT_EQ(Machine.f,
                      Flags(up & 0x80, up == 0, (v & 15) == 15, v == 0x7F, false, carry));
        }
}

TEST_F(MainSet, IncAndDecOfMemoryInRomSetFlagsButStoreNothing) {
    Machine.memory[0x1000] = 0xFF;
    Machine.SetHL(0x1000);
    Run({0x34});
    EXPECT_EQ(Machine.memory[0x1000], 0xFF);
    EXPECT_EQ(Machine.f, FlagZ | FlagH);
    Machine.memory[0x1000] = 0x80;
    Run({0x35});
    EXPECT_EQ(Machine.memory[0x1000], 0x80);
    EXPECT_EQ(Machine.f, FlagH | FlagPV | FlagN);
}

// ---- Decimal adjust against decimal arithmetic ----------------------------------------------

TEST_F(MainSet, DaaGivesDecimalSumsAndDifferencesForEveryBcdPair) {
    struct Op {
        uint8_t opcode;
        bool subtract, useCarry;
    };
    const Op ops[] = {
        {0xC6, false, false}, {0xCE, false, true}, {0xD6, true, false}, {0xDE, true, true}};
    for (const Op& op : ops)
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 100; ++y)
                for (int carryIn = 0; carryIn < 2; ++carryIn) {
                    Machine.a = ToBcd(x);
                    Machine.f = carryIn ? FlagC : 0;
                    LoadCode(CodeAt, {op.opcode, ToBcd(y), 0x27});
                    Step();
                    Step();
                    int c = op.useCarry ? carryIn : 0;
                    int exact = op.subtract ? x - y - c : x + y + c;
                    uint8_t expect = ToBcd((exact + 100) % 100);
                    bool carryOut = exact < 0 || exact > 99;
                    ASSERT_EQ(Machine.a, expect) << std::hex << int(op.opcode) << std::dec << " "
                                                 << x << " " << y << " " << c;
                    ASSERT_EQ(Machine.f, Flags(expect & 0x80, expect == 0, false,
                                               EvenParity(expect), op.subtract, carryOut))
                        << std::hex << int(op.opcode) << std::dec << " " << x << " " << y << " "
                        << c;
                }
}

TEST_F(MainSet, DaaAdjustsOutOfRangeAccumulators) {
    Machine.a = 0x9A, Machine.f = 0;
    Run({0x27});
    EXPECT_EQ(Machine.a, 0x00);
    EXPECT_EQ(Machine.f, FlagZ | FlagPV | FlagC);
    Machine.a = 0x0F, Machine.f = FlagN | FlagH | FlagC;
    Run({0x27});
    EXPECT_EQ(Machine.a, 0xA9);
    EXPECT_EQ(Machine.f & (FlagC | FlagN | FlagH), FlagC | FlagN);
    // 60 + 99 + carry = 160: the high digit is corrected because A was above 99 on entry.
    Machine.a = 0x60, Machine.f = FlagC;
    Run({0xCE, 0x99});
    Run({0x27});
    EXPECT_EQ(Machine.a, 0x60);
    EXPECT_TRUE(Machine.f & FlagC);
}

// The carry DAA leaves is the decimal carry out of A: A's two digits read as a decimal number,
// a digit above 9 counting on into the next place, are above 99, or the previous operation had
// already carried. After an addition and after a subtraction alike, for every A, N, H and C.
TEST_F(MainSet, DaaCarryIsTheDecimalCarryOfEveryInput) {
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned flags = 0; flags < 8; ++flags) {
            const bool n = flags & 1, h = flags & 2, c = flags & 4;
            Machine.a = uint8_t(a);
            Machine.f = uint8_t((n ? FlagN : 0) | (h ? FlagH : 0) | (c ? FlagC : 0));
            Run({0x27});
            const unsigned decimal = 10 * (a >> 4) + (a & 15);
            const uint8_t r = Machine.a;
            ASSERT_EQ(Machine.f,
                      Flags(r & 0x80, r == 0, false, EvenParity(r), n, c || decimal > 99))
                << std::hex << "A " << a << " N " << n << " H " << h << " C " << c;
        }
    // After SUB 0x66 from 0x00: A = 0x9A, N set. The processor gives 0x34 with the carry set.
    Machine.SetAF(0x9A02);
    Run({0x27});
    EXPECT_EQ(Machine.AF(), 0x3400 | FlagC | FlagN);
}

// ---- Rotates and flag operations ------------------------------------------------------------

TEST_F(MainSet, AccumulatorRotatesMoveBitsThroughCarry) {
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 2; ++c) {
            unsigned nine = unsigned(c) << 8 | unsigned(a); // carry as bit 8
            const struct {
                uint8_t opcode;
                uint8_t result;
                bool carry;
            } cases[] = {
                {0x07, std::rotl(uint8_t(a), 1), bool(a & 0x80)},                // RLCA
                {0x0F, std::rotr(uint8_t(a), 1), bool(a & 1)},                   // RRCA
                {0x17, uint8_t((nine << 1 | nine >> 8) & 0xFF), bool(a & 0x80)}, // RLA
                {0x1F, uint8_t(nine >> 1), bool(a & 1)},                         // RRA
            };
            for (const auto& k : cases) {
                Machine.a = uint8_t(a);
                Machine.f = uint8_t(0xFE | c); // S Z P/V must survive, H N 3 5 must not
                Run({k.opcode});
                ASSERT_EQ(Machine.a, k.result) << std::hex << int(k.opcode) << " " << a;
                ASSERT_EQ(Machine.f, FlagS | FlagZ | FlagPV | (k.carry ? FlagC : 0));
            }
        }
}

TEST_F(MainSet, FlagOperations) {
    Machine.f = 0xFF;
    Run({0x3F}); // CCF
    EXPECT_EQ(Machine.f, FlagS | FlagZ | FlagPV);
    Run({0x3F});
    EXPECT_EQ(Machine.f, FlagS | FlagZ | FlagPV | FlagC);
    Machine.f = FlagH | FlagN | Flag3;
    Run({0x37}); // SCF
    EXPECT_EQ(Machine.f, FlagC);
    Machine.a = 0x5A, Machine.f = Flag3 | Flag5 | FlagC;
    Run({0x2F}); // CPL keeps every other bit, 3 and 5 included
    EXPECT_EQ(Machine.a, 0xA5);
    EXPECT_EQ(Machine.f, Flag3 | Flag5 | FlagH | FlagN | FlagC);
}

TEST_F(MainSet, PopAfKeepsBits3And5UntilAFlagWrite) {
    Machine.sp = 0x9000;
    Poke(0x9000, {0x28, 0x12});
    Run({0xF1}); // POP AF
    EXPECT_EQ(Machine.f, 0x28);
    Run({0x3E, 0x01}); // LD A,n keeps F
    EXPECT_EQ(Machine.f, 0x28);
    Run({0xB7}); // OR A writes F
    EXPECT_EQ(Machine.f, 0x00);
}

// ---- 16-bit arithmetic --------------------------------------------------------------------

TEST_F(MainSet, AddHlCarriesOutOfBits11And15) {
    const uint16_t samples[] = {0x0000, 0x0001, 0x0FFF, 0x1000, 0x7FFF, 0x8000, 0xF000, 0xFFFF};
    for (uint16_t hl : samples)
        for (uint16_t de : samples) {
            Machine.SetHL(hl), Machine.SetDE(de), Machine.f = 0xFF;
            EXPECT_EQ(Run({0x19}), 11u);
            unsigned sum = unsigned(hl) + de;
            EXPECT_EQ(Machine.HL(), uint16_t(sum));
            bool h = (hl & 0xFFF) + (de & 0xFFF) > 0xFFF;
            EXPECT_EQ(Machine.f,
                      FlagS | FlagZ | FlagPV | (h ? FlagH : 0) | (sum > 0xFFFF ? FlagC : 0))
                << std::hex << hl << "+" << de;
        }
    Machine.SetHL(0x8000), Machine.f = 0;
    Run({0x29}); // ADD HL,HL
    EXPECT_EQ(Machine.HL(), 0);
    EXPECT_EQ(Machine.f, FlagC);
}

TEST_F(MainSet, IncAndDecOfPairsWrapWithoutFlags) {
    Machine.SetBC(0xFFFF), Machine.sp = 0x0000, Machine.f = 0xA5;
    Run({0x03});
    Run({0x3B});
    EXPECT_EQ(Machine.BC(), 0x0000);
    EXPECT_EQ(Machine.sp, 0xFFFF);
    EXPECT_EQ(Machine.f, 0xA5);
}

// ---- Loads ----------------------------------------------------------------------------------

TEST_F(MainSet, RegisterLoadsCopyTheNamedRegister) {
    for (int op = 0x40; op < 0x80; ++op) {
        if (op == 0x76) continue;
        CleanMachine();
        const uint8_t values[8] = {0x11, 0x22, 0x33, 0x44, 0x90, 0x10, 0x77, 0x88};
        Machine.b = values[0], Machine.c = values[1], Machine.d = values[2];
        Machine.e = values[3], Machine.h = values[4], Machine.l = values[5];
        Machine.memory[0x9010] = values[6];
        Machine.a = values[7], Machine.f = 0xD7;
        Run({uint8_t(op)});
        int dst = (op >> 3) & 7, src = op & 7;
        uint8_t got[8] = {Machine.b,
                          Machine.c,
                          Machine.d,
                          Machine.e,
                          Machine.h,
                          Machine.l,
                          Machine.memory[0x9010],
                          Machine.a};
        for (int r = 0; r < 8; ++r)
            EXPECT_EQ(got[r], r == dst ? values[src] : values[r]) << std::hex << op << " reg " << r;
        EXPECT_EQ(Machine.f, 0xD7);
    }
}

TEST_F(MainSet, WordLoadsAreLittleEndianAndWrap) {
    Poke(0xFFFF, {0x34});
    Machine.memory[0x0000] = 0x12;
    EXPECT_EQ(Run({0x2A, 0xFF, 0xFF}), 16u); // LD HL,(0xFFFF)
    EXPECT_EQ(Machine.HL(), 0x1234);
    Machine.SetHL(0xBEEF);
    Run({0x22, 0x00, 0x90}); // LD (0x9000),HL
    EXPECT_EQ(Machine.memory[0x9000], 0xEF);
    EXPECT_EQ(Machine.memory[0x9001], 0xBE);
    Run({0x01, 0x34, 0x12}); // LD BC,nn
    EXPECT_EQ(Machine.BC(), 0x1234);
    Machine.a = 0x5C;
    Run({0x32, 0x02, 0x90}); // LD (nn),A
    Run({0x3E, 0x00});
    Run({0x3A, 0x02, 0x90}); // LD A,(nn)
    EXPECT_EQ(Machine.a, 0x5C);
    Machine.SetDE(0x9002);
    Run({0x1A}); // LD A,(DE)
    EXPECT_EQ(Machine.a, 0x5C);
}

// ---- Stack, calls and exchanges -------------------------------------------------------------

TEST_F(MainSet, PushWritesHighByteFirstBelowSp) {
    Machine.sp = 0x9000, Machine.SetBC(0x1234);
    EXPECT_EQ(Run({0xC5}), 11u);
    EXPECT_EQ(Machine.sp, 0x8FFE);
    EXPECT_EQ(Machine.memory[0x8FFF], 0x12);
    EXPECT_EQ(Machine.memory[0x8FFE], 0x34);
    Machine.a = 0xAB, Machine.f = 0xCD;
    Run({0xF5}); // PUSH AF: A is the high byte
    EXPECT_EQ(Machine.memory[0x8FFD], 0xAB);
    EXPECT_EQ(Machine.memory[0x8FFC], 0xCD);
    EXPECT_EQ(Run({0xD1}), 10u); // POP DE
    EXPECT_EQ(Machine.DE(), 0xABCD);
    Run({0xE1}); // POP HL
    EXPECT_EQ(Machine.HL(), 0x1234);
    EXPECT_EQ(Machine.sp, 0x9000);
}

TEST_F(MainSet, CallAndReturnThroughWrappingStack) {
    Machine.sp = 0x0000;
    EXPECT_EQ(Run({0xCD, 0x00, 0x90}), 17u);
    EXPECT_EQ(Machine.pc, 0x9000);
    EXPECT_EQ(Machine.sp, 0xFFFE);
    EXPECT_EQ(Machine.memory[0xFFFF], 0x80);
    EXPECT_EQ(Machine.memory[0xFFFE], 0x03);
    LoadCode(0x9000, {0xC9});
    EXPECT_EQ(Step(), 10u);
    EXPECT_EQ(Machine.pc, 0x8003);
    EXPECT_EQ(Machine.sp, 0x0000);
    Machine.sp = 0xA000;
    Run({0xEF}); // RST 28
    EXPECT_EQ(Machine.pc, 0x0028);
    EXPECT_EQ(Machine.memory[0x9FFE] | Machine.memory[0x9FFF] << 8, CodeAt + 1);
}

TEST_F(MainSet, ConditionalFlowFollowsEachCondition) {
    // Condition field: NZ Z NC C PO PE P M, each tested with its flag clear and set.
    const uint8_t flagOf[4] = {FlagZ, FlagC, FlagPV, FlagS};
    for (int cc = 0; cc < 8; ++cc)
        for (bool set : {false, true}) {
            bool holds = (cc & 1) == set;
            uint8_t f = set ? flagOf[cc >> 1] : 0;
            Machine.f = f, Machine.sp = 0xA000;
            Run({uint8_t(0xC2 | cc << 3), 0x00, 0x90}); // JP cc
            EXPECT_EQ(Machine.pc, holds ? 0x9000 : CodeAt + 3);
            Machine.f = f, Machine.sp = 0xA000;
            Run({uint8_t(0xC4 | cc << 3), 0x00, 0x90}); // CALL cc
            EXPECT_EQ(Machine.pc, holds ? 0x9000 : CodeAt + 3);
            EXPECT_EQ(Machine.sp, holds ? 0x9FFE : 0xA000);
            Machine.f = f, Machine.sp = 0x9FFE;
            Poke(0x9FFE, {0x34, 0x12});
            Run({uint8_t(0xC0 | cc << 3)}); // RET cc
            EXPECT_EQ(Machine.pc, holds ? 0x1234 : CodeAt + 1);
            if (cc < 4) {
                Machine.f = f;
                Run({uint8_t(0x20 | cc << 3), 0x10}); // JR cc
                EXPECT_EQ(Machine.pc, holds ? CodeAt + 0x12 : CodeAt + 2);
            }
        }
}

TEST_F(MainSet, ExchangesSwapWholePairs) {
    Machine.SetAF(0x1122), Machine.SetAFAlt(0x3344);
    Run({0x08});
    EXPECT_EQ(Machine.AF(), 0x3344);
    EXPECT_EQ(Machine.AFAlt(), 0x1122);
    Machine.SetBC(1), Machine.SetDE(2), Machine.SetHL(3);
    Machine.SetBCAlt(4), Machine.SetDEAlt(5), Machine.SetHLAlt(6);
    Run({0xD9});
    EXPECT_EQ(Machine.BC(), 4);
    EXPECT_EQ(Machine.DE(), 5);
    EXPECT_EQ(Machine.HL(), 6);
    EXPECT_EQ(Machine.BCAlt(), 1);
    EXPECT_EQ(Machine.DEAlt(), 2);
    EXPECT_EQ(Machine.HLAlt(), 3);
    Run({0xEB});
    EXPECT_EQ(Machine.DE(), 6);
    EXPECT_EQ(Machine.HL(), 5);
    Machine.sp = 0xFFFF, Machine.SetHL(0xABCD);
    Machine.memory[0xFFFF] = 0x34, Machine.memory[0x0000] = 0x12;
    EXPECT_EQ(Run({0xE3}), 19u); // EX (SP),HL across the top of memory
    EXPECT_EQ(Machine.HL(), 0x1234);
    EXPECT_EQ(Machine.memory[0xFFFF], 0xCD);
    EXPECT_EQ(Machine.memory[0x0000], 0x12); // ROM keeps its byte
    Machine.SetHL(0x9876);
    Run({0xE9}); // JP (HL)
    EXPECT_EQ(Machine.pc, 0x9876);
    Run({0xF9}); // LD SP,HL
    EXPECT_EQ(Machine.sp, 0x9876);
}

// ---- The ROM write rule ---------------------------------------------------------------------

// Every instruction that writes memory, aimed at the ROM and at the ROM/RAM boundary.
TEST_F(MainSet, NoInstructionWritesTheRom) {
    struct Case {
        std::vector<uint8_t> code;
        uint16_t hl, bc, de, sp;
        int ramByteAt4000; // what 0x4000 must hold afterwards, -1 if untouched
    };
    const std::vector<Case> cases = {
        {{0x70}, 0x1000, 0x1234, 0, 0xA000, -1},
        {{0x71}, 0x3FFF, 0x1234, 0, 0xA000, -1},
        {{0x72}, 0x0000, 0, 0x5678, 0xA000, -1},
        {{0x73}, 0x2000, 0, 0x5678, 0xA000, -1},
        {{0x74}, 0x3FFF, 0, 0, 0xA000, -1},
        {{0x75}, 0x3FFF, 0, 0, 0xA000, -1},
        {{0x77}, 0x3FFF, 0, 0, 0xA000, -1},
        {{0x36, 0x99}, 0x3FFF, 0, 0, 0xA000, -1},
        {{0x34}, 0x3FFF, 0, 0, 0xA000, -1},
        {{0x35}, 0x0000, 0, 0, 0xA000, -1},
        {{0x02}, 0, 0x3FFF, 0, 0xA000, -1},
        {{0x12}, 0, 0, 0x1000, 0xA000, -1},
        {{0x32, 0xFF, 0x3F}, 0, 0, 0, 0xA000, -1},
        {{0x22, 0xFF, 0x3F}, 0xABCD, 0, 0, 0xA000, 0xAB},
        {{0xC5}, 0, 0x1234, 0, 0x4001, 0x12},
        {{0xE5}, 0x5678, 0, 0, 0x2000, -1},
        {{0xCD, 0x00, 0x90}, 0, 0, 0, 0x4001, 0x80},
        {{0xC4, 0x00, 0x90}, 0, 0, 0, 0x4001, 0x80},
        {{0xFF}, 0, 0, 0, 0x3000, -1},
        {{0xE3}, 0xABCD, 0, 0, 0x3FFF, 0xAB},
    };
    for (const Case& k : cases) {
        CleanMachine();
        for (int a = 0; a < RomSize; ++a) Machine.memory[a] = uint8_t(a * 7 + 1);
        std::vector<uint8_t> rom(Machine.memory, Machine.memory + RomSize);
        Machine.memory[0x4000] = 0xEE;
        for (size_t i = 0; i < k.code.size(); ++i) Machine.memory[CodeAt + i] = k.code[i];
        Machine.pc = CodeAt;
        Machine.SetHL(k.hl), Machine.SetBC(k.bc), Machine.SetDE(k.de), Machine.sp = k.sp;
        Machine.a = 0x42;
        uint16_t sp = k.sp;
        Step();
        EXPECT_EQ(std::memcmp(rom.data(), Machine.memory, RomSize), 0)
            << "opcode " << std::hex << int(k.code[0]);
        EXPECT_EQ(Machine.memory[0x4000], k.ramByteAt4000 < 0 ? 0xEE : k.ramByteAt4000)
            << "opcode " << std::hex << int(k.code[0]);
        if (k.code[0] == 0xC5 || k.code[0] == 0xE5 || k.code[0] == 0xCD || k.code[0] == 0xFF) {
            EXPECT_EQ(Machine.sp, uint16_t(sp - 2)); // SP moves even when nothing is stored
        }
    }
}

// ---- Ports and interrupt control ------------------------------------------------------------

class MainSetPorts : public MainSet {
  protected:
    void TearDown() override {
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        EarLevel = 1;
        BeeperLog.count = 0;
    }
};

TEST_F(MainSetPorts, OutWritesTheImmediatePortAtTheInstructionsEnd) {
    Machine.a = 0x17;
    EXPECT_EQ(Run({0xD3, 0xFE}), 11u);
    ASSERT_EQ(BeeperLog.count, 1);
    EXPECT_EQ(BeeperLog.tstate[0], FrameTStates + 11); // the whole OUT is charged before the write
    EXPECT_EQ(BeeperLog.level[0], 1);
    EXPECT_EQ(BorderLog.colour, 7);
    Machine.a = 0x02;
    Run({0xD3, 0xFF}); // any other port is not the ULA
    EXPECT_EQ(BeeperLog.count, 1);
    EXPECT_EQ(BorderLog.colour, 7);
}

TEST_F(MainSetPorts, InPassesAAsTheHighAddressByte) {
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
    KeyMatrix[7] = 0xFE; // SPACE, selected by A = 0x7F
    KeyMatrix[0] = 0xFD; // Z, in a row A does not select
    Machine.a = 0x7F, Machine.f = 0xFF;
    EXPECT_EQ(Run({0xDB, 0xFE}), 11u);
    EXPECT_EQ(Machine.a, 0xFE);
    EXPECT_EQ(Machine.f, 0xFF); // IN A,(n) leaves F alone
    Machine.a = 0xFE;
    Run({0xDB, 0xFE});
    EXPECT_EQ(Machine.a, 0xFD);
    Machine.a = 0x00;
    Run({0xDB, 0x7F}); // not a port
    EXPECT_EQ(Machine.a, 0xFF);
}

TEST_F(MainSet, DiAndEiChangeOnlyIff1) {
    for (uint8_t mode = 0; mode < 4; ++mode) {
        Machine.interruptState = mode;
        LoadCode(CodeAt, {0xFB});
        Machine.tstates = 0;
        FrameLoop(); // EI as the first of a frame's NOPs; the frame ends with IFF1 set
        EXPECT_EQ(Machine.InterruptMode(), mode);
        Machine.interruptState = uint8_t(Iff1Bit | mode);
        Machine.pc = CodeAt;
        Poke(CodeAt, {0xF3});
        Machine.tstates = 0;
        FrameLoop();
        EXPECT_EQ(Machine.interruptState, mode);
    }
}

TEST_F(MainSet, HaltStopsPastItself) {
    EXPECT_EQ(Run({0x76}), 4u);
    EXPECT_EQ(Machine.halted, 1);
    EXPECT_EQ(Machine.pc, CodeAt + 1);
}

TEST_F(MainSet, PrefixesOnlySetThePendingIndexRegister) {
    Machine.SetHL(0x1111);
    LoadCode(CodeAt, {0xDD, 0x00});
    Machine.tstates = 0;
    Machine.interruptState = 0;
    ExecuteMain(0xDD);
    EXPECT_EQ(Machine.indexPrefix, 1);
    ExecuteMain(0xFD);
    EXPECT_EQ(Machine.indexPrefix, 2);
    EXPECT_EQ(Machine.tstates, 0u);
    EXPECT_EQ(Machine.pc, CodeAt);
    EXPECT_EQ(Machine.HL(), 0x1111);
}

} // namespace
