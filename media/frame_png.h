// Screenshots: the current screen and border as a PNG file.
#pragma once
#include <cstdint>

// Draws the whole frame (screen memory, BorderLog, FlashPhase) into `bgr`, three bytes a pixel
// blue first, 320 x 240 or 640 x 480, without touching what the display has drawn.
void RenderFrameBgr(uint8_t* bgr, int32_t pitch, bool doubleSize);

// Writes the frame as an 8-bit RGB PNG. The file appears whole or not at all: it is written
// under a temporary name beside `path` and renamed over it. False if anything failed.
bool SaveFramePng(const char* path, bool doubleSize);
// The same at 320 x 240 times `scale` (1 to 4), each pixel a scale x scale square, as the window
// shows the picture at that scale.
bool SaveFramePngScaled(const char* path, int scale);
