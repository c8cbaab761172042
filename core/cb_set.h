// CB xx and the indexed DD CB d xx / FD CB d xx: rotates, shifts, BIT, RES and SET.
// The second byte holds the group in bits 7-6 (0 rotate/shift, 1 BIT, 2 RES, 3 SET), the
// operation or bit number in bits 5-3 and the operand in bits 2-0 (6 is the memory byte).
// Expanded in the dispatch; PC, the time, R and memory are the caller's HotState.
#pragma once
#include <cstdint>

#include "core/alu.h"
#include "core/cycle_tables.h"
#include "core/hot_state.h"
#include "core/machine.h"

// The CB set's map, row by the high nibble of the byte after CB and column by its low one.
// After DD CB d or FD CB d the same byte works on (IX+d) or (IY+d) in every column; in a register
// column the result also goes to that register (RLC (IX+d),B), and BIT only tests the byte.
// clang-format off
inline constexpr const char* CbMap[256] = {
//  x0         x1         x2         x3         x4         x5         x6            x7         x8         x9         xA         xB         xC         xD         xE            xF
    "RLC B",   "RLC C",   "RLC D",   "RLC E",   "RLC H",   "RLC L",   "RLC (HL)",   "RLC A",   "RRC B",   "RRC C",   "RRC D",   "RRC E",   "RRC H",   "RRC L",   "RRC (HL)",   "RRC A", // 0x
    "RL B",    "RL C",    "RL D",    "RL E",    "RL H",    "RL L",    "RL (HL)",    "RL A",    "RR B",    "RR C",    "RR D",    "RR E",    "RR H",    "RR L",    "RR (HL)",    "RR A", // 1x
    "SLA B",   "SLA C",   "SLA D",   "SLA E",   "SLA H",   "SLA L",   "SLA (HL)",   "SLA A",   "SRA B",   "SRA C",   "SRA D",   "SRA E",   "SRA H",   "SRA L",   "SRA (HL)",   "SRA A", // 2x
    "SLL B",   "SLL C",   "SLL D",   "SLL E",   "SLL H",   "SLL L",   "SLL (HL)",   "SLL A",   "SRL B",   "SRL C",   "SRL D",   "SRL E",   "SRL H",   "SRL L",   "SRL (HL)",   "SRL A", // 3x
    "BIT 0,B", "BIT 0,C", "BIT 0,D", "BIT 0,E", "BIT 0,H", "BIT 0,L", "BIT 0,(HL)", "BIT 0,A", "BIT 1,B", "BIT 1,C", "BIT 1,D", "BIT 1,E", "BIT 1,H", "BIT 1,L", "BIT 1,(HL)", "BIT 1,A", // 4x
    "BIT 2,B", "BIT 2,C", "BIT 2,D", "BIT 2,E", "BIT 2,H", "BIT 2,L", "BIT 2,(HL)", "BIT 2,A", "BIT 3,B", "BIT 3,C", "BIT 3,D", "BIT 3,E", "BIT 3,H", "BIT 3,L", "BIT 3,(HL)", "BIT 3,A", // 5x
    "BIT 4,B", "BIT 4,C", "BIT 4,D", "BIT 4,E", "BIT 4,H", "BIT 4,L", "BIT 4,(HL)", "BIT 4,A", "BIT 5,B", "BIT 5,C", "BIT 5,D", "BIT 5,E", "BIT 5,H", "BIT 5,L", "BIT 5,(HL)", "BIT 5,A", // 6x
    "BIT 6,B", "BIT 6,C", "BIT 6,D", "BIT 6,E", "BIT 6,H", "BIT 6,L", "BIT 6,(HL)", "BIT 6,A", "BIT 7,B", "BIT 7,C", "BIT 7,D", "BIT 7,E", "BIT 7,H", "BIT 7,L", "BIT 7,(HL)", "BIT 7,A", // 7x
    "RES 0,B", "RES 0,C", "RES 0,D", "RES 0,E", "RES 0,H", "RES 0,L", "RES 0,(HL)", "RES 0,A", "RES 1,B", "RES 1,C", "RES 1,D", "RES 1,E", "RES 1,H", "RES 1,L", "RES 1,(HL)", "RES 1,A", // 8x
    "RES 2,B", "RES 2,C", "RES 2,D", "RES 2,E", "RES 2,H", "RES 2,L", "RES 2,(HL)", "RES 2,A", "RES 3,B", "RES 3,C", "RES 3,D", "RES 3,E", "RES 3,H", "RES 3,L", "RES 3,(HL)", "RES 3,A", // 9x
    "RES 4,B", "RES 4,C", "RES 4,D", "RES 4,E", "RES 4,H", "RES 4,L", "RES 4,(HL)", "RES 4,A", "RES 5,B", "RES 5,C", "RES 5,D", "RES 5,E", "RES 5,H", "RES 5,L", "RES 5,(HL)", "RES 5,A", // Ax
    "RES 6,B", "RES 6,C", "RES 6,D", "RES 6,E", "RES 6,H", "RES 6,L", "RES 6,(HL)", "RES 6,A", "RES 7,B", "RES 7,C", "RES 7,D", "RES 7,E", "RES 7,H", "RES 7,L", "RES 7,(HL)", "RES 7,A", // Bx
    "SET 0,B", "SET 0,C", "SET 0,D", "SET 0,E", "SET 0,H", "SET 0,L", "SET 0,(HL)", "SET 0,A", "SET 1,B", "SET 1,C", "SET 1,D", "SET 1,E", "SET 1,H", "SET 1,L", "SET 1,(HL)", "SET 1,A", // Cx
    "SET 2,B", "SET 2,C", "SET 2,D", "SET 2,E", "SET 2,H", "SET 2,L", "SET 2,(HL)", "SET 2,A", "SET 3,B", "SET 3,C", "SET 3,D", "SET 3,E", "SET 3,H", "SET 3,L", "SET 3,(HL)", "SET 3,A", // Dx
    "SET 4,B", "SET 4,C", "SET 4,D", "SET 4,E", "SET 4,H", "SET 4,L", "SET 4,(HL)", "SET 4,A", "SET 5,B", "SET 5,C", "SET 5,D", "SET 5,E", "SET 5,H", "SET 5,L", "SET 5,(HL)", "SET 5,A", // Ex
    "SET 6,B", "SET 6,C", "SET 6,D", "SET 6,E", "SET 6,H", "SET 6,L", "SET 6,(HL)", "SET 6,A", "SET 7,B", "SET 7,C", "SET 7,D", "SET 7,E", "SET 7,H", "SET 7,L", "SET 7,(HL)", "SET 7,A", // Fx
};
// clang-format on

