#include "core/execute_opcode.h"
#include "core/instruction_sets.h"

void ExecutePrefixed(uint8_t prefix) {
    HotState hot = LoadHot();
    FollowPrefixes(hot, prefix);
    StoreHot(hot);
}
