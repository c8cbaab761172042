// The PC keyboard of the desktop program: the window's key events set it, ScanKeyboard reads it.
#pragma once
#include <cstdint>

void DesktopKeyDown(uint8_t vk, bool down);
void DesktopReleaseAllKeys();