// The eight rotates and shifts (bits 5-3 of the operation byte) on any operand; F is set from
// the result even when the caller's write is discarded by the ROM rule.
CORE_INLINE uint8_t RotateShift(unsigned operation, uint8_t v) {
    unsigned carryIn = Machine.f & FlagC;
    uint8_t r = 0, carryOut = 0;
    switch (operation & 7) {
    case 0: r = uint8_t(v << 1 | v >> 7), carryOut = v >> 7; break;      // RLC
    case 1: r = uint8_t(v >> 1 | v << 7), carryOut = v & 1; break;       // RRC
    case 2: r = uint8_t(v << 1 | carryIn), carryOut = v >> 7; break;     // RL
    case 3: r = uint8_t(v >> 1 | carryIn << 7), carryOut = v & 1; break; // RR
    case 4: r = uint8_t(v << 1), carryOut = v >> 7; break;               // SLA
    case 5: r = uint8_t(v >> 1 | (v & 0x80)), carryOut = v & 1; break;   // SRA
    case 6: r = uint8_t(v << 1 | 1), carryOut = v >> 7; break;           // SLL
    case 7: r = uint8_t(v >> 1), carryOut = v & 1; break;                // SRL
    }
    Machine.f = uint8_t(SzpTable[r] | carryOut);
    return r;
}

// BIT b: Z and P/V both report a clear bit; S only for bit 7 set; H set; C kept.
CORE_INLINE void BitTest(unsigned bit, uint8_t v) {
    uint8_t tested = uint8_t(v & (1u << bit));
    Machine.f =
        uint8_t((Machine.f & FlagC) | FlagH | (tested & FlagS) | (tested ? 0 : FlagZ | FlagPV));
}

// Groups 0, 2 and 3: the new value of the operand (RES and SET leave F alone).
CORE_INLINE uint8_t Modify(uint8_t op, uint8_t v) {
    unsigned field = (op >> 3) & 7;
    switch (op >> 6) {
    case 0: return RotateShift(field, v);
    case 2: return uint8_t(v & ~(1u << field));
    default: return uint8_t(v | (1u << field));
    }
}

CORE_INLINE bool IsBit(uint8_t op) { return (op >> 6) == 1; }

// Register operand by the 3-bit field (0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A; 6 is not a register).
CORE_INLINE uint8_t& Register(unsigned r) {
    switch (r) {
    case 0: return Machine.b;
    case 1: return Machine.c;
    case 2: return Machine.d;
    case 3: return Machine.e;
    case 4: return Machine.h;
    case 5: return Machine.l;
    default: return Machine.a;
    }
}

CORE_INLINE void ExecuteCB(HotState& hot) {
    uint8_t op = FetchByte(hot);
    hot.opcode = op;
    ++hot.r; // the second byte is an opcode fetch too
    hot.tstates += CbCycles[op];
    unsigned r = op & 7;
    if (r == 6) {
        uint16_t hl = Machine.HL();
        uint8_t v = ReadByte(hot, hl);
        if (IsBit(op))
            BitTest((op >> 3) & 7, v);
        else
            WriteByte(hot, hl, Modify(op, v));
        return;
    }
    uint8_t& reg = Register(r);
    if (IsBit(op))
        BitTest((op >> 3) & 7, reg);
    else
        reg = Modify(op, reg);
}

// The displacement comes before the operation byte, and neither counts R. Every operation byte
// works on the byte at (X+d); a rotate, shift, RES or SET whose operand field names a register
// also leaves its result in that register (H and L are the real ones), even when the ROM rule
// discards the write. BIT tests the byte whatever the field.
CORE_INLINE void ExecuteIndexedCB(HotState& hot, uint16_t x) {
    int8_t d = int8_t(FetchByte(hot));
    uint8_t op = FetchByte(hot);
    hot.opcode = op;
    // With the prefix: 23 T-states for a change, 20 for BIT, in every operand column.
    hot.tstates += CbCycles[(op & 0xF8) | 6] + 4u;
    uint16_t addr = uint16_t(x + d);
    uint8_t v = ReadByte(hot, addr);
    if (IsBit(op)) {
        BitTest((op >> 3) & 7, v);
        return;
    }
    uint8_t r = Modify(op, v);
    WriteByte(hot, addr, r);
    if ((op & 7) != 6) Register(op & 7) = r;
}
