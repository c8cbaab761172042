#include "core/instruction_sets.h"
void ExecuteED() {}
