// The screen modes on the platform's frame surface: set-up for the current ScreenMode, the
// colour map for the surface's format, and the per-frame draw and present.
#pragma once
#include <cstdint>

#include "engine/engine.h"

// The screen mode and the two display switches, which the engine keeps with its settings.
inline uint8_t ScreenMode() { return GetEngineSetting(EngineSetting::ScreenMode); }
inline void SetScreenMode(uint8_t mode) { SetEngineSetting(EngineSetting::ScreenMode, mode); }
inline bool FullscreenTvOn() { return GetEngineSetting(EngineSetting::Tv) != 0; }
inline void SetFullscreenTv(bool on) { SetEngineSetting(EngineSetting::Tv, on ? 1 : 0); }
inline bool SpeedDisplayOn() { return GetEngineSetting(EngineSetting::SpeedDisplay) != 0; }
inline void SetSpeedDisplay(bool on) { SetEngineSetting(EngineSetting::SpeedDisplay, on ? 1 : 0); }

extern int FrameWidth, FrameHeight; // the surface: 320 x 240 in a window, 640 x 480 fullscreen
// Set by each window-mode set-up whose surface is not shown through the graphics card; the
// main loop clears it and warns once.
extern bool VidMemWarning;

// True when the desktop's depth has window writers (8, 15, 16, 24, 32 bits per pixel).
bool DepthHasWriters(int depth);
// Rebuilds the surface for ScreenMode: frame size, surface, cleared pixels, palette indices and
// colour map, then a full redraw. False when the surface cannot be made; nothing is drawn then.
bool SwitchDisplayMode();
// Releases the surface; RenderFrame draws nothing until the next switch.
void ReleaseDisplay();
// The palette entries of the 16 colours on 8-bit surfaces, then the colour map.
void ProbePaletteIndices();
// The desktop's depth changed: the surface is rebuilt before the next writer runs on it.
void DisplayDepthChanged(int depth);

// Fullscreen: paints the read-out's bar (rows 460 to 479) black.
void ClearSpeedBar();

// Runs the writer for the mode and depth on the surface and draws the speed read-out.
void DrawFrame();
// DrawFrame, then shows the surface.
void RenderFrame();
