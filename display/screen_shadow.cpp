#include "display/screen_shadow.h"

#include <cstring>

ScreenShadowRecord ScreenShadow;

void InvalidateShadow(ScreenShadowRecord& shadow) {
    std::memset(shadow.borderShadow, 0xFF, sizeof shadow.borderShadow);
    std::memset(shadow.attrShadow, 0x80, sizeof shadow.attrShadow);
}

void InvalidateScreen() { InvalidateShadow(ScreenShadow); }
