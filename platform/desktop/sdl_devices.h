// What the desktop program does with the SDL devices beyond the platform headers.
#pragma once

// Closes the game controller and SDL's joystick subsystem, at exit. The next ControllerDetect
// starts them again.
void ControllerShutdown();
