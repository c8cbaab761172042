// The program's own key codes: the PC's virtual-key codes. Letters and digits are their
// upper-case ASCII codes ('A' = 0x41, '0' = 0x30), so tables can write them as characters.
#pragma once
#include <cstdint>

enum : uint8_t {
    VkBackspace = 0x08,
    VkTab = 0x09,
    VkEnter = 0x0D,
    VkShift = 0x10,   // either Shift key
    VkControl = 0x11, // either Ctrl key
    VkAlt = 0x12,     // either Alt key
    VkPause = 0x13,
    VkEscape = 0x1B,
    VkSpace = 0x20,
    VkLeft = 0x25,
    VkUp = 0x26,
    VkRight = 0x27,
    VkDown = 0x28,
    VkF1 = 0x70, // F2 to F12 follow in order
    VkF12 = 0x7B,
};

constexpr int VirtualKeyCount = 256;
