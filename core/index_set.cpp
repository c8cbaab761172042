#include "core/instruction_sets.h"
#include "core/machine.h"
void ExecuteIX(uint8_t) { Machine.indexPrefix = 0; }
void ExecuteIY(uint8_t) { Machine.indexPrefix = 0; }
