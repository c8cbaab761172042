#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "peripherals/input_state.h"
#include "peripherals/ports.h"
#include "tests/cpu_harness.h"
#include "tests/shift_reference.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

void SetUpED(std::initializer_list<uint8_t> code) {
    CleanMachine();
    Machine.sp = 0xF000;
    LoadCode(CodeAt, code);
}

// Bytes after ED that do something; everything else is a two-byte no-op.
bool Executed(unsigned op) {
    if (op >= 0x40 && op <= 0x7F) return op != 0x77 && op != 0x7F;
    if (op >= 0xA0 && op <= 0xBF) return (op & 7) <= 3;
    return op == 0xFF;
}

// The Z80 manual's times for the two-byte ED instructions, one block iteration.
uint32_t ManualTStates(unsigned op) {
    if (op >= 0x40 && op <= 0x7F) {
        switch (op & 7) {
        case 0:
        case 1: return 12; // IN r,(C) / OUT (C),r
        case 2: return 15; // SBC / ADC HL,ss
        case 3: return 20; // LD (nn),ss / LD ss,(nn)
        case 4: return 8;  // NEG
        case 5: return 14; // RETN / RETI
        case 6: return 8;  // IM
        default:           // LD I,A ... LD A,R; RRD, RLD
            return op < 0x60 ? 9 : op < 0x70 ? 18 : 8;
        }
    }
    if (op >= 0xA0 && op <= 0xBF && (op & 7) <= 3) return 16;
    return 8;
}

// Signed 16-bit reference for ADC/SBC HL: result, overflow and carries from plain integers.
struct Wide {
    uint16_t value;
    uint8_t flags;
};
Wide ReferenceAdc16(uint16_t hl, uint16_t v, bool c) {
    int sum = int(hl) + int(v) + c;
    int signedSum = int(int16_t(hl)) + int(int16_t(v)) + c;
    uint16_t r = uint16_t(sum & 0xFFFF);
    uint8_t f = 0;
    if (r & 0x8000) f |= FlagS;
    if (r == 0) f |= FlagZ;
    if ((hl & 0xFFF) + (v & 0xFFF) + c > 0xFFF) f |= FlagH;
    if (signedSum < -32768 || signedSum > 32767) f |= FlagPV;
    if (sum > 0xFFFF) f |= FlagC;
    return {r, f};
}
Wide ReferenceSbc16(uint16_t hl, uint16_t v, bool c) {
    int diff = int(hl) - int(v) - c;
    int signedDiff = int(int16_t(hl)) - int(int16_t(v)) - c;
    uint16_t r = uint16_t(diff & 0xFFFF);
    uint8_t f = FlagN;
    if (r & 0x8000) f |= FlagS;
    if (r == 0) f |= FlagZ;
    if (int(hl & 0xFFF) - int(v & 0xFFF) - c < 0) f |= FlagH;
    if (signedDiff < -32768 || signedDiff > 32767) f |= FlagPV;
    if (diff < 0) f |= FlagC;
    return {r, f};
}

} // namespace

TEST(EdSet, TimeRefreshAndNoOpsOfEverySecondByte) {
    for (unsigned op = 0; op < 256; ++op) {
        SetUpED({0xED, uint8_t(op), 0x00, 0x00});
        // Block instructions run their last iteration: BC counts moves and compares, B the
        // input and output (columns 2 and 3).
        bool io = op >= 0xA0 && op <= 0xBF && (op & 6) == 2;
        Machine.SetBC(io ? 0x01FF : 0x0001);
        Machine.r = 0x7F;
        Registers before = CaptureRegisters();
        uint32_t t = Step();
        EXPECT_EQ(t, ManualTStates(op)) << std::hex << op;
        if (op != 0x4F) { // LD R,A loads it
            EXPECT_EQ(Machine.r, 0x01) << std::hex << op;
        }
        EXPECT_EQ(Machine.opcode, 0xED) << "the second byte is not stored";
        if (!Executed(op)) {
            EXPECT_TRUE(CaptureRegisters() == before) << std::hex << op;
            EXPECT_EQ(Machine.pc, CodeAt + 2) << std::hex << op;
        }
    }
    // Opcode bytes that look like prefixes are no-ops too; the next byte is a new instruction.
    for (uint8_t op : {uint8_t(0xED), uint8_t(0xCB), uint8_t(0xDD)}) {
        SetUpED({0xED, op, 0xED, 0x44});
        Machine.a = 1;
        EXPECT_EQ(Step(), 8u);
        EXPECT_EQ(Machine.pc, CodeAt + 2);
        EXPECT_EQ(Machine.a, 1);
        Step();
        EXPECT_EQ(Machine.a, 0xFF);
    }
}

