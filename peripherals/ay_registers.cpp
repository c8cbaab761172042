#include "peripherals/ay_registers.h"

#include <cstring>

#include "core/machine.h"
#include "peripherals/ay_chip.h"

AyRegisterFile AyRegisters;

void SelectAyRegister(uint8_t value) { AyRegisters.selected = value; }

// The sound heard changes at the write's T-state.
void WriteAyRegister(uint8_t value) {
    if (AyRegisters.selected >= 16) return;
    AyRegisters.reg[AyRegisters.selected] = value;
    AyLogWrite(AyRegisters.selected, value, Machine.tstates);
}

// The bits a register does not hold read as 0.
uint8_t ReadAyRegister() {
    const uint8_t r = AyRegisters.selected;
    return r < 16 ? AyRegisters.reg[r] & AyRegisterMasks[r] : 0xFF;
}

void ResetAyRegisters() {
    std::memset(&AyRegisters, 0, sizeof AyRegisters);
    AyReset();
}
