// ED xx: 16-bit arithmetic with carry, 16-bit loads, NEG, RETN/RETI, IM, the I and R
// transfers, RRD/RLD, port access through C, block moves, compares, input and output, and the
// tape trap ED FF.
// Second bytes without a case here are two-byte no-ops.
#include "core/alu.h"
#include "core/cycle_tables.h"
#include "core/instruction_sets.h"
#include "core/io_bus.h"
#include "core/machine.h"

// The ED set's map, row by the high nibble of the byte after ED and column by its low one; "-" is
// a two-byte no-op. IM 0/1 is the mode in which the frame interrupt is not taken; TRAP is the
// tape loader's trap.
// clang-format off
const char* const EdMap[256] = {
//  x0          x1           x2           x3            x4     x5      x6      x7        x8          x9           xA           xB            xC     xD      xE        xF
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 0x
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 1x
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 2x
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 3x
    "IN B,(C)", "OUT (C),B", "SBC HL,BC", "LD (nn),BC", "NEG", "RETN", "IM 0", "LD I,A", "IN C,(C)", "OUT (C),C", "ADC HL,BC", "LD BC,(nn)", "NEG", "RETI", "IM 0/1", "LD R,A", // 4x
    "IN D,(C)", "OUT (C),D", "SBC HL,DE", "LD (nn),DE", "NEG", "RETN", "IM 1", "LD A,I", "IN E,(C)", "OUT (C),E", "ADC HL,DE", "LD DE,(nn)", "NEG", "RETN", "IM 2",   "LD A,R", // 5x
    "IN H,(C)", "OUT (C),H", "SBC HL,HL", "LD (nn),HL", "NEG", "RETN", "IM 0", "RRD",    "IN L,(C)", "OUT (C),L", "ADC HL,HL", "LD HL,(nn)", "NEG", "RETN", "IM 0/1", "RLD", // 6x
    "IN (C)",   "OUT (C),0", "SBC HL,SP", "LD (nn),SP", "NEG", "RETN", "IM 1", "-",      "IN A,(C)", "OUT (C),A", "ADC HL,SP", "LD SP,(nn)", "NEG", "RETN", "IM 2",   "-", // 7x
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 8x
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // 9x
    "LDI",      "CPI",       "INI",       "OUTI",       "-",   "-",    "-",    "-",      "LDD",      "CPD",       "IND",       "OUTD",       "-",   "-",    "-",      "-", // Ax
    "LDIR",     "CPIR",      "INIR",      "OTIR",       "-",   "-",    "-",    "-",      "LDDR",     "CPDR",      "INDR",      "OTDR",       "-",   "-",    "-",      "-", // Bx
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // Cx
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // Dx
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "-", // Ex
    "-",        "-",         "-",         "-",          "-",   "-",    "-",    "-",      "-",        "-",         "-",         "-",          "-",   "-",    "-",      "TRAP", // Fx
};
// clang-format on

// The trap covers LD C,A and CP A at 0x0569 in the ROM's tape loader, bytes that no jump of the
// loader's lands on; 0x05E2 is the RET that ends that routine.
constexpr uint16_t TrapReturnPc = 0x056B;
constexpr uint16_t LoaderExit = 0x05E2;

// Each iteration of a repeating block instruction that goes round again.
constexpr uint32_t RepeatTStates = 5;

// ADC HL,ss and SBC HL,ss, formed in 32 bits. H is the carry out of bit 11.
static void Adc16(uint16_t v) {
    uint32_t hl = Machine.HL(), w = hl + v + (Machine.f & FlagC);
    uint16_t r = uint16_t(w);
    Machine.SetHL(r);
    Machine.f = uint8_t(((r >> 8) & FlagS) | (r == 0 ? FlagZ : 0) | (((hl ^ v ^ w) >> 8) & FlagH) |
                        ((~(hl ^ v) & (hl ^ r) & 0x8000) >> 13) | (w >> 16));
}
static void Sbc16(uint16_t v) {
    uint32_t hl = Machine.HL(), w = hl - v - (Machine.f & FlagC);
    uint16_t r = uint16_t(w);
    Machine.SetHL(r);
    Machine.f = uint8_t(((r >> 8) & FlagS) | (r == 0 ? FlagZ : 0) | (((hl ^ v ^ w) >> 8) & FlagH) |
                        (((hl ^ v) & (hl ^ r) & 0x8000) >> 13) | FlagN | ((w >> 16) & FlagC));
}