TEST(EdSet, AdcAndSbcHlAgreeWithSignedArithmetic) {
    std::mt19937 rng(1234);
    std::vector<std::pair<uint16_t, uint16_t>> pairs = {
        {0x8000, 0x0001}, {0x7FFF, 0x0001}, {0x0000, 0x0000}, {0xFFFF, 0xFFFF},
        {0x0FFF, 0x0001}, {0x1000, 0x0001}, {0x8000, 0x8000}, {0x0000, 0xFFFF}};
    for (int k = 0; k < 2000; ++k) pairs.push_back({uint16_t(rng()), uint16_t(rng())});
    // ss field in bits 5-4: BC, DE, HL, SP.
    for (auto [hl, v] : pairs) {
        for (unsigned ss = 0; ss < 4; ++ss) {
            for (bool carry : {false, true}) {
                for (bool subtract : {false, true}) {
                    uint8_t op = uint8_t((subtract ? 0x42 : 0x4A) | ss << 4);
                    SetUpED({0xED, op});
                    Machine.SetBC(0x1111), Machine.SetDE(0x2222), Machine.sp = 0x3333;
                    Machine.SetHL(hl);
                    uint16_t operand = ss == 2 ? hl : v;
                    if (ss == 0) Machine.SetBC(v);
                    if (ss == 1) Machine.SetDE(v);
                    if (ss == 3) Machine.sp = v;
                    Machine.f = uint8_t((carry ? FlagC : 0) | Flag3 | Flag5);
                    Step();
                    Wide want = subtract ? ReferenceSbc16(hl, operand, carry)
                                         : ReferenceAdc16(hl, operand, carry);
                    ASSERT_EQ(Machine.HL(), want.value)
                        << std::hex << unsigned(op) << " " << hl << " " << operand;
                    ASSERT_EQ(Machine.f, want.flags)
                        << std::hex << unsigned(op) << " " << hl << " " << operand;
                }
            }
        }
    }
}

// NEG is 0 - A: every value against signed negation, in all eight encodings.
TEST(EdSet, NegAgreesWithSignedNegation) {
    for (uint8_t op : {0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C}) {
        for (unsigned a = 0; a < 256; ++a) {
            SetUpED({0xED, op});
            Machine.a = uint8_t(a);
            Machine.f = 0xFF;
            Step();
            int negated = -int(int8_t(a));
            uint8_t want = FlagN;
            if (uint8_t(negated) & 0x80) want |= FlagS;
            if (uint8_t(negated) == 0) want |= FlagZ;
            if ((a & 0x0F) != 0) want |= FlagH; // a borrow from bit 4
            if (negated > 127) want |= FlagPV;  // only -(-128) leaves the signed range
            if (a != 0) want |= FlagC;          // 0 - a borrows unless a is 0
            ASSERT_EQ(Machine.a, uint8_t(negated)) << a;
            ASSERT_EQ(Machine.f, want) << a;
        }
    }
}

