// The screen mode and the two display switches the renderer reads. They are also where the
// settings "Screen Mode", "TV" and "Speed Display" live.
#pragma once
#include <cstdint>

constexpr uint8_t ModeWindow = 1;       // 320 x 240 window
constexpr uint8_t ModeDoubleWindow = 2; // 640 x 480 window
constexpr uint8_t ModeFullscreen = 3;   // 640 x 480, 8-bit palettised, whole screen

extern uint8_t DisplayMode; // ModeWindow, ModeDoubleWindow or ModeFullscreen
extern bool FullscreenTv;   // fullscreen leaves every second row black
extern bool SpeedDisplay;   // the speed read-out is drawn into the bottom right corner
