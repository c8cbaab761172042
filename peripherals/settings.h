// The user's settings the engine reads, each named after its stored value; the desktop program
// loads and saves them through the engine's header. "Screen Mode", "TV" and "Speed Display"
// are the display's own DisplayMode, FullscreenTv and SpeedDisplay (display/display_state.h).
#pragma once
#include <cstdint>

struct SettingsRecord {
    uint8_t volume = 50;       // "Volume", 0-63
    uint8_t tapeVolume = 50;   // "Tape Volume", 0-63
    uint8_t soundBuffers = 10; // "Sound Buffers", 1-50 blocks of 20 ms
    uint8_t pcJoystick = 0;    // "PC Joystick": 0 none, 1 Cursor, 2 Kempston
    uint8_t keybJoystick = 1;  // "Keyb Joystick": 1 Cursor, 2 Kempston
    uint8_t ayStereo = 0;      // "AY Stereo": the sound chip in 0 mono, 1 stereo ABC, 2 ACB
};

extern SettingsRecord Settings;