// IN r,(C): B is the high byte of the port address. S, Z, parity from the byte; C kept.
static uint8_t InC() {
    uint8_t v = PortRead(Machine.c, Machine.b);
    Machine.f = uint8_t(SzpTable[v] | (Machine.f & FlagC));
    return v;
}

static void SetInterruptMode(uint8_t code) {
    Machine.interruptState = uint8_t((Machine.interruptState & Iff1Bit) | code);
}

// LD A,I and LD A,R: P/V reports IFF1 (this machine has no IFF2).
static void LoadAFlags() {
    Machine.f = uint8_t(SzTable[Machine.a] | (Machine.Iff1() ? FlagPV : 0) | (Machine.f & FlagC));
}

// One iteration of LDI/LDD; true while BC has not run out.
[[gnu::always_inline]] static inline bool BlockLoad(int step) {
    uint16_t hl = Machine.HL(), de = Machine.DE(), bc = uint16_t(Machine.BC() - 1);
    WriteByte(de, ReadByte(hl));
    Machine.SetHL(uint16_t(hl + step));
    Machine.SetDE(uint16_t(de + step));
    Machine.SetBC(bc);
    Machine.f = uint8_t((Machine.f & (FlagS | FlagZ | FlagC)) | (bc ? FlagPV : 0));
    return bc != 0;
}

// One iteration of CPI/CPD; true when the repeating form goes round again (no match, BC left).
[[gnu::always_inline]] static inline bool BlockCompare(int step) {
    uint16_t hl = Machine.HL(), bc = uint16_t(Machine.BC() - 1);
    unsigned a = Machine.a, v = ReadByte(hl);
    uint8_t r = uint8_t(a - v);
    Machine.SetHL(uint16_t(hl + step));
    Machine.SetBC(bc);
    Machine.f = uint8_t(SzTable[r] | ((a ^ v ^ r) & FlagH) | (bc ? FlagPV : 0) | FlagN |
                        (Machine.f & FlagC));
    return r != 0 && bc != 0;
}

// INI/IND and OUTI/OUTD set F from the decremented B (S, Z), bit 7 of the byte moved (N), and
// k, the byte plus C + 1 or C - 1 (input) or plus the stepped L (output): its carry out of 8 bits
// is both H and C, and the parity of (k AND 7) XOR B is P/V. Bits 3 and 5 are 0.
static uint8_t BlockIoFlags(uint8_t b, uint8_t byte, unsigned k) {
    return uint8_t(SzTable[b] | ((byte >> 6) & FlagN) | (k > 0xFF ? FlagH | FlagC : 0) |
                   ParityTable[(k & 7) ^ b]);
}

// One iteration of INI/IND; true while B has not run out. The port is read with B before its
// decrement as the high byte of the address.
[[gnu::always_inline]] static inline bool BlockIn(int step) {
    uint16_t hl = Machine.HL();
    uint8_t v = PortRead(Machine.c, Machine.b);
    WriteByte(hl, v);
    Machine.SetHL(uint16_t(hl + step));
    uint8_t b = --Machine.b;
    Machine.f = BlockIoFlags(b, v, v + uint8_t(Machine.c + step));
    return b != 0;
}

// One iteration of OUTI/OUTD; true while B has not run out. B counts down before the write.
[[gnu::always_inline]] static inline bool BlockOut(int step) {
    uint16_t hl = Machine.HL();
    uint8_t v = ReadByte(hl);
    uint8_t b = --Machine.b;
    PortWrite(Machine.BC(), v);
    Machine.SetHL(uint16_t(hl + step));
    Machine.f = BlockIoFlags(b, v, v + Machine.l);
    return b != 0;
}

