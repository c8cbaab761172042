#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// Each prefix is an opcode fetch of 4 T-states; the instruction completes within this call.
void ExecutePrefixed(uint8_t prefix) {
    HotState hot = LoadHot();
    uint8_t op = FetchOpcode(hot);
    while (op == 0xDD || op == 0xFD) prefix = op, op = FetchOpcode(hot);
    if (prefix == 0xDD)
        ExecuteOpcode<1>(hot, op);
    else
        ExecuteOpcode<2>(hot, op);
    StoreHot(hot);
}
