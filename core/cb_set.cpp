#include "core/instruction_sets.h"
void ExecuteCB() {}
void ExecuteIndexedCB(uint16_t) {}
