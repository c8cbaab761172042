// The machine as it is when switched on, before the first frame, and the choice of machine.
#pragma once
#include <string>

#include "peripherals/machine_model.h"

// Builds the render tables; allocates the 48K's 64 KB memory and fills the running machine's
// RAM with the power-on pattern; releases every key; starts the border and beeper logs, the EAR
// level (1) and the flash timer; looks for the game controller; puts the ROM in (LoadRom) and
// resets the processor, the paging and the sound chip's registers. Returns true when the ROM
// came from "spectrum.rom", false for a built-in one. The front end sets up the colour map and
// the sound output itself.
bool PowerOnMachine();
// Why `kind` cannot run, or "" when it can: its ROMs were missing at build time, or the system
// cannot provide its paged memory.
std::string MachineUnavailableReason(MachineKind kind);
// Makes `kind` the machine running and powers it on (PowerOnMachine); an open tape stays in.
// False, with the reason in `why` and the machine untouched, when it is unavailable.
bool SwitchMachine(MachineKind kind, std::string& why);
// The reset: the processor, the paging and the sound chip's registers as at power-on; the
// memory is kept.
void ResetHardware();
