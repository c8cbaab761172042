// What the writers last drew, so that a frame redraws only what changed.
#pragma once
#include <cstdint>

struct ScreenShadowRecord {
    uint8_t bitmapShadow[6144]; // the bitmap as last drawn, same layout as at 0x4000
    uint8_t attrShadow[768];    // the attributes as last drawn
    uint8_t borderShadow[240];  // the colour of each border band as last drawn
};

extern ScreenShadowRecord ScreenShadow;

// The next frame is drawn in full: no band colour is 0xFF, and attribute 0x80 has FLASH set,
// which forces a redraw, and differs from every attribute without it.
void InvalidateScreen();
void InvalidateShadow(ScreenShadowRecord& shadow);
