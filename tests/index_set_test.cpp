#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/instruction_sets.h"
#include "core/machine.h"
#include "cpu_harness.h"
#include "manual_timing.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

struct Snapshot {
    MachineRecord regs;
    std::vector<uint8_t> memory;
};
Snapshot Capture() {
    return {Machine, std::vector<uint8_t>(Machine.memory, Machine.memory + 65536)};
}
void Restore(const Snapshot& s) {
    uint8_t* memory = Machine.memory;
    Machine = s.regs;
    Machine.memory = memory;
    std::memcpy(memory, s.memory.data(), 65536);
}

// Every register and state field but H and L, which the callers compare themselves.
std::string RegisterDiff(const MachineRecord& x, const MachineRecord& y) {
    std::ostringstream out;
    out << std::hex;
    auto field = [&](const char* name, unsigned a, unsigned b) {
        if (a != b) out << name << " " << a << " vs " << b << "; ";
    };
    field("F", x.f, y.f), field("A", x.a, y.a), field("B", x.b, y.b), field("C", x.c, y.c);
    field("D", x.d, y.d), field("E", x.e, y.e), field("AF'", x.AFAlt(), y.AFAlt());
    field("BC'", x.BCAlt(), y.BCAlt()), field("DE'", x.DEAlt(), y.DEAlt());
    field("HL'", x.HLAlt(), y.HLAlt()), field("IY", x.iy, y.iy), field("PC", x.pc, y.pc);
    field("SP", x.sp, y.sp), field("I", x.i, y.i),
        field("IFF/IM", x.interruptState, y.interruptState);
    field("halted", x.halted, y.halted), field("prefix", x.indexPrefix, y.indexPrefix);
    return out.str();
}

// Memory differences outside the code bytes at CodeAt.
int MemoryDiffs(const std::vector<uint8_t>& x, const std::vector<uint8_t>& y) {
    int diffs = 0;
    for (int a = 0; a < 65536; ++a)
        if ((a < CodeAt || a > CodeAt + 3) && x[a] != y[a]) ++diffs;
    return diffs;
}

// A machine with every register distinct, RAM filled with a fixed pseudo-random pattern and a
// stack in RAM, so that any register or address mix-up shows in the result.
void BusyMachine(uint8_t f) {
    CleanMachine();
    uint32_t seed = 12345;
    for (int a = RomSize; a < 65536; ++a) {
        seed = seed * 1103515245u + 12345u;
        Machine.memory[a] = uint8_t(seed >> 16);
    }
    Machine.SetAF(uint16_t(0x5A00 | f));
    Machine.SetBC(0x9310), Machine.SetDE(0x9420), Machine.SetHL(0x9530);
    Machine.SetAFAlt(0x1111), Machine.SetBCAlt(0x2222), Machine.SetDEAlt(0x3333);
    Machine.SetHLAlt(0x4444);
    Machine.ix = 0x9640, Machine.iy = 0xA750, Machine.sp = 0xB000, Machine.r = 0x10;
}

class IndexSet : public ::testing::TestWithParam<uint8_t> {
  protected:
    uint8_t Prefix() const { return GetParam(); }
    uint16_t& Index() const { return Prefix() == 0xDD ? Machine.ix : Machine.iy; }
    void SetUp() override { CleanMachine(); }
    uint32_t Run(std::initializer_list<uint8_t> code) {
        LoadCode(CodeAt, code);
        return Step();
    }
};

TEST_P(IndexSet, EveryOpcodeTakesTheManualTime) {
    for (int op = 0; op < 256; ++op) {
        if (op == 0xCB || op == 0xED || op == 0xDD || op == 0xFD) continue;
        for (uint8_t f : {uint8_t(0x00), uint8_t(0xFF)}) {
            CleanMachine();
            Machine.f = f, Machine.b = f ? 1 : 2;
            Machine.SetHL(0x9000), Machine.ix = Machine.iy = 0x9100, Machine.sp = 0xC000;
            EXPECT_EQ(Run({Prefix(), uint8_t(op), 0x00, 0x90}),
                      ManualIndexedTStates(uint8_t(op), BranchTaken(uint8_t(op), f, f ? 1 : 2)))
                << std::hex << int(Prefix()) << " " << op << " F=" << int(f);
        }
    }
}

