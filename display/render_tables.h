// Constant tables the writers build their 32-bit stores from.
#pragma once
#include <cstdint>

// Pixel buffers are little-endian: the lowest-addressed byte (8-bit) or half (16-bit) of a
// 32-bit word is the leftmost pixel, so a mask selects the left pixel with its low part.
struct RenderTablesRecord {
    uint32_t Fill8[256];         // byte i in all four bytes
    uint32_t NibbleMask8[256];   // byte k is 0xFF when bit 3-k of i is set (low nibble of i)
    uint32_t PairMask16[256];    // low half 0xFFFF when bit 1 of i is set, high half for bit 0
    uint32_t ByteMask32[256][8]; // word k all ones when bit 7-k of i is clear
};

extern RenderTablesRecord RenderTables;

// Fills RenderTables; once at start-up, before the first display set-up.
void BuildRenderTables();