// LDIR, INIR and the rest re-execute from the ED byte, so a frame can end between iterations.
[[gnu::always_inline]] static inline void Repeat() {
    Machine.pc = uint16_t(Machine.pc - 2);
    Machine.tstates += RepeatTStates;
}

// The re-execution after Repeat done here rather than through the frame loop: the same two
// opcode fetches, R counts and time. Only while the frame goes on, and only while the
// instruction's own bytes are unchanged (a block move can overwrite them).
[[gnu::always_inline]] static inline bool RefetchRepeated(uint8_t op) {
    const uint16_t pc = Machine.pc;
    if (Machine.tstates > MachineFrameTStates || Machine.memory[pc] != 0xED ||
        Machine.memory[uint16_t(pc + 1)] != op)
        return false;
    Machine.pc = uint16_t(pc + 2);
    CountR();
    CountR();
    Machine.tstates += MainCycles[0xED] + EdCycles[op];
    return true;
}

// A repeating block instruction: iterations while `iteration` says go round again.
template <typename Iteration>
[[gnu::always_inline]] static inline void RepeatBlock(uint8_t op, Iteration iteration) {
    while (iteration()) {
        Repeat();
        if (!RefetchRepeated(op)) break;
    }
}

// The ROM's loader has put the expected flag byte in A' and LOAD (carry set) or VERIFY (carry
// clear) in F'. The block is delivered in one go, then the routine's exit is taken with AF and AF'
// exchanged as the loader itself leaves them: Z and C both set on success, both clear on failure.
// A declined block is left to the ROM: the trap does what the two bytes it covers do, LD C,A
// then CP A, in the same 8 T-states, and the loader goes on with its own bytes at LD-BREAK.
static void TapeTrapInstruction() {
    if (Machine.pc != TrapReturnPc) return;
    const uint8_t result = TapeTrap(Machine.aAlt, Machine.ix, Machine.DE());
    if (result == TrapDeclined) {
        Machine.c = Machine.a;
        Alu8(7, Machine.a);
        return;
    }
    if (result == TrapLoaded)
        Machine.fAlt |= FlagZ | FlagC;
    else
        Machine.fAlt &= uint8_t(~(FlagZ | FlagC));
    uint16_t af = Machine.AF();
    Machine.SetAF(Machine.AFAlt());
    Machine.SetAFAlt(af);
    Machine.pc = LoaderExit;
}

