// The PC keyboard as it is at this moment.
#pragma once
#include <cstdint>

#include "platform/virtual_keys.h"

// Fills keys[0..255], one byte per virtual-key code, bit 7 set while that key is held down.
void ReadKeyboardState(uint8_t keys[VirtualKeyCount]);
