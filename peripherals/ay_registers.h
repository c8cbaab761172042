// The sound chip's sixteen registers as the 128K machines' ports reach them: 0xFFFD selects a
// register and reads it back, 0xBFFD writes the one selected.
#pragma once
#include <cstdint>

struct AyRegisterFile {
    uint8_t reg[16];
    uint8_t selected; // the value 0xFFFD was given last: 0-15 a register, 16 and up none
};
extern AyRegisterFile AyRegisters;

// The three port actions, each in one place. With no register selected a write goes nowhere
// and a read gives 0xFF, the bus left floating.
void SelectAyRegister(uint8_t value);
void WriteAyRegister(uint8_t value);
uint8_t ReadAyRegister();
// All registers and the selection to 0, as at power-on and reset.
void ResetAyRegisters();
