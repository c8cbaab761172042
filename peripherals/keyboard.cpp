#include "peripherals/keyboard.h"

#include <cstring>

#include "peripherals/input_state.h"
#include "peripherals/settings.h"
#include "platform/keyboard_state.h"

// Row and mask of each PC key, in the order the rows are wired: a key's mask is its half-row byte
// with the key's bit cleared, bit 0 being the key at the outer end of the half-row.
const KeyMapEntry KeyMap[KeyMapSize] = {
    {'1', 3, 0xFE},     {'2', 3, 0xFD}, {'3', 3, 0xFB}, {'4', 3, 0xF7},       {'5', 3, 0xEF},
    {'6', 4, 0xEF},     {'7', 4, 0xF7}, {'8', 4, 0xFB}, {'9', 4, 0xFD},       {'0', 4, 0xFE},
    {'Q', 2, 0xFE},     {'W', 2, 0xFD}, {'E', 2, 0xFB}, {'R', 2, 0xF7},       {'T', 2, 0xEF},
    {'Y', 5, 0xEF},     {'U', 5, 0xF7}, {'I', 5, 0xFB}, {'O', 5, 0xFD},       {'P', 5, 0xFE},
    {'A', 1, 0xFE},     {'S', 1, 0xFD}, {'D', 1, 0xFB}, {'F', 1, 0xF7},       {'G', 1, 0xEF},
    {'H', 6, 0xEF},     {'J', 6, 0xF7}, {'K', 6, 0xFB}, {'L', 6, 0xFD},       {VkEnter, 6, 0xFE},
    {VkShift, 0, 0xFE}, {'Z', 0, 0xFD}, {'X', 0, 0xFB}, {'C', 0, 0xF7},       {'V', 0, 0xEF},
    {'B', 7, 0xEF},     {'N', 7, 0xF7}, {'M', 7, 0xFB}, {VkControl, 7, 0xFD}, {VkSpace, 7, 0xFE},
};

static bool Down(const uint8_t* keys, uint8_t vk) { return keys[vk] & 0x80; }

void ScanKeyboard() {
    uint8_t keys[VirtualKeyCount];
    ReadKeyboardState(keys);
    if (Down(keys, VkAlt)) return;

    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
    for (const KeyMapEntry& e : KeyMap)
        if (Down(keys, e.vk)) KeyMatrix[e.row] &= e.mask;
    if (Down(keys, VkBackspace)) { // DELETE is CAPS SHIFT + 0
        KeyMatrix[0] &= 0xFE;
        KeyMatrix[4] &= 0xFE;
    }

    uint8_t j = 0;
    if (Down(keys, VkLeft)) j |= JoyLeft;
    if (Down(keys, VkRight)) j |= JoyRight;
    if (Down(keys, VkUp)) j |= JoyUp;
    if (Down(keys, VkDown)) j |= JoyDown;
    if (Down(keys, VkTab)) j |= JoyFire;
    KeyJoyBits = j;

    // The Cursor joystick is wired to keys 5 (left), 8 (right), 7 (up), 6 (down) and 0 (fire).
    uint8_t cursor = Settings.keybJoystick == 1 ? KeyJoyBits : 0;
    if (Settings.pcJoystick == 1) cursor |= PcJoyBits;
    if (cursor & JoyLeft) KeyMatrix[3] &= 0xEF;
    if (cursor & JoyRight) KeyMatrix[4] &= 0xFB;
    if (cursor & JoyUp) KeyMatrix[4] &= 0xF7;
    if (cursor & JoyDown) KeyMatrix[4] &= 0xEF;
    if (cursor & JoyFire) KeyMatrix[4] &= 0xFE;
}

int VirtualKeyOfSpectrumKey(const char* name) {
    if (!name) return -1;
    bool single = name[0] != '\0' && name[1] == '\0';
    if (single && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return name[0];
    if (std::strcmp(name, "ENTER") == 0) return VkEnter;
    if (std::strcmp(name, "SPACE") == 0) return VkSpace;
    if (std::strcmp(name, "CS") == 0) return VkShift;
    if (std::strcmp(name, "SS") == 0) return VkControl;
    return -1;
}
