// The part of the processor state every instruction touches, held in a local record while an
// instruction set runs so that the compiler can keep it in host registers. A byte store into
// the address space may alias any global, so state read through Machine would be reloaded after
// every memory write; a local whose address never leaves the function is not.
//
// Machine holds the true values only after StoreHot: before anything outside the instruction
// sets runs (the port handlers, the tape trap, the interrupt, the frame's end) and before an
// instruction set that works on Machine directly; LoadHot takes them back afterwards.
#pragma once
#include <cstdint>

#include "core/cycle_tables.h"
#include "core/machine.h"

struct HotState {
    uint8_t* memory;
    uint32_t tstates;
    uint32_t r; // counts on from Machine.r; only its low seven bits are R's
    uint16_t pc;
    uint8_t opcode; // last opcode byte fetched
};

CORE_INLINE HotState LoadHot() {
    return HotState{Machine.memory, Machine.tstates, Machine.r, Machine.pc, Machine.opcode};
}
CORE_INLINE void StoreHot(const HotState& hot) {
    Machine.tstates = hot.tstates;
    Machine.pc = hot.pc;
    Machine.r = uint8_t((Machine.r & 0x80) | (hot.r & 0x7F)); // only LD R,A loads bit 7
    Machine.opcode = hot.opcode;
}

// ---- Memory access as instructions see it ----------------------------------------------------

CORE_INLINE uint8_t ReadByte(const HotState& hot, uint16_t addr) { return hot.memory[addr]; }
CORE_INLINE uint16_t ReadWord(const HotState& hot, uint16_t addr) {
    return uint16_t(hot.memory[addr] | hot.memory[uint16_t(addr + 1)] << 8);
}
// The ROM area ignores writes.
CORE_INLINE void WriteByte(HotState& hot, uint16_t addr, uint8_t v) {
    if (addr >= RomSize) hot.memory[addr] = v;
}
CORE_INLINE void WriteWord(HotState& hot, uint16_t addr, uint16_t v) {
    WriteByte(hot, addr, uint8_t(v));
    WriteByte(hot, uint16_t(addr + 1), uint8_t(v >> 8));
}
// Operand bytes at PC.
CORE_INLINE uint8_t FetchByte(HotState& hot) { return hot.memory[hot.pc++]; }
CORE_INLINE uint16_t FetchWord(HotState& hot) {
    uint16_t v = ReadWord(hot, hot.pc);
    hot.pc += 2;
    return v;
}
// An opcode fetch: counts R and charges the opcode's unprefixed time.
CORE_INLINE uint8_t FetchOpcode(HotState& hot) {
    uint8_t op = hot.memory[hot.pc++];
    ++hot.r;
    hot.tstates += MainCycles[op];
    hot.opcode = op;
    return op;
}
// High byte first at SP-1, then low byte at SP-2.
CORE_INLINE void Push(HotState& hot, uint16_t v) {
    uint16_t sp = Machine.sp;
    WriteByte(hot, --sp, uint8_t(v >> 8));
    WriteByte(hot, --sp, uint8_t(v));
    Machine.sp = sp;
}
CORE_INLINE uint16_t Pop(HotState& hot) {
    uint16_t v = ReadWord(hot, Machine.sp);
    Machine.sp += 2;
    return v;
}

// HALT idles in 4 T-state steps without fetching: the step that crosses the frame end is the
// first at which anything can happen. A count already past the end takes one step.
CORE_INLINE uint32_t IdleThroughFrameEnd(uint32_t t, uint32_t frameEnd) {
    return t > frameEnd ? t + 4 : t + 4 * ((frameEnd - t) / 4 + 1);
}
