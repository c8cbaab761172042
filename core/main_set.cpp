#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// FrameLoop inlines the same body; this entry point serves any other caller.
void ExecuteMain(uint8_t opcode) { ExecuteOpcode<0>(opcode); }