TEST(EdSet, SixteenBitLoadsThroughMemory) {
    // LD (nn),ss then LD ss,(nn) for each pair, through a word at 0x9000.
    for (unsigned ss = 0; ss < 4; ++ss) {
        SetUpED(
            {0xED, uint8_t(0x43 | ss << 4), 0x00, 0x90, 0xED, uint8_t(0x4B | ss << 4), 0x00, 0x90});
        Machine.SetBC(0x0102), Machine.SetDE(0x0304), Machine.SetHL(0x0506), Machine.sp = 0x0708;
        uint16_t value[4] = {0x0102, 0x0304, 0x0506, 0x0708};
        Machine.f = 0xD7;
        EXPECT_EQ(Step(), 20u);
        EXPECT_EQ(Machine.memory[0x9000], value[ss] & 0xFF);
        EXPECT_EQ(Machine.memory[0x9001], value[ss] >> 8);
        Machine.memory[0x9000] = 0xCD, Machine.memory[0x9001] = 0xAB;
        Step();
        uint16_t loaded[4] = {Machine.BC(), Machine.DE(), Machine.HL(), Machine.sp};
        EXPECT_EQ(loaded[ss], 0xABCD);
        EXPECT_EQ(Machine.pc, CodeAt + 8);
        EXPECT_EQ(Machine.f, 0xD7);
    }
    // The high byte of a word at 0xFFFF is at 0x0000; a store at 0x3FFF keeps only 0x4000's byte.
    SetUpED({0xED, 0x5B, 0xFF, 0xFF, 0xED, 0x53, 0xFF, 0x3F});
    Machine.memory[0xFFFF] = 0x34, Machine.memory[0x0000] = 0x12;
    Step();
    EXPECT_EQ(Machine.DE(), 0x1234);
    Machine.memory[0x3FFF] = 0x00;
    Step();
    EXPECT_EQ(Machine.memory[0x3FFF], 0x00);
    EXPECT_EQ(Machine.memory[0x4000], 0x12);
}

// Runs one instruction with IFF1 set and ends the frame after it. Mode code 1 takes no
// interrupt there, so nothing but the instruction changes the machine.
static uint32_t StepWithIff1Set() {
    Machine.interruptState = Iff1Bit | 1;
    Machine.tstates = FrameTStates;
    FrameLoop();
    return Machine.tstates;
}

TEST(EdSet, ReturnsPopPcAndLeaveIff1Alone) {
    for (uint8_t op : {0x45, 0x4D, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D}) {
        for (bool iff1 : {false, true}) {
            SetUpED({0xED, op});
            Machine.sp = 0xFFFF;
            Machine.memory[0xFFFF] = 0x34, Machine.memory[0x0000] = 0x12;
            iff1 ? StepWithIff1Set() : Step();
            EXPECT_EQ(Machine.pc, 0x1234);
            EXPECT_EQ(Machine.sp, 0x0001);
            EXPECT_EQ(Machine.Iff1(), iff1);
        }
    }
}

// IM as the frame's interrupt sees it: codes 0 and 2 (IM 0, IM 1) restart at 0x0038, code 3
// (IM 2) takes its vector from I * 256 + 0xFF, and code 1 takes nothing, leaving IFF1 set.
TEST(EdSet, InterruptModeDecidesTheFrameInterrupt) {
    const std::pair<uint8_t, uint8_t> modes[] = {{0x46, 0}, {0x66, 0}, {0x4E, 1}, {0x6E, 1},
                                                 {0x56, 2}, {0x76, 2}, {0x5E, 3}, {0x7E, 3}};
    for (auto [op, code] : modes) {
        SetUpED({0xED, op});
        Machine.i = 0x90;
        Poke(0x90FF, {0x34, 0x12});
        Machine.interruptState = uint8_t(Iff1Bit | (3 - code));
        Machine.tstates = FrameTStates;
        FrameLoop();
        EXPECT_EQ(Machine.InterruptMode(), code) << std::hex << unsigned(op);
        uint16_t next = CodeAt + 2;
        if (code == 1) {
            EXPECT_EQ(Machine.pc, next);
            EXPECT_TRUE(Machine.Iff1());
            EXPECT_EQ(Machine.sp, 0xF000);
        } else {
            EXPECT_EQ(Machine.pc, code == 3 ? 0x1234 : 0x0038) << std::hex << unsigned(op);
            EXPECT_FALSE(Machine.Iff1());
            EXPECT_EQ(ReadWord(Machine.sp), next);
        }
    }
}

