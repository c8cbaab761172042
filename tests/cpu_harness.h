// Small helpers for instruction tests: a clean machine, code placed in RAM, one instruction run.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "core/machine.h"
#include "peripherals/ports.h"

// Zeroed memory and registers, R = 0, empty frame logs.
inline void CleanMachine() {
    AllocateMemory();
    std::memset(Machine.memory, 0, 65536);
    ResetMachine();
    Machine.r = 0;
    Machine.opcode = 0;
    BeeperLog.count = 0;
    BorderLog.nextBand = 0;
}

// The registers an instruction may change besides PC and R, for "everything else unchanged".
struct Registers {
    uint16_t af, bc, de, hl, afAlt, bcAlt, deAlt, hlAlt, ix, iy, sp;
    uint8_t i, interruptState;
    bool operator==(const Registers&) const = default;
};
inline Registers CaptureRegisters() {
    const MachineRecord& m = Machine;
    return {m.AF(),    m.BC(), m.DE(), m.HL(), m.AFAlt(), m.BCAlt(),       m.DEAlt(),
            m.HLAlt(), m.ix,   m.iy,   m.sp,   m.i,       m.interruptState};
}

inline void Poke(uint16_t addr, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) Machine.memory[addr++] = b;
}

// Places code at addr and points PC there.
inline void LoadCode(uint16_t addr, std::initializer_list<uint8_t> bytes) {
    Poke(addr, bytes);
    Machine.pc = addr;
}

// Runs exactly one complete instruction (a prefixed one included) through FrameLoop and
// returns the T-states it took. IFF1 is cleared so that no interrupt follows it.
inline uint32_t Step() {
    Machine.interruptState &= ModeBits;
    Machine.tstates = FrameTStates;
    FrameLoop();
    return Machine.tstates;
}