// Without a memory operand, a prefixed opcode must act exactly as the unprefixed opcode does
// with the index register in HL's place (or, for EX DE,HL and EXX, with HL itself), in 4 more
// T-states and one more count of R.
TEST_P(IndexSet, RegisterFormsActAsTheUnprefixedOpcodeOnTheIndexRegister) {
    for (int op = 0; op < 256; ++op) {
        if (op == 0xCB || op == 0xED || op == 0xDD || op == 0xFD) continue;
        if (UsesMemoryOperand(uint8_t(op))) continue;
        bool realHl = op == 0xEB || op == 0xD9;
        for (uint8_t f : {uint8_t(0x00), uint8_t(0xFF)}) {
            BusyMachine(f);
            Poke(CodeAt, {Prefix(), uint8_t(op), 0x34, 0x92});
            Machine.pc = CodeAt;
            Snapshot start = Capture();
            uint16_t hl = Machine.HL(), x = Index();
            uint32_t prefixed = Step();
            Snapshot withPrefix = Capture();

            Restore(start);
            if (!realHl) Machine.SetHL(x), Index() = hl;
            Machine.pc = CodeAt + 1;
            uint32_t plain = Step();
            Snapshot without = Capture();
            if (!realHl) { // put HL and the index register back in their own places
                uint16_t newHl = without.regs.HL();
                without.regs.SetHL(Prefix() == 0xDD ? without.regs.ix : without.regs.iy);
                (Prefix() == 0xDD ? without.regs.ix : without.regs.iy) = newHl;
            }
            EXPECT_EQ(RegisterDiff(withPrefix.regs, without.regs), "")
                << std::hex << int(Prefix()) << " " << op;
            EXPECT_EQ(withPrefix.regs.HL(), without.regs.HL()) << std::hex << op;
            EXPECT_EQ(withPrefix.regs.ix, without.regs.ix) << std::hex << op;
            EXPECT_EQ(withPrefix.regs.iy, without.regs.iy) << std::hex << op;
            EXPECT_EQ(withPrefix.regs.r, uint8_t(without.regs.r + 1)) << std::hex << op;
            EXPECT_EQ(prefixed, plain + 4) << std::hex << op;
            EXPECT_EQ(MemoryDiffs(withPrefix.memory, without.memory), 0) << std::hex << op;
        }
    }
}

// With a memory operand, (X+d) must address what (HL) addresses when HL holds X + d; the
// register beside it stays the real H or L.
TEST_P(IndexSet, MemoryFormsActAsTheUnprefixedOpcodeAtXPlusD) {
    for (int op = 0; op < 256; ++op) {
        if (!UsesMemoryOperand(uint8_t(op))) continue;
        for (uint8_t d : {uint8_t(0x05), uint8_t(0xFB), uint8_t(0x7F), uint8_t(0x80)}) {
            BusyMachine(0xC5);
            Poke(CodeAt, {Prefix(), uint8_t(op), d, 0x77});
            Machine.pc = CodeAt;
            Snapshot start = Capture();
            uint16_t hl = Machine.HL(), target = uint16_t(Index() + int8_t(d));
            uint32_t prefixed = Step();
            Snapshot withPrefix = Capture();

            Restore(start);
            Poke(CodeAt + 2, {uint8_t(op), 0x77});
            Machine.SetHL(target);
            Machine.pc = CodeAt + 2;
            Step();
            Snapshot without = Capture();

            EXPECT_EQ(prefixed, ManualIndexedTStates(uint8_t(op), false));
            EXPECT_EQ(RegisterDiff(withPrefix.regs, without.regs), "")
                << std::hex << int(Prefix()) << " " << op << " d=" << int(d);
            EXPECT_EQ(withPrefix.regs.r, uint8_t(without.regs.r + 1));
            EXPECT_EQ(withPrefix.regs.ix, start.regs.ix);
            uint8_t expectH = uint8_t(hl >> 8), expectL = uint8_t(hl);
            if (op == 0x66) expectH = without.regs.h; // LD H,(X+d)
            if (op == 0x6E) expectL = without.regs.l; // LD L,(X+d)
            EXPECT_EQ(withPrefix.regs.h, expectH) << std::hex << op;
            EXPECT_EQ(withPrefix.regs.l, expectL) << std::hex << op;
            if (op == 0x74 || op == 0x75) { // LD (X+d),H / L store the real H / L
                EXPECT_EQ(withPrefix.memory[target], op == 0x74 ? expectH : expectL);
                without.memory[target] = withPrefix.memory[target];
            }
            EXPECT_EQ(MemoryDiffs(withPrefix.memory, without.memory), 0) << std::hex << op;
        }
    }
}