void ExecuteED() {
    uint8_t op = FetchByte();
    CountR(); // the second byte is an opcode fetch too
    Machine.tstates += EdCycles[op];
    switch (op) {
    // IN r,(C); ED 70 only sets the flags.
    case 0x40: Machine.b = InC(); break;
    case 0x48: Machine.c = InC(); break;
    case 0x50: Machine.d = InC(); break;
    case 0x58: Machine.e = InC(); break;
    case 0x60: Machine.h = InC(); break;
    case 0x68: Machine.l = InC(); break;
    case 0x70: InC(); break;
    case 0x78: Machine.a = InC(); break;
    // OUT (C),r; ED 71 writes 0.
    case 0x41: PortWrite(Machine.BC(), Machine.b); break;
    case 0x49: PortWrite(Machine.BC(), Machine.c); break;
    case 0x51: PortWrite(Machine.BC(), Machine.d); break;
    case 0x59: PortWrite(Machine.BC(), Machine.e); break;
    case 0x61: PortWrite(Machine.BC(), Machine.h); break;
    case 0x69: PortWrite(Machine.BC(), Machine.l); break;
    case 0x71: PortWrite(Machine.BC(), 0); break;
    case 0x79: PortWrite(Machine.BC(), Machine.a); break;
    // SBC HL,ss and ADC HL,ss
    case 0x42: Sbc16(Machine.BC()); break;
    case 0x52: Sbc16(Machine.DE()); break;
    case 0x62: Sbc16(Machine.HL()); break;
    case 0x72: Sbc16(Machine.sp); break;
    case 0x4A: Adc16(Machine.BC()); break;
    case 0x5A: Adc16(Machine.DE()); break;
    case 0x6A: Adc16(Machine.HL()); break;
    case 0x7A: Adc16(Machine.sp); break;
    // LD (nn),ss and LD ss,(nn)
    case 0x43: WriteWord(FetchWord(), Machine.BC()); break;
    case 0x53: WriteWord(FetchWord(), Machine.DE()); break;
    case 0x63: WriteWord(FetchWord(), Machine.HL()); break;
    case 0x73: WriteWord(FetchWord(), Machine.sp); break;
    case 0x4B: Machine.SetBC(ReadWord(FetchWord())); break;
    case 0x5B: Machine.SetDE(ReadWord(FetchWord())); break;
    case 0x6B: Machine.SetHL(ReadWord(FetchWord())); break;
    case 0x7B: Machine.sp = ReadWord(FetchWord()); break;
    // NEG: the flags of 0 - A.
    case 0x44:
    case 0x4C:
    case 0x54:
    case 0x5C:
    case 0x64:
    case 0x6C:
    case 0x74:
    case 0x7C: {
        uint8_t v = Machine.a;
        Machine.a = 0;
        Sub8(v, 0);
        break;
    }
    // RETN and RETI: a plain return; IFF1 is not touched.
    case 0x45:
    case 0x4D:
    case 0x55:
    case 0x5D:
    case 0x65:
    case 0x6D:
    case 0x75:
    case 0x7D: Machine.pc = Pop(); break;
    // IM: mode codes 0 (IM 0), 1 (no interrupt taken), 2 (IM 1), 3 (IM 2).
    case 0x46:
    case 0x66: SetInterruptMode(0); break;
    case 0x4E:
    case 0x6E: SetInterruptMode(1); break;
    case 0x56:
    case 0x76: SetInterruptMode(2); break;
    case 0x5E:
    case 0x7E: SetInterruptMode(3); break;
    // I and R; LD R,A loads bit 7 too, and LD A,R sees R after both of its fetches.
    case 0x47: Machine.i = Machine.a; break;
    case 0x4F: Machine.r = Machine.a; break;
    case 0x57: Machine.a = Machine.i, LoadAFlags(); break;
    case 0x5F: Machine.a = Machine.r, LoadAFlags(); break;
    // RRD and RLD: nibbles rotate between the low half of A and the byte at HL.
    case 0x67:
    case 0x6F: {
        uint16_t hl = Machine.HL();
        uint8_t m = ReadByte(hl), a = Machine.a;
        if (op == 0x67) {
            WriteByte(hl, uint8_t((a & 0x0F) << 4 | m >> 4));
            Machine.a = uint8_t((a & 0xF0) | (m & 0x0F));
        } else {
            WriteByte(hl, uint8_t((m & 0x0F) << 4 | (a & 0x0F)));
            Machine.a = uint8_t((a & 0xF0) | m >> 4);
        }
        Machine.f = uint8_t(SzpTable[Machine.a] | (Machine.f & FlagC));
        break;
    }
    // Block moves, compares, input and output, one iteration per execution.
    case 0xA0: BlockLoad(+1); break;
    case 0xA8: BlockLoad(-1); break;
    case 0xB0: RepeatBlock(op, [] { return BlockLoad(+1); }); break;
    case 0xB8: RepeatBlock(op, [] { return BlockLoad(-1); }); break;
    case 0xA1: BlockCompare(+1); break;
    case 0xA9: BlockCompare(-1); break;
    case 0xB1: RepeatBlock(op, [] { return BlockCompare(+1); }); break;
    case 0xB9: RepeatBlock(op, [] { return BlockCompare(-1); }); break;
    case 0xA2: BlockIn(+1); break;
    case 0xAA: BlockIn(-1); break;
    case 0xB2: RepeatBlock(op, [] { return BlockIn(+1); }); break;
    case 0xBA: RepeatBlock(op, [] { return BlockIn(-1); }); break;
    case 0xA3: BlockOut(+1); break;
    case 0xAB: BlockOut(-1); break;
    case 0xB3: RepeatBlock(op, [] { return BlockOut(+1); }); break;
    case 0xBB: RepeatBlock(op, [] { return BlockOut(-1); }); break;
    case 0xFF: TapeTrapInstruction(); break;
    default: break; // not executed: only PC, R and the time move
    }
}
