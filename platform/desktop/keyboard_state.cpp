#include <cstring>

#include "platform/desktop/desktop_keyboard.h"
#include "platform/keyboard_state.h"

static uint8_t Keys[VirtualKeyCount];

void ReadKeyboardState(uint8_t keys[VirtualKeyCount]) { std::memcpy(keys, Keys, sizeof Keys); }

void DesktopKeyDown(uint8_t vk, bool down) { Keys[vk] = down ? 0x80 : 0x00; }

void DesktopReleaseAllKeys() { std::memset(Keys, 0, sizeof Keys); }
