#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

// One copy of each index set for the callers outside the frame loop, which has its own.
template <int X> [[gnu::noinline]] static void IndexSet(HotState& hot, uint8_t opcode) {
    ExecuteOpcode<X>(hot, opcode);
}

void ExecutePrefixed(uint8_t prefix) {
    HotState hot = LoadHot();
    uint8_t op = SkipPrefixes(hot, prefix);
    if (prefix == 0xDD)
        IndexSet<1>(hot, op);
    else
        IndexSet<2>(hot, op);
    StoreHot(hot);
}

// The prefixed instruction completes within the call, so the pending prefix is cleared first;
// a further DD or FD sets it again.
void ExecuteIX(uint8_t opcode) {
    Machine.indexPrefix = 0;
    HotState hot = LoadHot();
    IndexSet<1>(hot, opcode);
    StoreHot(hot);
}
void ExecuteIY(uint8_t opcode) {
    Machine.indexPrefix = 0;
    HotState hot = LoadHot();
    IndexSet<2>(hot, opcode);
    StoreHot(hot);
}
