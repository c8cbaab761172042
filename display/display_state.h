// The screen mode and the two display switches the renderer reads. They are also where the
// settings "Screen Mode", "TV" and "Speed Display" live.
#pragma once
#include <cstdint>

// The window modes size the window to the 320 x 240 picture at a whole-number scale; the
// window may then be resized freely and the picture takes the largest whole scale that fits.
constexpr uint8_t ModeWindow = 1;       // 320 x 240 window
constexpr uint8_t ModeDoubleWindow = 2; // 640 x 480 window
constexpr uint8_t ModeFullscreen = 3;   // 640 x 480, 8-bit palettised, whole screen
constexpr uint8_t ModeTripleWindow = 4; // 960 x 720 window
constexpr uint8_t ModeQuadWindow = 5;   // 1280 x 960 window

extern uint8_t DisplayMode; // one of the modes above
extern bool FullscreenTv;   // fullscreen leaves every second row black
extern bool SpeedDisplay;   // the speed read-out is drawn into the bottom right corner

// The scale a window mode opens its window at: 1 to 4; 0 for fullscreen or an unknown mode.
int WindowModeScale(uint8_t mode);