TEST(EdSet, TransfersWithIAndR) {
    // LD R,A loads bit 7; LD A,R then sees the low bits counted up by its own two fetches.
    SetUpED({0xED, 0x4F, 0xED, 0x5F});
    Machine.a = 0x80;
    Step();
    EXPECT_EQ(Machine.r, 0x80);
    Machine.f = FlagC;
    StepWithIff1Set();
    EXPECT_EQ(Machine.a, 0x82);
    EXPECT_EQ(Machine.f, FlagS | FlagPV | FlagC); // P/V reports IFF1

    SetUpED({0xED, 0x47, 0xED, 0x57});
    Machine.a = 0x00;
    Machine.f = 0xFF;
    Step();
    EXPECT_EQ(Machine.i, 0x00);
    EXPECT_EQ(Machine.f, 0xFF); // LD I,A leaves F
    Machine.a = 0x55;
    Step();
    EXPECT_EQ(Machine.a, 0x00);
    EXPECT_EQ(Machine.f, FlagZ | FlagC); // IFF1 clear: P/V 0; H, N, 3, 5 cleared
}

// RLD and RRD rotate the twelve bits (m high, m low, A low) by one nibble left or right.
TEST(EdSet, RldAndRrdRotateTwelveBits) {
    std::mt19937 rng(77);
    for (unsigned m = 0; m < 256; ++m) {
        for (unsigned lowA = 0; lowA < 16; ++lowA) {
            for (bool left : {true, false}) {
                uint8_t highA = uint8_t(rng() & 0xF0);
                SetUpED({0xED, uint8_t(left ? 0x6F : 0x67)});
                Machine.SetHL(0x9000);
                Machine.memory[0x9000] = uint8_t(m);
                Machine.a = uint8_t(highA | lowA);
                Machine.f = FlagC | FlagN | FlagH;
                unsigned twelve = m << 4 | lowA;
                unsigned rotated = left ? ((twelve << 4) | (twelve >> 8)) & 0xFFF
                                        : ((twelve >> 4) | (twelve << 8)) & 0xFFF;
                EXPECT_EQ(Step(), 18u);
                uint8_t wantA = uint8_t(highA | (rotated & 0xF));
                ASSERT_EQ(Machine.memory[0x9000], rotated >> 4);
                ASSERT_EQ(Machine.a, wantA);
                uint8_t wantF = FlagC;
                if (wantA & 0x80) wantF |= FlagS;
                if (wantA == 0) wantF |= FlagZ;
                if (std::popcount(wantA) % 2 == 0) wantF |= FlagPV;
                ASSERT_EQ(Machine.f, wantF);
            }
        }
    }
    SetUpED({0xED, 0x6F}); // in the ROM area A changes, the byte does not
    Machine.SetHL(0x2000);
    Machine.memory[0x2000] = 0x12;
    Machine.a = 0x34;
    Step();
    EXPECT_EQ(Machine.memory[0x2000], 0x12);
    EXPECT_EQ(Machine.a, 0x31);
}

