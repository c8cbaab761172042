// T-states of the unprefixed and index-prefixed opcodes as the Z80 manual gives them, stated by
// instruction group from the x/y/z/p/q fields of the opcode (x = bits 7-6, y = 5-3, z = 2-0,
// p = bits 5-4, q = bit 3), so that the tests check the cycle table rather than copy it.
#pragma once
#include <cstdint>

#include "core/machine.h"

// Whether a conditional opcode branches with flags f and B (before DJNZ decrements it).
inline bool BranchTaken(uint8_t op, uint8_t f, uint8_t b) {
    unsigned x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    int cc = -1;
    if (x == 0 && z == 0 && y == 2) return b != 1;
    if (x == 0 && z == 0 && y >= 4) cc = int(y) - 4;
    if (x == 3 && (z == 0 || z == 2 || z == 4)) cc = int(y);
    if (cc < 0) return false;
    const uint8_t flag[4] = {FlagZ, FlagC, FlagPV, FlagS};
    bool set = f & flag[cc >> 1];
    return (cc & 1) ? set : !set;
}

// Unprefixed opcode; 0 for CB and ED, whose sets charge their own time.
inline unsigned ManualTStates(uint8_t op, bool taken) {
    unsigned x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 1) return op == 0x76 ? 4 : (y == 6 || z == 6) ? 7 : 4; // HALT, LD r,r'
    if (x == 2) return z == 6 ? 7 : 4;                              // ALU A,r
    if (x == 0) {
        switch (z) {
        case 0:
            if (y <= 1) return 4;                    // NOP, EX AF,AF'
            if (y == 2) return taken ? 13 : 8;       // DJNZ
            if (y == 3) return 12;                   // JR e
            return taken ? 12 : 7;                   // JR cc
        case 1: return q ? 11 : 10;                  // ADD HL,rr / LD rr,nn
        case 2: return p < 2 ? 7 : p == 2 ? 16 : 13; // (BC) (DE) / HL,(nn) / A,(nn)
        case 3: return 6;                            // INC rr, DEC rr
        case 4:
        case 5: return y == 6 ? 11 : 4; // INC/DEC r, (HL)
        case 6: return y == 6 ? 10 : 7; // LD r,n
        default: return 4;              // rotates, DAA, CPL, SCF, CCF
        }
    }
    switch (z) {
    case 0: return taken ? 11 : 5; // RET cc
    case 1:
        if (!q) return 10;                   // POP
        return p == 0 ? 10 : p == 3 ? 6 : 4; // RET, EXX, JP (HL), LD SP,HL
    case 2: return 10;                       // JP cc
    case 3: {
        const unsigned t[8] = {10, 0, 11, 11, 19, 4, 4, 4}; // JP CB OUT IN EX(SP) EX DE DI EI
        return t[y];
    }
    case 4: return taken ? 17 : 10; // CALL cc
    case 5:
        if (!q) return 11;                   // PUSH
        return p == 0 ? 17 : p == 2 ? 0 : 4; // CALL, DD, ED, FD
    case 6: return 7;                        // ALU A,n
    default: return 11;                      // RST
    }
}

// Whether the unprefixed opcode uses the memory operand (HL), which a prefix turns into (X+d).
inline bool UsesMemoryOperand(uint8_t op) {
    unsigned x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if (x == 1) return op != 0x76 && (y == 6 || z == 6);
    if (x == 2) return z == 6;
    return op == 0x34 || op == 0x35 || op == 0x36;
}

// Opcode after DD or FD, prefix included: the manual's 19 for loads and arithmetic on (X+d) and
// LD (X+d),n, 23 for INC and DEC (X+d); everything else is the unprefixed time plus the prefix.
inline unsigned ManualIndexedTStates(uint8_t op, bool taken) {
    if (UsesMemoryOperand(op)) return (op == 0x34 || op == 0x35) ? 23 : 19;
    return 4 + ManualTStates(op, taken);
}
