// Every writer on a screen of known content: the picture, the colours and where bytes land.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render_harness.h"

class WriterTest : public testing::TestWithParam<WriterCase> {
  protected:
    void SetUp() override {
        CleanScreen(1);
        SetUpWriter(GetParam());
    }
    const WriterCase& w = GetParam();
};

TEST_P(WriterTest, FullFrameMatchesScreenMemoryAndStaysInsideItsRows) {
    FillScreenPattern(0xC0FFEE);
    for (int b = 0; b < 240; ++b) BorderLog.bands[b] = uint8_t((b / 7) % 8);
    Canvas canvas(w);
    w.write(canvas.Pixels(), canvas.pitch);
    EXPECT_EQ(FirstMismatch(w, canvas), "");
    EXPECT_TRUE(canvas.RowEndsUntouched());

    FlashPhase = 1; // the 8-bit writers learn of it through the colour map
    BuildColourMap();
    InvalidateScreen();
    canvas.PoisonAll();
    w.write(canvas.Pixels(), canvas.pitch);
    EXPECT_EQ(FirstMismatch(w, canvas), "");
}

TEST_P(WriterTest, LeftmostPixelComesFromBitSeven) {
    Machine.memory[0x4000] = 0x80;
    Machine.memory[0x5800] = 0x47; // bright white ink on black paper
    Canvas canvas(w);
    w.write(canvas.Pixels(), canvas.pitch);
    const int s = w.scale;
    for (int dy = 0; dy < s; ++dy) {
        if (w.scanlines && dy == 1) continue;
        for (int x = 0; x < 8 * s; ++x) {
            int want = x < s ? 15 : 8; // BRIGHT applies to the paper too
            EXPECT_TRUE(canvas.Shows(32 * s + x, 24 * s + dy, PixelBytes(w, want)))
                << "x offset " << x << " row offset " << dy;
        }
    }
}

TEST_P(WriterTest, InterleavedLinesLandOnTheirRows) {
    const struct {
        uint16_t address;
        int line;
    } cases[] = {{0x4020, 8}, {0x4100, 1}, {0x4800, 64}, {0x57FF, 191}, {0x4000, 0}};
    std::memset(Machine.memory + 0x5800, 0x07, 768); // white ink on black paper
    for (auto c : cases) Machine.memory[c.address] = 0xFF;
    Canvas canvas(w);
    w.write(canvas.Pixels(), canvas.pitch);
    const int s = w.scale;
    for (auto c : cases) {
        int column = (c.address & 31) * 8;
        for (int line = 0; line < 192; ++line) {
            int want = line == c.line ? 7 : 0;
            // Lines 0, 1, 8 and 64 share column 0; line 191 is the only one lit in column 248.
            if (column == 0 && (line == 0 || line == 1 || line == 8 || line == 64)) want = 7;
            EXPECT_EQ(ColourAt(w, canvas, (32 + column) * s, (24 + line) * s), want)
                << "address " << std::hex << c.address << std::dec << " line " << line;
        }
    }
}

TEST_P(WriterTest, SixteenColoursHaveTheirPixelValues) {
    // Cell n of row 0 shows colour n as ink; of row 1 as paper.
    for (int c = 0; c < 16; ++c) {
        uint8_t bright = c >= 8 ? 0x40 : 0;
        Machine.memory[0x5800 + c] = uint8_t(bright | (c & 7));
        Machine.memory[0x5820 + c] = uint8_t(bright | (c & 7) << 3);
        for (int line = 0; line < 8; ++line) Machine.memory[LineAddress(line) + c] = 0xFF;
    }
    Canvas canvas(w);
    w.write(canvas.Pixels(), canvas.pitch);
    const int s = w.scale;
    for (int c = 0; c < 16; ++c)
        for (int x = 0; x < 8; ++x) {
            EXPECT_TRUE(canvas.Shows((32 + 8 * c + x) * s, 24 * s, PixelBytes(w, c))) << c;
            EXPECT_TRUE(canvas.Shows((32 + 8 * c + x) * s, 32 * s, PixelBytes(w, c))) << c;
        }
}

INSTANTIATE_TEST_SUITE_P(AllWriters, WriterTest, testing::ValuesIn(AllWriters), WriterName);

// 24-bit pixels are blue, green, red in address order.
TEST(Write24, StoresBlueGreenRed) {
    CleanScreen(2); // red 180
    SetUpWriter(AllWriters[2]);
    Canvas canvas(AllWriters[2]);
    Write24(canvas.Pixels(), canvas.pitch);
    EXPECT_EQ(canvas.At(0, 0)[0], 0);
    EXPECT_EQ(canvas.At(0, 0)[1], 0);
    EXPECT_EQ(canvas.At(0, 0)[2], 180);
}

// 15-bit targets share the 16-bit writers (the masks differ, not the stores); only 8-bit has
// the TV look, and a depth without writers gives none.
TEST(WriterFor, CoversTheFiveDepthsAndNothingElse) {
    for (WriterSize size : {WriterSize::Single, WriterSize::Double})
        EXPECT_EQ(WriterFor(15, size), WriterFor(16, size));
    for (int depth : {15, 16, 24, 32}) EXPECT_EQ(WriterFor(depth, WriterSize::Scanline), nullptr);
    for (int depth : {0, 1, 4, 12, 31, 64})
        for (WriterSize size : {WriterSize::Single, WriterSize::Double, WriterSize::Scanline})
            EXPECT_EQ(WriterFor(depth, size), nullptr) << depth;
    std::vector<FrameWriter> seen;
    for (const WriterCase& w : AllWriters) {
        ASSERT_NE(w.write, nullptr) << w.name;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), w.write), 0) << w.name;
        seen.push_back(w.write);
    }
}
