#include <cstring>

#include "platform/desktop/desktop_keyboard.h"
#include "platform/keyboard_state.h"

namespace {
// Physical keys held per virtual key: the two Shift keys are both VkShift, and one of them
// going up leaves Shift held while the other is down.
uint8_t HeldCount[VirtualKeyCount];
// Pressed since the last read, so a tap shorter than a frame is not lost.
uint8_t PressedSinceRead[VirtualKeyCount];
} // namespace

void DesktopKeyDown(uint8_t vk, bool down) {
    if (down) {
        if (HeldCount[vk] < 255) ++HeldCount[vk];
        PressedSinceRead[vk] = 1;
    } else if (HeldCount[vk] > 0) {
        --HeldCount[vk];
    }
}

void DesktopReleaseAllKeys() {
    std::memset(HeldCount, 0, sizeof HeldCount);
    std::memset(PressedSinceRead, 0, sizeof PressedSinceRead);
}

void ReadKeyboardState(uint8_t keys[VirtualKeyCount]) {
    for (int vk = 0; vk < VirtualKeyCount; ++vk)
        keys[vk] = (HeldCount[vk] || PressedSinceRead[vk]) ? 0x80 : 0;
    std::memset(PressedSinceRead, 0, sizeof PressedSinceRead);
}
