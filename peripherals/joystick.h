// The PC game controller as a Kempston or Cursor joystick ("PC Joystick" 1 Cursor, 2 Kempston).
#pragma once
#include "platform/game_controller.h"

// The axis range found by the last detection.
extern ControllerRangeRecord JoystickRange;

// Looks for the controller: none sets "PC Joystick" to 0; one found while it is 0 makes it 2.
void DetectJoystick();
// Rebuilds PcJoyBits from the controller, once per frame before ScanKeyboard.
void PollJoystick();
