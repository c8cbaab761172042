#include "core/instruction_sets.h"
void ExecuteMain(uint8_t) {}