TEST_P(IndexSet, IndexedAddressesWrapAndObeyTheRomRule) {
    Index() = 0x0000;
    Machine.memory[0xFFFF] = 0x42;
    Run({Prefix(), 0x7E, 0xFF}); // LD A,(X-1)
    EXPECT_EQ(Machine.a, 0x42);
    Index() = 0xFFFE, Machine.a = 0x99;
    Machine.memory[0x0003] = 0x00;
    EXPECT_EQ(Run({Prefix(), 0x77, 0x05}), 19u); // LD (X+5),A lands in the ROM
    EXPECT_EQ(Machine.memory[0x0003], 0x00);
    Index() = 0x3FFF;
    EXPECT_EQ(Run({Prefix(), 0x36, 0x00, 0xAB}), 19u); // LD (X+0),n
    EXPECT_EQ(Machine.memory[0x3FFF], 0x00);
    EXPECT_EQ(Machine.pc, CodeAt + 4);
    Index() = 0x4000;
    Run({Prefix(), 0x36, 0x00, 0xAB});
    EXPECT_EQ(Machine.memory[0x4000], 0xAB);
}

TEST_P(IndexSet, ReadModifyWriteSetsFlagsFromTheResult) {
    Index() = 0x9000, Machine.f = FlagC;
    Machine.memory[0x9000] = 0xFF;
    EXPECT_EQ(Run({Prefix(), 0x34, 0x00}), 23u); // INC (X+0)
    EXPECT_EQ(Machine.memory[0x9000], 0x00);
    EXPECT_EQ(Machine.f, FlagZ | FlagH | FlagC);
    Machine.memory[0x9002] = 0x80, Machine.f = 0;
    Run({Prefix(), 0x35, 0x02}); // DEC (X+2)
    EXPECT_EQ(Machine.memory[0x9002], 0x7F);
    EXPECT_EQ(Machine.f, FlagPV | FlagH | FlagN);
    Index() = 0x1000, Machine.memory[0x1001] = 0xFF;
    Run({Prefix(), 0x34, 0x01}); // in the ROM: nothing stored, flags still from 0x00
    EXPECT_EQ(Machine.memory[0x1001], 0xFF);
    EXPECT_EQ(Machine.f, FlagZ | FlagH);
}

TEST_P(IndexSet, HalvesOfTheIndexRegisterAreSeparateRegisters) {
    Index() = 0x1234, Machine.b = 0xAB, Machine.SetHL(0x5566);
    EXPECT_EQ(Run({Prefix(), 0x60}), 8u); // LD XH,B
    EXPECT_EQ(Index(), 0xAB34);
    Run({Prefix(), 0x6C}); // LD XL,XH
    EXPECT_EQ(Index(), 0xABAB);
    Run({Prefix(), 0x2E, 0x01}); // LD XL,n
    Run({Prefix(), 0x2D});       // DEC XL
    EXPECT_EQ(Index(), 0xAB00);
    EXPECT_EQ(Machine.f & FlagZ, FlagZ);
    Run({Prefix(), 0x66, 0x01}); // LD H,(X+1) loads the real H
    EXPECT_EQ(Index(), 0xAB00);
    EXPECT_EQ(Machine.HL(), uint16_t(Machine.memory[0xAB01] << 8 | 0x66));
    Index() = 0x8000, Machine.f = 0;
    Run({Prefix(), 0x29}); // ADD X,X
    EXPECT_EQ(Index(), 0x0000);
    EXPECT_EQ(Machine.f, FlagC);
}

TEST_P(IndexSet, ExchangeWithStackTopStoresOnlyRam) {
    Index() = 0x1234, Machine.sp = 0x3FFF;
    Machine.memory[0x3FFF] = 0xCD, Machine.memory[0x4000] = 0xAB;
    EXPECT_EQ(Run({Prefix(), 0xE3}), 23u);
    EXPECT_EQ(Index(), 0xABCD);
    EXPECT_EQ(Machine.memory[0x3FFF], 0xCD);
    EXPECT_EQ(Machine.memory[0x4000], 0x12);
}

