// The desktop program's own preferences, kept with the engine's settings between runs.
#pragma once
#include <cstdint>

struct DesktopPreferences {
    uint8_t saveSettings = 1; // "Save Settings": the settings are written on the way out
    uint8_t shadedTitles = 0; // "Shaded Titles": the caption bar drawn with a shade
    uint8_t warnings = 1;     // "Warnings": the performance warning is shown
    uint8_t autoLoad = 1;     // "Auto-load Tapes": opening a tape resets and loads it
    uint8_t fastLoading = 1;  // "Fast Loading": full speed while a program reads a playing tape
    uint8_t machine = 0;      // "Machine": the SpectrumModel, 0 the 48K, 1 the 128K, 2 the +2
};

extern DesktopPreferences Preferences;
