// What the keyboard and the joysticks hand to the ports for the next frame.
#pragma once
#include <cstdint>

// JoyBits: a joystick state byte, 1 meaning active.
enum : uint8_t {
    JoyLeft = 0x01,
    JoyRight = 0x02,
    JoyUp = 0x04,
    JoyDown = 0x08,
    JoyFire = 0x80,
};

// Eight keyboard half-rows, indexed by the address line (A8..A15) that selects them;
// a pressed key is a 0 in bits 0-4.
extern uint8_t KeyMatrix[8];
extern uint8_t KeyJoyBits; // from the cursor keys and Tab
extern uint8_t PcJoyBits;  // from the PC joystick
