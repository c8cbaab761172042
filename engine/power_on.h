// The machine as it is when switched on, before the first frame.
#pragma once

// Builds the render tables; allocates the 64 KB memory and fills it with the power-on pattern;
// releases every key; starts the border and beeper logs, the sound chip, the EAR level (1) and
// the flash timer; looks for the game controller; puts the ROM in (LoadRom) and resets the processor. Returns
// true when the ROM came from "spectrum.rom", false for the built-in one. The front end sets up
// the colour map and the sound output itself.
bool PowerOnMachine();
