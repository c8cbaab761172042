// The nine frame writers: screen memory and the border log turned into pixels in a caller's
// buffer. Each takes the top-left pixel and the pitch (bytes from one row to the next) and
// draws only what changed since the last frame (see screen_shadow.h).
//
// Single size is 320 x 240 (a 32-pixel border beside the 256 x 192 screen, 24 rows above and
// below), double size 640 x 480 with every pixel a 2 x 2 block.
#pragma once
#include <cstdint>

void Write8(uint8_t* pixels, int32_t pitch);       // 8-bit palettised, single size
void Write16(uint8_t* pixels, int32_t pitch);      // 15/16-bit, single size
void Write24(uint8_t* pixels, int32_t pitch);      // 24-bit blue, green, red, single size
void Write32(uint8_t* pixels, int32_t pitch);      // 32-bit, single size
void Write8Double(uint8_t* pixels, int32_t pitch); // 8-bit, double size, window or fullscreen
void Write16Double(uint8_t* pixels, int32_t pitch);
void Write24Double(uint8_t* pixels, int32_t pitch);
void Write32Double(uint8_t* pixels, int32_t pitch);
void Write8Scanline(uint8_t* pixels, int32_t pitch); // 8-bit double, second row of each pair black

struct ColourMapRecord;
struct ScreenShadowRecord;
// The 24-bit writers on a colour map and shadow of the caller's own, for frames drawn outside
// the display (screenshots). Memory, border log and FlashPhase are the machine's.
void Write24With(uint8_t* pixels, int32_t pitch, bool doubleSize, const ColourMapRecord& map,
                 ScreenShadowRecord& shadow);
