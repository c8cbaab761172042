#include "display/flash.h"

#include "display/colour_map.h"
#include "peripherals/ports.h"

void FollowFlashPhase() {
    if (ColourMap.flashPhase == FlashPhase) return;
    for (int a = 128; a < 256; ++a) {
        uint32_t set = ColourMap.attrPatterns[a][0];
        ColourMap.attrPatterns[a][0] = ColourMap.attrPatterns[a][1];
        ColourMap.attrPatterns[a][1] = set;
    }
    ColourMap.flashPhase = FlashPhase;
}
