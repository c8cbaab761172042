#include "core/cycle_tables.h"
#include "core/execute_opcode.h"
#include "core/hot_state.h"
#include "core/instruction_sets.h"
#include "core/machine.h"

// The frame's maskable interrupt, looked at once per frame. Accepting it costs no T-states.
static void AcceptInterrupt() {
    Machine.halted = 0;
    switch (Machine.InterruptMode()) {
    case 0:
    case 2: // IM 0 and IM 1 both restart at 0x0038 on this machine
        Push(Machine.pc);
        Machine.pc = 0x0038;
        break;
    case 3: // IM 2: vector at I * 256 + 0xFF
        Push(Machine.pc);
        Machine.pc = ReadWord(uint16_t(Machine.i << 8 | 0xFF));
        break;
    case 1: // the mode in which the interrupt only releases HALT
        return;
    }
    Machine.interruptState &= ModeBits;
}

void FrameLoop() {
    Machine.frameDone = 0;
    const uint32_t frameEnd = MachineFrameTStates; // a local, so that it stays in a register
    HotState hot = LoadHot();
    // A frame that starts halted idles through to its end; one that starts with a prefix pending
    // (left by ExecuteMain) completes that instruction first.
    bool started = false;
    if (Machine.halted) {
        hot.tstates = IdleThroughFrameEnd(hot.tstates, frameEnd);
        started = true;
    } else if (Machine.indexPrefix) {
        uint8_t prefix = Machine.indexPrefix == 1 ? 0xDD : 0xFD;
        Machine.indexPrefix = 0;
        RunOnMachine(hot, [prefix] { ExecutePrefixed(prefix); });
        started = true;
    }
    // A count of exactly the frame's length does not end it; the overshoot starts the next one.
    if (!started || hot.tstates <= frameEnd) {
        do {
            uint8_t op = FetchOpcode(hot);
            ExecuteOpcode<0>(hot, op);
        } while (hot.tstates <= frameEnd);
    }
    hot.tstates -= frameEnd;
    StoreHot(hot);
    Machine.frameDone = 1;
    if (Machine.Iff1()) AcceptInterrupt();
}
