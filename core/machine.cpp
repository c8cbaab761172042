#include "core/machine.h"

#include <cstdlib>

MachineRecord Machine;
uint32_t MachineFrameTStates = FrameTStates;

void AllocateMemory() {
    if (!Machine.memory) Machine.memory = static_cast<uint8_t*>(std::calloc(65536, 1));
    if (!Machine.memory) std::abort(); // 64 KB at start-up; nothing can run without it
}

void ResetMachine() {
    Machine.SetAF(0), Machine.SetBC(0), Machine.SetDE(0), Machine.SetHL(0);
    Machine.SetAFAlt(0), Machine.SetBCAlt(0), Machine.SetDEAlt(0), Machine.SetHLAlt(0);
    Machine.ix = Machine.iy = Machine.sp = Machine.pc = 0;
    Machine.i = 0;
    Machine.interruptState = 0;
    Machine.halted = 0;
    Machine.tstates = 0;
    Machine.indexPrefix = 0;
}