// Port 0xFE reads the keyboard half-rows whose address line (B) is low, with EAR in bit 6.
TEST(EdSet, InputThroughCUsesBAsHighByte) {
    const uint8_t ops[8] = {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78};
    for (unsigned r = 0; r < 8; ++r) {
        SetUpED({0xED, ops[r]});
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        KeyMatrix[0] = 0x00; // every key of the half-row at A8 pressed
        EarLevel = 0;
        Machine.SetBC(0xFEFE), Machine.SetDE(0x1111), Machine.SetHL(0x2222), Machine.a = 0x33;
        Machine.f = FlagC | FlagN | FlagH;
        Step();
        uint8_t regs[8] = {Machine.b, Machine.c, Machine.d, Machine.e,
                           Machine.h, Machine.l, 0,         Machine.a};
        uint8_t was[8] = {0xFE, 0xFE, 0x11, 0x11, 0x22, 0x22, 0, 0x33};
        for (unsigned k = 0; k < 8; ++k)
            if (k != 6) { EXPECT_EQ(regs[k], k == r ? 0x00 : was[k]) << r << " " << k; }
        EXPECT_EQ(Machine.f, FlagZ | FlagPV | FlagC);
    }
    // No half-row selected (B = 0xFF): only EAR shows, 0xFF with EAR high.
    SetUpED({0xED, 0x78});
    EarLevel = 1;
    Machine.SetBC(0xFFFE);
    Step();
    EXPECT_EQ(Machine.a, 0xFF);
    EXPECT_EQ(Machine.f, FlagS | FlagPV);
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
}

// The port address is BC: C picks the port, B drives the address lines that select half-rows.
// With B and C different, a processor that used C (or a swapped pair) would read other rows.
TEST(EdSet, InputThroughCSelectsRowsByBNotC) {
    struct Case {
        uint16_t bc;
        uint8_t want; // row 1 (A9) has A, S, D, F, G down; row 7 (A15) only SPACE
    };
    for (Case c :
         {Case{0xFDFE, 0xE0}, Case{0x7FFE, 0xFE}, Case{0xFE7F, 0xFF}, Case{0xFEFD, 0xFF}}) {
        SetUpED({0xED, 0x78}); // IN A,(C)
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        KeyMatrix[1] = 0xE0, KeyMatrix[7] = 0xFE;
        EarLevel = 1;
        Machine.SetBC(c.bc);
        Step();
        EXPECT_EQ(Machine.a, c.want) << std::hex << c.bc;
    }
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
}

TEST(EdSet, OutputThroughCSendsRegisterOrZero) {
    const uint8_t ops[8] = {0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x71, 0x79};
    for (unsigned r = 0; r < 8; ++r) {
        SetUpED({0xED, ops[r]});
        BorderLog.colour = 7;
        Machine.SetBC(0x15FE), Machine.SetDE(0x1213), Machine.SetHL(0x1314), Machine.a = 0x16;
        uint8_t values[8] = {0x15, 0xFE, 0x12, 0x13, 0x13, 0x14, 0x00, 0x16};
        Step();
        ASSERT_EQ(BeeperLog.count, 1);
        EXPECT_EQ(BorderLog.colour, values[r] & 7) << r;
        EXPECT_EQ(BeeperLog.level[0], (values[r] >> 4) & 1) << r;
    }
    SetUpED({0xED, 0x79}); // C selects the port: 0xFD is not the ULA
    Machine.SetBC(0x00FD);
    Step();
    EXPECT_EQ(BeeperLog.count, 0);
}

