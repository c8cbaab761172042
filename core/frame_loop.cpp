#include "core/cycle_tables.h"
#include "core/execute_opcode.h"
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
    do {
        if (Machine.halted) {
            // HALT idles in 4 T-state steps without fetching; skip straight to the step
            // that crosses the frame end, which is where anything can next happen.
            uint32_t t = Machine.tstates;
            Machine.tstates = t > FrameTStates ? t + 4 : t + 4 * ((FrameTStates - t) / 4 + 1);
        } else {
            uint8_t op = FetchByte();
            Machine.opcode = op;
            CountR();
            Machine.tstates += MainCycles[op];
            switch (Machine.indexPrefix) {
            case 0: ExecuteOpcode<0>(op); break; // inlined: the hot path
            case 1: ExecuteIX(op); break;
            default: ExecuteIY(op); break;
            }
        }
        // A count of exactly 69888 does not end the frame; the overshoot starts the next one.
        // An interrupt never separates a DD or FD prefix from its instruction.
        if (Machine.tstates > FrameTStates && Machine.indexPrefix == 0) {
            Machine.tstates -= FrameTStates;
            Machine.frameDone = 1;
            if (Machine.Iff1()) AcceptInterrupt();
        }
    } while (!Machine.frameDone);
}
