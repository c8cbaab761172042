#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// One opcode already fetched and charged, with the prefix left pending as Machine.indexPrefix.
template <int X> static void ExecuteOne(uint8_t opcode) {
    if (opcode == 0xDD || opcode == 0xFD) {
        Machine.indexPrefix = opcode == 0xDD ? 1 : 2;
        return;
    }
    HotState hot = LoadHot();
    ExecuteOpcode<X>(hot, opcode);
    StoreHot(hot);
}

void ExecuteMain(uint8_t opcode) { ExecuteOne<0>(opcode); }
// The prefixed instruction completes within the call, so the pending prefix is cleared first;
// a further DD or FD sets it again.
void ExecuteIX(uint8_t opcode) {
    Machine.indexPrefix = 0;
    ExecuteOne<1>(opcode);
}
void ExecuteIY(uint8_t opcode) {
    Machine.indexPrefix = 0;
    ExecuteOne<2>(opcode);
}