TEST(EdSet, SingleBlockTransfersAndCompares) {
    // LDI / LDD: one byte, HL and DE step, BC counts down, P/V while BC is left; S, Z, C kept.
    for (bool up : {true, false}) {
        SetUpED({0xED, uint8_t(up ? 0xA0 : 0xA8)});
        Machine.SetHL(0x9000), Machine.SetDE(0xA000), Machine.SetBC(0x0002);
        Machine.memory[0x9000] = 0x5C;
        Machine.f = 0xFF;
        Step();
        EXPECT_EQ(Machine.memory[0xA000], 0x5C);
        EXPECT_EQ(Machine.HL(), up ? 0x9001 : 0x8FFF);
        EXPECT_EQ(Machine.DE(), up ? 0xA001 : 0x9FFF);
        EXPECT_EQ(Machine.BC(), 0x0001);
        EXPECT_EQ(Machine.f, FlagS | FlagZ | FlagPV | FlagC);
        Machine.pc = CodeAt;
        Step();
        EXPECT_EQ(Machine.f, FlagS | FlagZ | FlagC);
    }
    // CPI / CPD against subtraction: A is kept, flags of A - byte with P/V from BC, C kept.
    for (unsigned a : {0x00u, 0x10u, 0x80u, 0x7Fu}) {
        for (unsigned v : {0x00u, 0x01u, 0x10u, 0x80u, 0xFFu}) {
            SetUpED({0xED, 0xA9});
            Machine.a = uint8_t(a);
            Machine.SetHL(0x9000), Machine.SetBC(0x0005);
            Machine.memory[0x9000] = uint8_t(v);
            Machine.f = FlagC;
            Step();
            int diff = int(a) - int(v);
            uint8_t want = FlagN | FlagPV | FlagC;
            if (uint8_t(diff) & 0x80) want |= FlagS;
            if (diff == 0) want |= FlagZ;
            if (int(a & 0xF) < int(v & 0xF)) want |= FlagH;
            EXPECT_EQ(Machine.f, want) << a << " " << v;
            EXPECT_EQ(Machine.a, a);
            EXPECT_EQ(Machine.HL(), 0x8FFF);
            EXPECT_EQ(Machine.BC(), 0x0004);
        }
    }
}

TEST(EdSet, RepeatingCompareStopsOnMatchOrCount) {
    // CPIR finds 0x42 at 0x9003: HL past it, Z set, BC left so P/V set; 21 per repeat, 16 last.
    SetUpED({0xED, 0xB1});
    Poke(0x9000, {0x10, 0x20, 0x30, 0x42, 0x50});
    Machine.a = 0x42, Machine.SetHL(0x9000), Machine.SetBC(0x0010);
    std::vector<uint32_t> times;
    while (Machine.pc == CodeAt) times.push_back(Step());
    EXPECT_EQ(times, (std::vector<uint32_t>{21, 21, 21, 16}));
    EXPECT_EQ(Machine.HL(), 0x9004);
    EXPECT_EQ(Machine.BC(), 0x000C);
    EXPECT_EQ(Machine.f & (FlagZ | FlagPV), FlagZ | FlagPV);

    // CPDR without a match runs BC out: Z and P/V clear.
    SetUpED({0xED, 0xB9});
    Machine.a = 0x42, Machine.SetHL(0x9002), Machine.SetBC(0x0003);
    times.clear();
    while (Machine.pc == CodeAt) times.push_back(Step());
    EXPECT_EQ(times, (std::vector<uint32_t>{21, 21, 16}));
    EXPECT_EQ(Machine.HL(), 0x8FFF);
    EXPECT_EQ(Machine.f & (FlagZ | FlagPV), 0);

    // A match on the last byte: Z set, P/V clear.
    SetUpED({0xED, 0xB1});
    Poke(0x9000, {0x10, 0x20, 0x30});
    Machine.a = 0x30, Machine.SetHL(0x9000), Machine.SetBC(0x0003);
    while (Machine.pc == CodeAt) Step();
    EXPECT_EQ(Machine.f & (FlagZ | FlagPV), FlagZ);
}

