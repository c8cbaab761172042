#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// A DD or FD is left pending as Machine.indexPrefix.
void ExecuteMain(uint8_t opcode) {
    HotState hot = LoadHot();
    ExecuteOpcode<0, false>(hot, opcode);
    StoreHot(hot);
}
