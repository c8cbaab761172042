#include "display/colour_map.h"

#include "display/render_tables.h"
#include "peripherals/ports.h"

const uint8_t SpectrumColours[16][3] = {
    {0, 0, 0},   {0, 0, 180},   {180, 0, 0},   {180, 0, 180},   // black blue red magenta
    {0, 180, 0}, {0, 180, 180}, {180, 180, 0}, {180, 180, 180}, // green cyan yellow white
    {0, 0, 0},   {0, 0, 255},   {255, 0, 0},   {255, 0, 255},   // the same, bright
    {0, 255, 0}, {0, 255, 255}, {255, 255, 0}, {255, 255, 255},
};

ColourMapRecord ColourMap;

int32_t MaskShift(uint32_t mask) {
    if (mask == 0) return -8;
    int32_t top = 31;
    while (!(mask & (1u << top))) --top;
    return top - 7;
}

void SetColourMasks(ColourMapRecord& map, uint32_t red, uint32_t green, uint32_t blue) {
    map.redMask = red, map.greenMask = green, map.blueMask = blue;
    map.redShift = MaskShift(red);
    map.greenShift = MaskShift(green);
    map.blueShift = MaskShift(blue);
}

// Positive shifts go left, negative ones right.
static uint32_t ShiftBy(uint32_t v, int32_t shift) {
    if (shift >= 32 || shift <= -32) return 0;
    return shift >= 0 ? v << shift : v >> -shift;
}

void BuildColourMapFor(ColourMapRecord& map, uint8_t flashPhase) {
    map.flashPhase = flashPhase;
    for (int a = 0; a < 256; ++a) {
        int bright = (a >> 3) & 8;
        uint32_t ink = RenderTables.Fill8[map.paletteIndex[(a & 7) | bright]];
        uint32_t paper = RenderTables.Fill8[map.paletteIndex[((a >> 3) & 7) | bright]];
        bool exchanged = (a & 0x80) && flashPhase;
        map.attrPatterns[a][0] = exchanged ? paper : ink;
        map.attrPatterns[a][1] = exchanged ? ink : paper;
    }
    if (map.depth != 15 && map.depth != 16 && map.depth != 24 && map.depth != 32) return;
    for (int c = 0; c < 16; ++c) {
        uint32_t value = (ShiftBy(SpectrumColours[c][0], map.redShift) & map.redMask) |
                         (ShiftBy(SpectrumColours[c][1], map.greenShift) & map.greenMask) |
                         (ShiftBy(SpectrumColours[c][2], map.blueShift) & map.blueMask);
        map.packedColour[c] = map.depth <= 16 ? (value | value << 16) : value;
    }
}

void BuildColourMap() { BuildColourMapFor(ColourMap, FlashPhase); }

uint32_t Pixel24(const ColourMapRecord& map, int c) {
    uint32_t v = map.packedColour[c];
    uint32_t blue = ShiftBy(v & map.blueMask, -map.blueShift) & 0xFF;
    uint32_t green = ShiftBy(v & map.greenMask, -map.greenShift) & 0xFF;
    uint32_t red = ShiftBy(v & map.redMask, -map.redShift) & 0xFF;
    return blue | green << 8 | red << 16;
}
