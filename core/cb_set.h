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
