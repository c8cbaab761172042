// The PC keyboard as the window sees it: key events in, the state that ScanKeyboard reads out.
#pragma once
#include <cstdint>

// A physical key went down or up (auto-repeats are not passed on). A key pressed and released
// between two reads of the state is still seen down by the next read.
void DesktopKeyDown(uint8_t vk, bool down);
// Everything up: the window lost the keyboard.
void DesktopReleaseAllKeys();

// Where a key event's physical key codes come from.
enum class NativeKeyCodes : uint8_t {
    X11,     // nativeScanCode is the X keycode (evdev code + 8): X11 and Wayland
    Windows, // nativeVirtualKey is the Windows virtual-key code
    None,    // no physical codes (offscreen, other systems): only the key's meaning is known
};

// The program's virtual-key code of a key event, 0 for a key the program does not use.
// `qtKey` (the event's key()) is consulted only when the physical codes say nothing.
uint8_t VirtualKeyOfKeyEvent(NativeKeyCodes codes, uint32_t scanCode, uint32_t virtualKey,
                             int qtKey);
