// The speed read-out: the last 50 frames' speed as a percentage of a real 50 Hz machine, drawn
// as white text into the bottom right corner of the picture.
#pragma once
#include <cstdint>

constexpr int SpeedHistorySize = 50;
extern uint32_t SpeedHistory[SpeedHistorySize]; // percentages, one per frame, in a ring
extern int32_t SpeedHistoryIndex;               // the slot the next percentage goes into

// Stores one frame's percentage in the ring.
void RecordSpeed(uint32_t percent);
void ClearSpeedHistory();
// The mean of the 50 entries, summed as signed values, truncated toward zero.
int32_t AverageSpeed();

// Draws "  P%" with its right edge at x and its top at y into a surface of
// `depth` (the pixel format set in the engine); the background is painted black when `opaque`.
// Nothing is drawn while the speed display is off.
void DrawSpeedDisplay(uint8_t* pixels, int32_t pitch, int width, int height, int x, int y,
                      bool opaque, int depth);
