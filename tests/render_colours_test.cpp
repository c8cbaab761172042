// The colour map and the constant tables behind the writers.
#include <gtest/gtest.h>

#include "display/flash.h"
#include "render_harness.h"

TEST(ColourMap, FiveSixFiveMasks) {
    BuildRenderTables();
    ColourMapRecord map{};
    map.depth = 16;
    SetColourMasks(map, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(map.redShift, 8);
    EXPECT_EQ(map.greenShift, 3);
    EXPECT_EQ(map.blueShift, -3);
    BuildColourMapFor(map, 0);
    EXPECT_EQ(map.packedColour[7], 0xB5B6B5B6u);
    EXPECT_EQ(map.packedColour[9], 0x001F001Fu);
    // Every colour keeps the top bits of each channel, in both halves.
    for (int c = 0; c < 16; ++c) {
        const uint8_t* rgb = TestRgb[c];
        uint32_t v = uint32_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
        EXPECT_EQ(map.packedColour[c], v | v << 16) << c;
    }
}

TEST(ColourMap, FiveFiveFiveMasks) {
    BuildRenderTables();
    ColourMapRecord map{};
    map.depth = 15;
    SetColourMasks(map, 0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(map.redShift, 7);
    EXPECT_EQ(map.greenShift, 2);
    EXPECT_EQ(map.blueShift, -3);
    BuildColourMapFor(map, 0);
    EXPECT_EQ(map.packedColour[7] & 0xFFFF, 0x5AD6u);
    for (int c = 0; c < 16; ++c) {
        const uint8_t* rgb = TestRgb[c];
        uint32_t v = uint32_t((rgb[0] >> 3) << 10 | (rgb[1] >> 3) << 5 | rgb[2] >> 3);
        EXPECT_EQ(map.packedColour[c], v | v << 16) << c;
    }
}

TEST(ColourMap, EightEightEightMasks) {
    BuildRenderTables();
    for (int depth : {24, 32}) {
        ColourMapRecord map{};
        map.depth = uint8_t(depth);
        SetColourMasks(map, 0xFF0000, 0xFF00, 0xFF);
        EXPECT_EQ(map.redShift, 16);
        EXPECT_EQ(map.greenShift, 8);
        EXPECT_EQ(map.blueShift, 0);
        BuildColourMapFor(map, 0);
        EXPECT_EQ(map.packedColour[7], 0x00B4B4B4u);
        EXPECT_EQ(map.packedColour[14], 0x00FFFF00u);
        for (int c = 0; c < 16; ++c) {
            uint32_t rgb = uint32_t(TestRgb[c][0] << 16 | TestRgb[c][1] << 8 | TestRgb[c][2]);
            EXPECT_EQ(map.packedColour[c], rgb) << c;
            EXPECT_EQ(Pixel24(map, c),
                      uint32_t(TestRgb[c][2] | TestRgb[c][1] << 8 | TestRgb[c][0] << 16))
                << c;
        }
    }
}

TEST(ColourMap, BlueFirstMasksAndEmptyChannels) {
    BuildRenderTables();
    ColourMapRecord map{};
    map.depth = 32;
    SetColourMasks(map, 0xFF, 0xFF00, 0); // a format without blue
    EXPECT_EQ(map.redShift, 0);
    EXPECT_EQ(map.blueShift, -8);
    BuildColourMapFor(map, 0);
    EXPECT_EQ(map.packedColour[15], 0x0000FFFFu);
    EXPECT_EQ(map.packedColour[9], 0u);
    SetColourMasks(map, 0xFF000000u, 0, 0);
    EXPECT_EQ(map.redShift, 24);
    BuildColourMapFor(map, 0);
    EXPECT_EQ(map.packedColour[10], 0xFF000000u);
}

TEST(ColourMap, DepthWithoutDirectColourLeavesPackedValuesAlone) {
    BuildRenderTables();
    ColourMapRecord map{};
    map.depth = 4;
    map.packedColour[3] = 0x12345678;
    for (int c = 0; c < 16; ++c) map.paletteIndex[c] = uint8_t(c + 10);
    BuildColourMapFor(map, 0);
    EXPECT_EQ(map.packedColour[3], 0x12345678u);
    EXPECT_EQ(map.attrPatterns[0x39][0], 0x0B0B0B0Bu); // ink 1 paper 7 -> entries 11 and 17
    EXPECT_EQ(map.attrPatterns[0x39][1], 0x11111111u);
}

// Attribute a: ink in bits 0-2, paper in 3-5, BRIGHT adds 8 to both, FLASH exchanges them
// while the phase is 1 (built that way, and kept that way by FollowFlashPhase after each toggle).
TEST(ColourMap, AttributePatternsFollowInkPaperBrightAndFlash) {
    BuildRenderTables();
    ColourMapRecord map{};
    map.depth = 8;
    for (int c = 0; c < 16; ++c) map.paletteIndex[c] = TestPaletteIndex(c);
    for (uint8_t phase : {0, 1}) {
        BuildColourMapFor(map, phase);
        for (int a = 0; a < 256; ++a) {
            int ink = (a % 8) + (a & 0x40 ? 8 : 0), paper = (a / 8 % 8) + (a & 0x40 ? 8 : 0);
            if (a >= 128 && phase) std::swap(ink, paper);
            EXPECT_EQ(map.attrPatterns[a][0], TestPaletteIndex(ink) * 0x01010101u) << a;
            EXPECT_EQ(map.attrPatterns[a][1], TestPaletteIndex(paper) * 0x01010101u) << a;
        }
    }
    // With the phase at 1, 0x87 shows set bits black and clear bits white.
    EXPECT_EQ(map.attrPatterns[0x87][0], TestPaletteIndex(0) * 0x01010101u);
    EXPECT_EQ(map.attrPatterns[0x87][1], TestPaletteIndex(7) * 0x01010101u);
}

TEST(FollowFlashPhase, KeepsTheColourMapInStepWithTheFlashTimer) {
    BuildRenderTables();
    ColourMap = {};
    ColourMap.depth = 8;
    for (int c = 0; c < 16; ++c) ColourMap.paletteIndex[c] = TestPaletteIndex(c);
    FlashPhase = 0;
    FlashCounter = 0;
    BuildColourMap();
    ColourMapRecord expected{};
    expected.depth = 8;
    std::memcpy(expected.paletteIndex, ColourMap.paletteIndex, 16);
    AllocateMemory();
    for (int frame = 1; frame <= 30; ++frame) {
        FrameEnd();
        FollowFlashPhase();
        BuildColourMapFor(expected, FlashPhase);
        ASSERT_EQ(std::memcmp(expected.attrPatterns, ColourMap.attrPatterns,
                              sizeof expected.attrPatterns),
                  0)
            << "frame " << frame;
    }
}
