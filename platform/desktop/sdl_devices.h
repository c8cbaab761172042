// What the desktop program does with the SDL devices beyond the platform headers.
#pragma once
#include <cstdint>

// Closes the game controller and SDL's joystick subsystem, at exit. The next ControllerDetect
// starts them again.
void ControllerShutdown();
// Times the sound ran dry while playing since the program started.
uint32_t WaveUnderruns();