TEST_P(IndexSet, ExchangesAndHaltIgnoreThePrefix) {
    Index() = 0x7777, Machine.SetHL(0x1111), Machine.SetDE(0x2222);
    EXPECT_EQ(Run({Prefix(), 0xEB}), 8u);
    EXPECT_EQ(Machine.HL(), 0x2222);
    EXPECT_EQ(Machine.DE(), 0x1111);
    EXPECT_EQ(Index(), 0x7777);
    EXPECT_EQ(Run({Prefix(), 0x76}), 8u);
    EXPECT_EQ(Machine.halted, 1);
    EXPECT_EQ(Machine.pc, CodeAt + 2);
}

TEST_P(IndexSet, EdUnderAPrefixIsTheEdInstruction) {
    // Whatever the ED set does, the prefix in front must change nothing but clear itself.
    for (int second = 0; second < 256; ++second) {
        BusyMachine(0x00);
        Machine.SetBC(0x0001), Machine.SetDE(0x9800), Machine.SetHL(0x9900);
        Poke(CodeAt, {uint8_t(second), 0x00, 0x00});
        Machine.pc = CodeAt;
        Snapshot start = Capture();
        ExecuteMain(0xED);
        Snapshot plain = Capture();
        Restore(start);
        Machine.indexPrefix = Prefix() == 0xDD ? 1 : 2;
        (Prefix() == 0xDD ? ExecuteIX : ExecuteIY)(0xED);
        EXPECT_EQ(Machine.indexPrefix, 0);
        EXPECT_EQ(RegisterDiff(Machine, plain.regs), "") << std::hex << second;
        EXPECT_EQ(Machine.HL(), plain.regs.HL());
        EXPECT_EQ(Machine.ix, plain.regs.ix);
        EXPECT_EQ(Machine.r, plain.regs.r);
    }
}

TEST_P(IndexSet, CbUnderAPrefixClearsThePrefix) {
    Index() = 0x9000;
    Machine.indexPrefix = Prefix() == 0xDD ? 1 : 2;
    LoadCode(CodeAt, {0x00, 0xC6});
    (Prefix() == 0xDD ? ExecuteIX : ExecuteIY)(0xCB);
    EXPECT_EQ(Machine.indexPrefix, 0);
}

INSTANTIATE_TEST_SUITE_P(DdAndFd, IndexSet, ::testing::Values(uint8_t(0xDD), uint8_t(0xFD)),
                         [](const auto& info) { return info.param == 0xDD ? "IX" : "IY"; });

TEST(IndexPrefixes, TheLastPrefixDecidesAndEachCostsFourAndOneR) {
    CleanMachine();
    Machine.ix = 0x1111;
    LoadCode(CodeAt, {0xDD, 0xFD, 0x21, 0x00, 0x40});
    EXPECT_EQ(Step(), 18u);
    EXPECT_EQ(Machine.ix, 0x1111);
    EXPECT_EQ(Machine.iy, 0x4000);
    EXPECT_EQ(Machine.r, 3);
    EXPECT_EQ(Machine.pc, CodeAt + 5);
    LoadCode(CodeAt, {0xFD, 0xDD, 0xDD, 0x21, 0x34, 0x12});
    EXPECT_EQ(Step(), 22u);
    EXPECT_EQ(Machine.ix, 0x1234);
    EXPECT_EQ(Machine.iy, 0x4000);
    EXPECT_EQ(Machine.indexPrefix, 0);
}

TEST(IndexPrefixes, PrefixedNopCountsRTwiceAndKeepsBit7) {
    CleanMachine();
    Machine.r = 0xFE;
    LoadCode(CodeAt, {0xDD, 0x00});
    EXPECT_EQ(Step(), 8u);
    EXPECT_EQ(Machine.r, 0x80); // the low seven bits wrapped, bit 7 kept
    Machine.r = 0x7F;
    LoadCode(CodeAt, {0xFD, 0x00});
    Step();
    EXPECT_EQ(Machine.r, 0x01);
}

} // namespace
