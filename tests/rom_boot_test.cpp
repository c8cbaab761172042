// The whole machine through the real ROM: start-up, typing a line, the floating-point calculator.
#include <gtest/gtest.h>

#include "rom_harness.h"

static std::string LastRows(int first) {
    std::string text;
    for (int row = first; row < 24; ++row) text += ScreenRowText(row) + "\n";
    return text;
}

TEST(RomBoot, ShowsTheStartUpMessage) {
    BootRom();
    std::string bottom = ScreenRowText(23);
    switch (BuiltinRomKind) {
    case RomKind::Standard48:
        EXPECT_NE(bottom.find("© 1982 Sinclair Research Ltd"), std::string::npos) << ScreenText();
        break;
    case RomKind::OpenSource:
    case RomKind::Custom:
        // Any ROM that boots prints something and sits waiting for a key.
        EXPECT_NE(ScreenText(), std::string(24, '\n'));
        break;
    }
}

// Expected output of a typed line on the 48K ROM: the printed value on the top row and the
// report on the bottom line.
struct TypedLine {
    const char* keys;
    const char* printed;
};

class RomCalculator : public ::testing::TestWithParam<TypedLine> {};

TEST_P(RomCalculator, PrintsWhatThe48KPrints) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    BootRom();
    ASSERT_TRUE(TypeKeys(GetParam().keys));
    RunFrames(50);
    EXPECT_EQ(ScreenRowText(0).substr(0, std::string(GetParam().printed).size()),
              GetParam().printed)
        << ScreenText();
    EXPECT_NE(LastRows(22).find("0 OK, 0:1"), std::string::npos) << ScreenText();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RomCalculator,
    ::testing::Values(TypedLine{"P 2 SS+K 2 ENTER", "4 "},             // PRINT 2+2
                      TypedLine{"P CS+SS H 2 ENTER", "1.4142136 "},    // PRINT SQR 2
                      TypedLine{"P 1 SS+V 3 ENTER", "0.33333333 "},    // PRINT 1/3
                      TypedLine{"P 1 0 0 SS+V 7 ENTER", "14.285714 "}, // PRINT 100/7
                      TypedLine{"P 2 SS+H 1 0 ENTER", "1024 "},        // PRINT 2^10
                      TypedLine{"P CS+SS M ENTER", "3.1415927 "}));    // PRINT PI

TEST(ScreenText, ReadsInverseCellsAndMarksUnknownOnes) {
    BootRom(0);
    std::memset(Machine.memory + 0x4000, 0, 6144); // no frame has run: clear the power-on bitmap
    // Draw "A" normally at (0,0), inverse at (0,1), and a pattern matching nothing at (0,2).
    for (int line = 0; line < 8; ++line) {
        uint8_t glyph = Machine.memory[0x3D00 + ('A' - 0x20) * 8 + line];
        Machine.memory[0x4000 + line * 256] = glyph;
        Machine.memory[0x4001 + line * 256] = uint8_t(~glyph);
        Machine.memory[0x4002 + line * 256] = uint8_t(line == 3 ? 0x18 : 0x00);
    }
    EXPECT_EQ(ScreenRowText(0).substr(0, 2), "AA");
    EXPECT_EQ(ScreenRowText(0).substr(2, 3), "░");
    EXPECT_EQ(ScreenText().substr(0, 7), "AA░\n\n");
}
