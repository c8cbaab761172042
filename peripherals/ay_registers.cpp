#include "peripherals/ay_registers.h"

#include <cstring>

AyRegisterFile AyRegisters;

void SelectAyRegister(uint8_t value) { AyRegisters.selected = value; }

void WriteAyRegister(uint8_t value) {
    if (AyRegisters.selected < 16) AyRegisters.reg[AyRegisters.selected] = value;
}

uint8_t ReadAyRegister() {
    return AyRegisters.selected < 16 ? AyRegisters.reg[AyRegisters.selected] : 0xFF;
}

void ResetAyRegisters() { std::memset(&AyRegisters, 0, sizeof AyRegisters); }
