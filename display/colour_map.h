// The 16 Spectrum colours and the pixel values that show them on the current display.
#pragma once
#include <cstdint>

// Red, green, blue of colour numbers 0-15: bit 0 blue, bit 1 red, bit 2 green, 8-15 bright.
extern const uint8_t SpectrumColours[16][3];

struct ColourMapRecord {
    uint8_t depth;                 // bits per pixel of the target: 8, 15, 16, 24 or 32
    uint8_t paletteIndex[16];      // 8-bit: the palette entry that shows colour i
    uint32_t packedColour[16];     // 15/16-bit: value in both halves; 24/32-bit: the value
    uint32_t attrPatterns[256][2]; // 8-bit: Fill8 of the set-bit colour, then the clear-bit one
    uint8_t flashPhase;            // the FlashPhase attrPatterns show
    uint32_t redMask, greenMask, blueMask;
    int32_t redShift, greenShift, blueShift; // highest set bit of the mask - 7; -8 for none
};

extern ColourMapRecord ColourMap;

// Highest set bit of the mask minus 7 (so that an 8-bit channel lines up with the mask's top
// bit), -8 for an empty mask.
int32_t MaskShift(uint32_t mask);
// Stores the channel masks of a direct-colour format and their shifts.
void SetColourMasks(ColourMapRecord& map, uint32_t red, uint32_t green, uint32_t blue);

// Rebuilds ColourMap from its depth, palette indices and masks, for the current FlashPhase.
// Needs the render tables.
void BuildColourMap();
void BuildColourMapFor(ColourMapRecord& map, uint8_t flashPhase);

// The three bytes of colour c in a 24-bit buffer, blue first, as b | g << 8 | r << 16.
uint32_t Pixel24(const ColourMapRecord& map, int c);