// LDIR with BC = 0 moves 65536 bytes, one per execution. The reference copies byte by byte in
// the same order and drops writes to the ROM area, so overlap and protection are both covered.
TEST(EdSet, LdirWithZeroCountCopiesWholeAddressSpace) {
    for (bool up : {true, false}) {
        CleanMachine();
        std::mt19937 rng(up ? 5 : 6);
        for (unsigned k = 0; k < 65536; ++k) Machine.memory[k] = uint8_t(rng());
        LoadCode(0x0100, {0xED, uint8_t(up ? 0xB0 : 0xB8)}); // in the ROM: never overwritten
        uint16_t hl = 0x4321, de = 0x2000;
        Machine.SetHL(hl), Machine.SetDE(de), Machine.SetBC(0);
        std::vector<uint8_t> want(Machine.memory, Machine.memory + 65536);
        for (unsigned k = 0; k < 65536; ++k) {
            uint16_t from = uint16_t(up ? hl + k : hl - k), to = uint16_t(up ? de + k : de - k);
            if (to >= 0x4000) want[to] = want[from];
        }
        uint64_t steps = 0, total = 0, repeating = 0;
        while (Machine.pc == 0x0100) {
            uint32_t t = Step();
            ++steps, total += t;
            if (Machine.pc == 0x0100) repeating += t == 21;
        }
        EXPECT_EQ(steps, 65536u);
        EXPECT_EQ(repeating, 65535u);
        EXPECT_EQ(total, 65535u * 21 + 16);
        EXPECT_EQ(Machine.BC(), 0);
        EXPECT_EQ(Machine.HL(), hl);
        EXPECT_EQ(Machine.DE(), de);
        EXPECT_EQ(std::memcmp(Machine.memory, want.data(), 65536), 0);
    }
}

// A frame can end between two iterations. 3328 iterations of 21 reach exactly 69888, which does
// not end the frame, so the first frame takes one more; the copy then ends in the 20th frame.
TEST(EdSet, LdirRunsAcrossFrames) {
    CleanMachine();
    LoadCode(0x0100, {0xED, 0xB0, 0x76}); // LDIR, then HALT
    Machine.SetHL(0x8000), Machine.SetDE(0x8000), Machine.SetBC(0);
    FrameLoop();
    uint32_t firstFrame = FrameTStates / 21 + 1;
    EXPECT_EQ(Machine.BC(), 65536 - firstFrame);
    EXPECT_EQ(Machine.tstates, firstFrame * 21 - FrameTStates);
    EXPECT_EQ(Machine.pc, 0x0100);
    int frames = 1;
    while (!Machine.halted && frames < 100) FrameLoop(), ++frames;
    uint64_t total = 65535ull * 21 + 16 + 4; // the copy and the HALT
    EXPECT_EQ(frames, int(total / FrameTStates) + 1);
    EXPECT_EQ(Machine.BC(), 0);
    EXPECT_EQ(Machine.HL(), 0x8000);
}

