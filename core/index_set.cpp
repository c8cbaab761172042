#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// The opcode after DD (IX) or FD (IY). The prefixed instruction completes within this call, so
// the pending prefix is cleared first; a further DD or FD sets it again.
void ExecuteIX(uint8_t opcode) {
    Machine.indexPrefix = 0;
    ExecuteOpcode<1>(opcode);
}
void ExecuteIY(uint8_t opcode) {
    Machine.indexPrefix = 0;
    ExecuteOpcode<2>(opcode);
}
