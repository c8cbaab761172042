// Reference models of the rotates and shifts of the CB sets, from whole-number arithmetic rather
// than the processor's own formulas.
#pragma once
#include <bit>
#include <cstdint>

#include "core/machine.h"

// What a rotate or shift should give, from whole-number arithmetic: RLC/RRC are 8-bit rotations,
// RL/RR rotate the 9-bit value carry:byte, the shifts multiply or divide by two.
struct ShiftResult {
    uint8_t value;
    bool carry;
};
inline ShiftResult ExpectedShift(unsigned operation, uint8_t v, bool carryIn) {
    unsigned nine = (carryIn ? 0x100u : 0u) | v;
    switch (operation) {
    case 0: return {std::rotl(v, 1), v >= 0x80};  // RLC
    case 1: return {std::rotr(v, 1), v % 2 == 1}; // RRC
    case 2: {                                     // RL: 9-bit rotation left
        unsigned r = ((nine << 1) | (nine >> 8)) & 0x1FF;
        return {uint8_t(r & 0xFF), r >= 0x100};
    }
    case 3: { // RR: 9-bit rotation right
        unsigned r = ((nine >> 1) | (nine << 8)) & 0x1FF;
        return {uint8_t(r & 0xFF), r >= 0x100};
    }
    case 4: return {uint8_t(v * 2 % 256), v >= 0x80}; // SLA
    case 5: {                                         // SRA: signed halving, rounding down
        int s = int8_t(v);
        int q = (s - (s & 1)) / 2;
        return {uint8_t(q), v % 2 == 1};
    }
    case 6: return {uint8_t((v * 2 + 1) % 256), v >= 0x80}; // SLL
    default: return {uint8_t(v / 2), v % 2 == 1};           // SRL
    }
}

// F after a rotate or shift of the CB sets, built bit by bit from the result.
inline uint8_t ExpectedShiftFlags(ShiftResult r) {
    uint8_t f = 0;
    if (r.value >= 0x80) f |= FlagS;
    if (r.value == 0) f |= FlagZ;
    if (std::popcount(r.value) % 2 == 0) f |= FlagPV;
    if (r.carry) f |= FlagC;
    return f;
}
