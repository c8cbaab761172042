// INI, IND, INIR, INDR, OUTI, OUTD, OTIR and OTDR against the processor's published behaviour,
// recomputed here from its rules: the byte moved, HL, B, the flags and the time of each
// iteration. Input comes from the keyboard port (0xFE), whose byte the rows chosen by the high
// address byte decide; output goes to the ULA, whose beeper log shows each byte's bit 4 and time.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>

#include "peripherals/input_state.h"
#include "peripherals/ports.h"
#include "tests/cpu_harness.h"

namespace {

constexpr uint16_t CodeAt = 0x8000;
constexpr uint8_t Ula = 0xFE;

struct BlockOp {
    uint8_t code; // the byte after ED
    bool input, up, repeats;
};
constexpr BlockOp InputOps[] = {
    {0xA2, true, true, false},
    {0xAA, true, false, false}, // INI, IND
    {0xB2, true, true, true},
    {0xBA, true, false, true}, // INIR, INDR
};
constexpr BlockOp OutputOps[] = {
    {0xA3, false, true, false},
    {0xAB, false, false, false}, // OUTI, OUTD
    {0xB3, false, true, true},
    {0xBB, false, false, true}, // OTIR, OTDR
};

// The keyboard port: every half-row whose address line (a bit of the high byte) is low pulls
// its zero bits down; EAR is held high.
uint8_t KeyboardByte(uint8_t high) {
    uint8_t v = 0xFF;
    for (int row = 0; row < 8; ++row)
        if (!(high & (1 << row))) v &= KeyMatrix[row];
    return v;
}

// One iteration as the processor's documentation describes it. B counts down; HL steps. With k
// the byte plus C + 1 (INI) or C - 1 (IND), or the byte plus L after the step (OUTI, OUTD): S and
// Z come from the new B, N is bit 7 of the byte, H and C are both k > 255, P/V is the parity of
// (k mod 8) XOR B. This program leaves bits 3 and 5 clear.
struct Iteration {
    uint8_t b;
    uint16_t hl;
    uint8_t f;
    bool again;    // the repeating form goes round: PC back on the ED, 21 T-states, not 16
    uint32_t time; // T-states of this iteration
};
Iteration Documented(const BlockOp& op, uint8_t b, uint16_t hl, uint8_t c, uint8_t byte) {
    Iteration it{};
    it.b = uint8_t((b + 255) % 256);
    it.hl = uint16_t(op.up ? hl + 1 : hl + 65535);
    unsigned k = op.input ? byte + (c + (op.up ? 1 : 255)) % 256 : byte + (it.hl & 0xFF);
    if (it.b >= 128) it.f |= FlagS;
    if (it.b == 0) it.f |= FlagZ;
    if (byte >= 128) it.f |= FlagN;
    if (k >= 256) it.f |= FlagH | FlagC;
    if (std::popcount(unsigned((k % 8) ^ it.b)) % 2 == 0) it.f |= FlagPV;
    it.again = op.repeats && it.b != 0;
    it.time = it.again ? 21 : 16;
    return it;
}

class BlockIo : public ::testing::Test {
  protected:
    void SetUp() override {
        CleanMachine();
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        EarLevel = 1;
        Machine.sp = 0xF000, Machine.SetDE(0x1234), Machine.a = 0x56, Machine.ix = 0x789A;
    }
    void TearDown() override {
        std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
        EarLevel = 1;
        BeeperLog.count = 0;
    }
    // Runs one iteration from the frame's end, with HL at `hl`, and checks it against `want`.
    void CheckIteration(const Iteration& want, uint16_t hl) {
        const Registers before = CaptureRegisters();
        uint32_t t = Step();
        EXPECT_EQ(t, want.time);
        EXPECT_EQ(Machine.b, want.b);
        EXPECT_EQ(Machine.HL(), want.hl);
        EXPECT_EQ(Machine.f, want.f);
        EXPECT_EQ(Machine.pc, want.again ? CodeAt : CodeAt + 2);
        // Nothing else moves: C, A, DE, the index registers, SP, the alternates.
        Registers after = CaptureRegisters();
        after.af = uint16_t((after.af & 0xFF00) | (before.af & 0xFF));
        after.bc = uint16_t((after.bc & 0x00FF) | (before.bc & 0xFF00));
        after.hl = hl;
        EXPECT_TRUE(after == before);
    }
};

} // namespace

// Every byte from every keyboard row, one iteration of each input instruction, over F's
// previous contents: the port is addressed with B before it counts down.
TEST_F(BlockIo, InputOfEveryByteFromTheKeyboardPort) {
    for (const BlockOp& op : InputOps)
        for (int row = 0; row < 8; ++row)
            for (unsigned byte = 0; byte < 256; ++byte) {
                SetUp();
                KeyMatrix[row] = uint8_t(byte);
                uint8_t b = uint8_t(~(1u << row));
                uint16_t hl = uint16_t(0x9000 + byte);
                LoadCode(CodeAt, {0xED, op.code});
                Machine.SetBC(uint16_t(b << 8 | Ula)), Machine.SetHL(hl);
                Machine.f = uint8_t(byte * 7); // whatever it was
                Iteration want = Documented(op, b, hl, Ula, uint8_t(byte));
                SCOPED_TRACE(testing::Message()
                             << std::hex << int(op.code) << " row " << row << " byte " << byte);
                CheckIteration(want, hl);
                EXPECT_EQ(Machine.memory[hl], byte);
            }
}