// Step runs one iteration per call, as each starts at the frame end; a frame run from T-state 0
// goes round without leaving the ED set. Both must leave the same machine, R and time included,
// also when a block move overwrites its own two bytes (the rest of the copy is then not done).
TEST(EdSet, RepeatsWithinAFrameMatchSingleSteps) {
    struct Case {
        uint8_t op;
        uint16_t hl, de, bc;
    };
    const Case cases[] = {
        {0xB0, 0x9000, 0xA000, 300},  {0xB8, 0x9200, 0xA200, 300}, // LDIR, LDDR
        {0xB1, 0x9000, 0, 300},       {0xB9, 0x9200, 0, 300},      // CPIR, CPDR
        {0xB2, 0x9000, 0, 0x00FE},    {0xBA, 0x9200, 0, 0x40FE},   // INIR, INDR (keyboard)
        {0xB3, 0x9000, 0, 0x00FE},    {0xBB, 0x9200, 0, 0x80FE},   // OTIR, OTDR (ULA)
        {0xB0, 0x9000, 0x7FF0, 0x40},                              // LDIR onto its ED byte
        {0xB8, 0x903F, 0x802F, 0x40},                              // LDDR onto its B8
    };
    for (const Case& k : cases) {
        SetUpED({0xED, k.op, 0x76}); // then HALT
        std::mt19937 rng(k.op);
        for (unsigned a = 0x9000; a < 0x9300; ++a) Machine.memory[a] = uint8_t(rng() | 1);
        Machine.memory[0x9012] = 0x76; // lands on 0x8002 in the overwriting cases
        Machine.memory[0x9100] = 0x42; // what CPIR and CPDR look for
        Machine.a = 0x42, Machine.r = 0x7E;
        Machine.SetHL(k.hl), Machine.SetDE(k.de), Machine.SetBC(k.bc);
        const std::vector<uint8_t> memory(Machine.memory, Machine.memory + 65536);
        const Registers start = CaptureRegisters();

        uint32_t total = 0;
        while (!Machine.halted && total < FrameTStates / 2) total += Step();
        ASSERT_EQ(Machine.halted, 1) << std::hex << int(k.op);
        const Registers stepped = CaptureRegisters();
        const uint8_t steppedR = Machine.r;
        const uint16_t steppedPc = Machine.pc;
        const std::vector<uint8_t> steppedMemory(Machine.memory, Machine.memory + 65536);

        std::memcpy(Machine.memory, memory.data(), 65536);
        Machine.SetAF(start.af), Machine.SetBC(start.bc), Machine.SetDE(start.de);
        Machine.SetHL(start.hl);
        Machine.r = 0x7E, Machine.pc = CodeAt, Machine.halted = 0, Machine.tstates = 0;
        FrameLoop();
        EXPECT_TRUE(CaptureRegisters() == stepped) << std::hex << int(k.op);
        EXPECT_EQ(Machine.r, steppedR) << std::hex << int(k.op);
        EXPECT_EQ(Machine.pc, steppedPc) << std::hex << int(k.op);
        EXPECT_EQ(std::memcmp(Machine.memory, steppedMemory.data(), 65536), 0);
        // The HALT came at T-state `total` and idled in steps of 4 past the frame end.
        EXPECT_EQ(Machine.tstates, total + 4 * ((FrameTStates - total) / 4 + 1) - FrameTStates)
            << std::hex << int(k.op);
    }
}

// A DD or FD before ED only adds its own fetch: 4 T-states and one count of R.
TEST(EdSet, IndexPrefixBeforeEdOnlyAddsItsFetch) {
    for (uint8_t prefix : {uint8_t(0xDD), uint8_t(0xFD)}) {
        SetUpED({prefix, 0xED, 0x44, 0xED, 0x44});
        Machine.a = 0x01;
        Machine.r = 0x00;
        EXPECT_EQ(Step(), 12u);
        EXPECT_EQ(Machine.r, 3);
        EXPECT_EQ(Machine.a, 0xFF);
        EXPECT_EQ(Step(), 8u); // the prefix is gone
        EXPECT_EQ(Machine.a, 0x01);
    }
}

// The loader trap is only live at its place in the ROM loader (ED FF at 0x0569).
TEST(EdSet, TrapWithNoTapeReportsFailureToTheLoader) {
    SetUpED({});
    LoadCode(0x0569, {0xED, 0xFF});
    Machine.SetAF(0x1234), Machine.SetAFAlt(0x00FF); // A' flag byte 0, F' all set
    Machine.ix = 0x8000, Machine.SetDE(0x0011);
    EXPECT_EQ(Step(), 8u);
    EXPECT_EQ(Machine.pc, 0x05E2);
    EXPECT_EQ(Machine.AF(), 0x00FF & ~(FlagZ | FlagC)); // F' lost Z and C, then exchanged
    EXPECT_EQ(Machine.AFAlt(), 0x1234);
    EXPECT_EQ(Machine.ix, 0x8000);
    EXPECT_EQ(Machine.DE(), 0x0011);

    SetUpED({0xED, 0xFF}); // anywhere else: an 8 T-state no-op
    Machine.SetAF(0x1234), Machine.SetAFAlt(0x00FF);
    Registers before = CaptureRegisters();
    EXPECT_EQ(Step(), 8u);
    EXPECT_EQ(Machine.pc, CodeAt + 2);
    EXPECT_TRUE(CaptureRegisters() == before);
}
