#include <gtest/gtest.h>

#include "core/machine.h"
#include "cpu_harness.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;

class FrameLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CleanMachine(); // memory of zeros: NOPs everywhere
        Machine.pc = CodeAt;
        Machine.sp = 0xA000;
    }
    uint16_t StackWord() const { return ReadWord(Machine.sp); }
};

TEST_F(FrameLoopTest, AFrameEndsOnlyAfterTheCountPasses69888) {
    Machine.tstates = FrameTStates - 4; // the first NOP ends at exactly 69888 and the frame goes on
    FrameLoop();
    EXPECT_EQ(Machine.pc, CodeAt + 2);
    EXPECT_EQ(Machine.tstates, 4u);
    EXPECT_EQ(Machine.r, 2);
}

TEST_F(FrameLoopTest, TheOvershootStartsTheNextFrame) {
    LoadCode(CodeAt, {0xCD, 0x00, 0x90}); // CALL, 17 T-states
    Machine.sp = 0xFFF0;                  // the return address stays out of the NOPs' way
    Machine.tstates = FrameTStates - 3;
    FrameLoop();
    EXPECT_EQ(Machine.pc, 0x9000);
    EXPECT_EQ(Machine.tstates, 14u);
    // A whole frame of NOPs from there: (69888 - 14) / 4 + 1 instructions.
    FrameLoop();
    EXPECT_EQ(Machine.pc, 0x9000 + (FrameTStates - 14) / 4 + 1);
    EXPECT_EQ(Machine.tstates, 2u);
}

TEST_F(FrameLoopTest, HaltWithInterruptsOffIdlesForWholeFrames) {
    LoadCode(CodeAt, {0x76});
    Machine.r = 0x85;
    Machine.tstates = 2;
    for (int frame = 0; frame < 3; ++frame) {
        FrameLoop();
        EXPECT_EQ(Machine.halted, 1);
        EXPECT_EQ(Machine.pc, CodeAt + 1);
        EXPECT_EQ(Machine.r, 0x86);     // counted for the HALT only
        EXPECT_EQ(Machine.tstates, 2u); // the 4 T-state idle steps keep the phase
    }
}

TEST_F(FrameLoopTest, InterruptModeCodesRespondAsWired) {
    struct Expect {
        uint8_t mode;
        bool pushes;
        uint16_t pc;
    };
    Machine.i = 0x90;
    const Expect cases[] = {
        {0, true, 0x0038}, {1, false, CodeAt + 1}, {2, true, 0x0038}, {3, true, 0xBEEF}};
    for (const Expect& k : cases) {
        SetUp();
        Machine.i = 0x90;
        Poke(0x90FF, {0xEF, 0xBE});
        LoadCode(CodeAt, {0x76});
        Machine.interruptState = uint8_t(Iff1Bit | k.mode);
        Machine.tstates = FrameTStates - 1;
        FrameLoop();
        EXPECT_EQ(Machine.halted, 0) << int(k.mode);
        EXPECT_EQ(Machine.pc, k.pc) << int(k.mode);
        EXPECT_EQ(Machine.sp, k.pushes ? 0x9FFE : 0xA000) << int(k.mode);
        if (k.pushes) { EXPECT_EQ(StackWord(), CodeAt + 1) << int(k.mode); }
        EXPECT_EQ(Machine.Iff1(), !k.pushes) << int(k.mode);
        EXPECT_EQ(Machine.InterruptMode(), k.mode);
        EXPECT_EQ(Machine.tstates, 3u) << "accepting an interrupt is free";
        EXPECT_EQ(Machine.r, 1) << "and does not count R";
    }
}

TEST_F(FrameLoopTest, VectoredInterruptReadsTheTableWordWrapping) {
    for (uint8_t i : {uint8_t(0x3B), uint8_t(0xFF)}) {
        SetUp();
        uint16_t at = uint16_t(i << 8 | 0xFF);
        Machine.memory[at] = 0x34;
        Machine.memory[uint16_t(at + 1)] = 0x12;
        Machine.i = i;
        Machine.interruptState = Iff1Bit | 3;
        Machine.tstates = FrameTStates;
        FrameLoop();
        EXPECT_EQ(Machine.pc, 0x1234) << int(i);
    }
}

TEST_F(FrameLoopTest, InterruptPushObeysTheRomRule) {
    Machine.sp = 0x4001;
    Machine.memory[0x3FFF] = 0x77;
    Machine.pc = 0x8123;
    Machine.interruptState = Iff1Bit | 2;
    Machine.tstates = FrameTStates;
    FrameLoop();
    EXPECT_EQ(Machine.sp, 0x3FFF);
    EXPECT_EQ(Machine.memory[0x4000], 0x81);
    EXPECT_EQ(Machine.memory[0x3FFF], 0x77);
}