// Ports with nothing behind them read 0xFF; C enters the flags as C + 1 or C - 1 modulo 256,
// which tells C = 0xFF (INI) and C = 0x00 (IND) apart. B = 1 ends a repeat, B = 0 wraps to 255.
TEST_F(BlockIo, InputFlagsOverEveryPortAndCount) {
    for (const BlockOp& op : InputOps)
        for (unsigned c = 0; c < 256; ++c) {
            if (c == Ula || c == 0x1F) continue; // the keyboard and the joystick answer
            for (uint8_t b : {0x01, 0x00, 0x02, 0x80, 0x81, 0xFF}) {
                SetUp();
                LoadCode(CodeAt, {0xED, op.code});
                Machine.SetBC(uint16_t(b << 8 | c)), Machine.SetHL(0x0000);
                Iteration want = Documented(op, b, 0x0000, uint8_t(c), 0xFF);
                SCOPED_TRACE(testing::Message()
                             << std::hex << int(op.code) << " c " << c << " b " << int(b));
                CheckIteration(want, 0x0000);
                EXPECT_EQ(Machine.memory[0x0000], 0x00); // the ROM rule holds for the store
            }
        }
}

// Every byte to the ULA with L at and around its wrap, one iteration of each output instruction.
TEST_F(BlockIo, OutputOfEveryByteToTheUla) {
    for (const BlockOp& op : OutputOps)
        for (uint8_t l : {0x00, 0x01, 0x7F, 0xF8, 0xFE, 0xFF})
            for (uint8_t b : {0x01, 0x00, 0x02, 0x80})
                for (unsigned byte = 0; byte < 256; ++byte) {
                    SetUp();
                    uint16_t hl = uint16_t(0x9000 | l);
                    Machine.memory[hl] = uint8_t(byte);
                    LoadCode(CodeAt, {0xED, op.code});
                    Machine.SetBC(uint16_t(b << 8 | Ula)), Machine.SetHL(hl);
                    Iteration want = Documented(op, b, hl, Ula, uint8_t(byte));
                    SCOPED_TRACE(testing::Message() << std::hex << int(op.code) << " l " << int(l)
                                                    << " b " << int(b) << " " << byte);
                    CheckIteration(want, hl);
                    ASSERT_EQ(BeeperLog.count, 1);
                    EXPECT_EQ(BeeperLog.level[0], (byte >> 4) & 1);
                    EXPECT_EQ(BeeperLog.tstate[0], FrameTStates + 16); // before any repeat time
                    EXPECT_EQ(BorderLog.colour, byte & 7);
                    EXPECT_EQ(Machine.memory[hl], byte);
                }
}

// The repeating forms iteration by iteration, B = 1, 2, 3 and 0 (256 iterations): 21 T-states
// for each one that goes round and 16 for the last. Input reads rows that change as B counts.
TEST_F(BlockIo, RepeatsRunBTimesWithTheirTime) {
    const uint8_t rows[8] = {0xFE, 0xFD, 0xEB, 0xD7, 0xAF, 0x5F, 0xBE, 0x7D};
    for (const BlockOp* group : {InputOps, OutputOps})
        for (int k = 2; k < 4; ++k) {
            const BlockOp& op = group[k];
            for (uint8_t count : {1, 2, 3, 0}) {
                SetUp();
                std::memcpy(KeyMatrix, rows, sizeof rows);
                for (unsigned a = 0; a < 0x200; ++a) Machine.memory[0x9000 + a] = uint8_t(a * 37);
                LoadCode(CodeAt, {0xED, op.code});
                uint16_t hl = op.up ? 0x9000 : 0x91FF;
                Machine.SetBC(uint16_t(count << 8 | Ula)), Machine.SetHL(hl);
                const uint8_t* source = Machine.memory;
                unsigned iterations = 0, total = 0;
                Iteration want{};
                do {
                    SCOPED_TRACE(testing::Message() << std::hex << int(op.code) << " count "
                                                    << int(count) << " iteration " << iterations);
                    uint8_t byte = op.input ? KeyboardByte(Machine.b) : source[hl];
                    want = Documented(op, Machine.b, hl, Ula, byte);
                    CheckIteration(want, hl);
                    total += want.time;
                    if (op.input) {
                        EXPECT_EQ(Machine.memory[hl], byte);
                    } else {
                        ASSERT_EQ(BeeperLog.count, iterations + 1);
                        EXPECT_EQ(BeeperLog.level[iterations], (byte >> 4) & 1);
                    }
                    hl = want.hl;
                    ++iterations;
                } while (want.again && iterations < 300);
                EXPECT_EQ(iterations, count == 0 ? 256u : count);
                EXPECT_EQ(total, 21 * (iterations - 1) + 16);
            }
        }
}
