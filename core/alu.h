// Flag-computing arithmetic shared by every instruction set. Bits 3 and 5 of F are never
// produced: each result below leaves them 0.
#pragma once
#include <array>
#include <cstdint>

#include "core/cycle_tables.h"
#include "core/machine.h"

constexpr std::array<uint8_t, 256> BuildSzTable(bool withParity) {
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[v] = uint8_t((v & FlagS) | (v == 0 ? FlagZ : 0) | (withParity ? ParityTable[v] : 0));
    return table;
}
inline constexpr std::array<uint8_t, 256> SzTable = BuildSzTable(false); // S and Z of a result
inline constexpr std::array<uint8_t, 256> SzpTable = BuildSzTable(true); // S, Z and parity

// ADD A,v and ADC A,v (carry 0 or 1).
CORE_INLINE void Add8(uint8_t v, unsigned carry) {
    unsigned a = Machine.a, w = a + v + carry;
    uint8_t r = uint8_t(w);
    Machine.f =
        uint8_t(SzTable[r] | ((a ^ v ^ r) & FlagH) | ((~(a ^ v) & (a ^ r) & 0x80) >> 5) | (w >> 8));
    Machine.a = r;
}
// Flags of A - v - carry; the result is returned, A is left alone (CP uses this directly).
CORE_INLINE uint8_t Sub8Flags(uint8_t v, unsigned carry) {
    unsigned a = Machine.a, w = a - v - carry;
    uint8_t r = uint8_t(w);
    Machine.f = uint8_t(SzTable[r] | ((a ^ v ^ r) & FlagH) | (((a ^ v) & (a ^ r) & 0x80) >> 5) |
                        FlagN | ((w >> 8) & FlagC));
    return r;
}
CORE_INLINE void Sub8(uint8_t v, unsigned carry) { Machine.a = Sub8Flags(v, carry); }
CORE_INLINE void And8(uint8_t v) {
    Machine.a &= v;
    Machine.f = SzpTable[Machine.a] | FlagH;
}
CORE_INLINE void Xor8(uint8_t v) {
    Machine.a ^= v;
    Machine.f = SzpTable[Machine.a];
}
CORE_INLINE void Or8(uint8_t v) {
    Machine.a |= v;
    Machine.f = SzpTable[Machine.a];
}
// The eight accumulator operations in encoding order (bits 5-3 of 80-BF and C6-FE).
CORE_INLINE void Alu8(unsigned op, uint8_t v) {
    switch (op & 7) {
    case 0: Add8(v, 0); break;
    case 1: Add8(v, Machine.f & FlagC); break;
    case 2: Sub8(v, 0); break;
    case 3: Sub8(v, Machine.f & FlagC); break;
    case 4: And8(v); break;
    case 5: Xor8(v); break;
    case 6: Or8(v); break;
    case 7: Sub8Flags(v, 0); break;
    }
}
// INC and DEC of a byte; C is kept.
CORE_INLINE uint8_t Inc8(uint8_t v) {
    uint8_t r = uint8_t(v + 1);
    Machine.f = uint8_t((Machine.f & FlagC) | SzTable[r] | ((r & 0x0F) == 0 ? FlagH : 0) |
                        (r == 0x80 ? FlagPV : 0));
    return r;
}
CORE_INLINE uint8_t Dec8(uint8_t v) {
    uint8_t r = uint8_t(v - 1);
    Machine.f = uint8_t((Machine.f & FlagC) | SzTable[r] | ((r & 0x0F) == 0x0F ? FlagH : 0) |
                        (r == 0x7F ? FlagPV : 0) | FlagN);
    return r;
}
// ADD HL,ss / ADD IX,ss: H from the carry out of bit 11, C out of bit 15; S, Z, P/V kept.
CORE_INLINE uint16_t Add16(uint16_t x, uint16_t v) {
    uint32_t sum = uint32_t(x) + v;
    Machine.f = uint8_t((Machine.f & (FlagS | FlagZ | FlagPV)) | (((x ^ v ^ sum) >> 8) & FlagH) |
                        (sum >> 16));
    return uint16_t(sum);
}

// ---- Accumulator rotates and flag operations: S, Z and P/V kept, H and N cleared ----------

constexpr uint8_t FlagsSzp = FlagS | FlagZ | FlagPV;

CORE_INLINE void Rlca() {
    uint8_t a = Machine.a;
    Machine.a = uint8_t(a << 1 | a >> 7);
    Machine.f = uint8_t((Machine.f & FlagsSzp) | a >> 7);
}
CORE_INLINE void Rrca() {
    uint8_t a = Machine.a;
    Machine.a = uint8_t(a >> 1 | a << 7);
    Machine.f = uint8_t((Machine.f & FlagsSzp) | (a & FlagC));
}
CORE_INLINE void Rla() {
    uint8_t a = Machine.a;
    Machine.a = uint8_t(a << 1 | (Machine.f & FlagC));
    Machine.f = uint8_t((Machine.f & FlagsSzp) | a >> 7);
}
CORE_INLINE void Rra() {
    uint8_t a = Machine.a;
    Machine.a = uint8_t(a >> 1 | (Machine.f & FlagC) << 7);
    Machine.f = uint8_t((Machine.f & FlagsSzp) | (a & FlagC));
}
// CPL is the one flag-writing instruction that keeps bits 3 and 5.
CORE_INLINE void Cpl() {
    Machine.a = uint8_t(~Machine.a);
    Machine.f |= FlagH | FlagN;
}
CORE_INLINE void Scf() { Machine.f = uint8_t((Machine.f & FlagsSzp) | FlagC); }
// H is cleared, not loaded with the old carry.
CORE_INLINE void Ccf() {
    Machine.f = uint8_t((Machine.f & FlagsSzp) | ((Machine.f & FlagC) ^ FlagC));
}

// Decimal adjust after an addition (N clear) or a subtraction (N set). The low digit is
// corrected by 6 when it overflowed (H) or is above 9; the high digit by 0x60 when the previous
// operation carried or A was above 0x99 on entry. H ends 0, N is kept. C is set exactly when the
// high digit is corrected, after a subtraction too: the processor reports the decimal carry out
// of A, not a borrow of the adjustment.
CORE_INLINE void Daa() {
    unsigned a = Machine.a, f = Machine.f;
    unsigned adjust =
        ((f & FlagH) || (a & 0x0F) > 9 ? 0x06 : 0) | ((f & FlagC) || a > 0x99 ? 0x60 : 0);
    Machine.a = uint8_t((f & FlagN) ? a - adjust : a + adjust);
    Machine.f = uint8_t(SzpTable[Machine.a] | (f & FlagN) | (adjust >> 6));
}