TEST_F(FrameLoopTest, APrefixIsNeverSeparatedFromItsInstruction) {
    LoadCode(CodeAt, {0xDD, 0x21, 0x34, 0x12});
    Machine.interruptState = Iff1Bit | 2;
    Machine.tstates = FrameTStates - 2; // the DD alone passes 69888
    FrameLoop();
    EXPECT_EQ(Machine.ix, 0x1234);
    EXPECT_EQ(Machine.tstates, 12u);
    EXPECT_EQ(StackWord(), CodeAt + 4); // the interrupt came after LD IX,nn
    EXPECT_EQ(Machine.pc, 0x0038);
    // A long run of prefixes is not split either.
    SetUp();
    for (int k = 0; k < 10; ++k) Machine.memory[CodeAt + k] = k % 2 ? 0xFD : 0xDD;
    Poke(CodeAt + 10, {0x23}); // INC IY
    Machine.tstates = FrameTStates - 1;
    FrameLoop();
    EXPECT_EQ(Machine.iy, 1);
    EXPECT_EQ(Machine.pc, CodeAt + 11);
    EXPECT_EQ(Machine.tstates, 10 * 4 + 6 - 1u);
}

TEST_F(FrameLoopTest, EiLetsTheInterruptInAtOnceAndARefusedOneIsLost) {
    LoadCode(CodeAt, {0xFB});
    Machine.interruptState = 2;
    Machine.tstates = FrameTStates;
    FrameLoop();
    EXPECT_EQ(Machine.pc, 0x0038);
    // With IFF1 clear the frame's interrupt is dropped, not kept for later.
    SetUp();
    Machine.tstates = FrameTStates;
    FrameLoop();
    EXPECT_EQ(Machine.pc, CodeAt + 1);
    Machine.interruptState = Iff1Bit | 2;
    Machine.tstates = 0;
    LoadCode(CodeAt, {0x18, 0xFE}); // JR $ for a whole frame
    Machine.tstates = FrameTStates - 10;
    FrameLoop();
    EXPECT_EQ(Machine.pc, 0x0038);
    EXPECT_EQ(StackWord(), CodeAt);
}

// R counts every opcode fetch of a whole frame in its low seven bits, which wrap many times;
// bit 7 stays as it was loaded, whether set or clear.
TEST_F(FrameLoopTest, RCountsAWholeFrameOfFetchesAndKeepsBit7) {
    for (uint8_t r : {uint8_t(0xF0), uint8_t(0x70)}) {
        SetUp();
        Machine.r = r;
        Machine.tstates = 0;
        FrameLoop();
        unsigned fetches = Machine.pc - CodeAt; // one NOP per byte
        EXPECT_EQ(fetches, FrameTStates / 4 + 1);
        EXPECT_EQ(Machine.r, uint8_t((r & 0x80) | ((r + fetches) & 0x7F))) << int(r);
    }
}

// A prefix left pending by a caller outside the loop is completed before anything else, and
// nothing separates it from its instruction.
TEST_F(FrameLoopTest, APendingPrefixIsCompletedFirst) {
    LoadCode(CodeAt, {0x21, 0x34, 0x12}); // LD IX,nn without its DD
    Machine.SetHL(0x5555);
    Machine.indexPrefix = 1;
    Machine.interruptState = Iff1Bit | 2;
    Machine.tstates = FrameTStates - 1;
    FrameLoop();
    EXPECT_EQ(Machine.ix, 0x1234);
    EXPECT_EQ(Machine.HL(), 0x5555);
    EXPECT_EQ(Machine.indexPrefix, 0);
    EXPECT_EQ(Machine.r, 1);
    EXPECT_EQ(Machine.tstates, 9u);     // LD IX,nn's 10 past 69887
    EXPECT_EQ(StackWord(), CodeAt + 3); // the interrupt came after it
}

TEST(ResetMachineTest, ClearsRegistersButKeepsR) {
    CleanMachine();
    Machine.r = 0xC3, Machine.sp = 0x1234, Machine.ix = 5, Machine.halted = 1;
    Machine.interruptState = 0x83, Machine.indexPrefix = 2, Machine.tstates = 77;
    ResetMachine();
    EXPECT_EQ(Machine.r, 0xC3);
    EXPECT_EQ(Machine.sp, 0);
    EXPECT_EQ(Machine.ix, 0);
    EXPECT_EQ(Machine.halted, 0);
    EXPECT_EQ(Machine.interruptState, 0);
    EXPECT_EQ(Machine.indexPrefix, 0);
    EXPECT_EQ(Machine.tstates, 0u);
}

} // namespace
