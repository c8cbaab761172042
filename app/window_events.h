// What the main window does with the window system's events; the Qt window only translates.
#pragma once
#include <cstdint>

// The activation as it stands: `mainActive` when the main window is active, `programActive` when
// any window of this program is (the main window, a dialog, a help window). Frames run only in
// the first case; the title shows " [Paused]" only when another program has taken over.
void OnWindowActivation(bool mainActive, bool programActive);
// The window system wants the picture again: the whole frame is drawn anew.
void OnRepaintRequest();
// A physical key went down or up (auto-repeats already dropped). `alt` is Alt held with it.
void OnKey(uint8_t vk, bool down, bool alt);
// The window lost the keyboard: every key is released, none stays stuck.
void OnKeyboardLost();
// A menu opened or closed: no frame runs and no tick counts while one is open.
void OnMenuOpened();
void OnMenuClosed();
// The desktop's bits per pixel changed.
void OnDepthChanged(int depth);
