// The PC keyboard as the Spectrum's keyboard matrix and the cursor keys as a joystick.
#pragma once
#include <cstdint>

// One entry of the key map: while the PC key is down, its row is ANDed with the mask.
struct KeyMapEntry {
    uint8_t vk;
    uint8_t row;
    uint8_t mask;
};

constexpr int KeyMapSize = 40;
extern const KeyMapEntry KeyMap[KeyMapSize];

// Rebuilds KeyMatrix and KeyJoyBits from the PC keyboard, once after every frame. While Alt is
// down both keep what the previous scan left.
void ScanKeyboard();

// The PC key that presses a Spectrum key named as on its keycap: "A".."Z", "0".."9", "ENTER",
// "SPACE", "CS" (CAPS SHIFT) or "SS" (SYMBOL SHIFT). -1 for any other name.
int VirtualKeyOfSpectrumKey(const char* name);
