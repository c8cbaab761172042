// Redrawing only what changed: a poisoned buffer between frames shows what each frame wrote.
#include <gtest/gtest.h>

#include "display/flash.h"
#include "render_harness.h"

class RedrawTest : public testing::TestWithParam<WriterCase> {
  protected:
    void SetUp() override {
        CleanScreen(0);
        SetUpWriter(GetParam());
        FillScreenPattern(12345);
        for (int i = 0; i < 768; ++i) Machine.memory[0x5800 + i] &= 0x7F; // no FLASH
        for (int b = 0; b < 240; ++b) BorderLog.bands[b] = uint8_t(b * 5 / 17 % 8);
    }
    const WriterCase& w = GetParam();
    Canvas canvas{GetParam()};

    void Frame() { w.write(canvas.Pixels(), canvas.pitch); }
    void PoisonedFrame() {
        canvas.PoisonAll();
        Frame();
    }
    bool InStrip(int x, int y) const {
        return x >= w.stripX && x < w.stripX + w.stripWidth && y >= w.stripRow &&
               y < w.stripRow + w.stripRows;
    }
    // Pixels written outside the strip must be exactly those for which `drawn` holds, each
    // showing what it should; the strip is always repainted correctly.
    template <class Drawn> std::string CheckWritten(Drawn drawn) {
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x) {
                bool expectDrawn = InStrip(x, y) || drawn(x / w.scale, y / w.scale);
                auto where = [&] {
                    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                };
                if (!expectDrawn && !canvas.Untouched(x, y)) return "written at " + where();
                if (expectDrawn && !canvas.Shows(x, y, ExpectedPixel(w, x, y)))
                    return "wrong pixel at " + where();
            }
        return canvas.RowEndsUntouched() ? "" : "written beyond a row";
    }
    // Single-size coordinates of a screen cell's area.
    static bool InCell(int x, int y, int column, int row) {
        return x >= 32 + 8 * column && x < 40 + 8 * column && y >= 24 + 8 * row && y < 32 + 8 * row;
    }
};

TEST_P(RedrawTest, UnchangedFrameWritesOnlyTheSpeedStrip) {
    Frame();
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int, int) { return false; }), "");
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int, int) { return false; }), "");
}

TEST_P(RedrawTest, ChangedAttributeRedrawsItsCellOnceInFull) {
    Frame();
    Machine.memory[0x5800 + 5 * 32 + 10] ^= 0x3F; // new ink and paper, same bitmap
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int x, int y) { return InCell(x, y, 10, 5); }), "");
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int, int) { return false; }), "");
}

TEST_P(RedrawTest, ChangedBitmapByteRedrawsItsEightPixels) {
    Frame();
    Machine.memory[LineAddress(77) + 3] ^= 0x81;
    Machine.memory[LineAddress(191) + 31] ^= 0xFF; // last byte of the bitmap
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int x, int y) {
                  return (y == 24 + 77 && x >= 32 + 24 && x < 32 + 32) ||
                         (y == 24 + 191 && x >= 32 + 248 && x < 32 + 256);
              }),
              "");
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int, int) { return false; }), "");
}

// The 8-bit writers take FLASH from the colour map that FollowFlashPhase keeps in step, the others
// from FlashPhase itself; against the same expected picture, all of them agree.
TEST_P(RedrawTest, FlashingCellsRedrawEveryFrameAndInvertWithThePhase) {
    Machine.memory[0x5800 + 2 * 32 + 7] = 0x87;         // FLASH, white ink on black paper
    Machine.memory[0x5800 + 23 * 32 + 0] = 0xC2 | 0x28; // FLASH, BRIGHT, red on cyan
    Frame();
    auto flashing = [](int x, int y) { return InCell(x, y, 7, 2) || InCell(x, y, 0, 23); };
    FlashCounter = 10; // toggles after the second frame and the fourteenth
    for (int frame = 0; frame < 15; ++frame) {
        bool toggles = FlashCounter == 11;
        uint8_t phase = FlashPhase;
        BorderLog.nextBand = 240; // the frame's bands are all logged: only the flash timer runs
        FrameEnd();
        FollowFlashPhase();
        EXPECT_EQ(FlashPhase != phase, toggles);
        PoisonedFrame();
        ASSERT_EQ(CheckWritten(flashing), "") << "frame " << frame;
    }
}

TEST_P(RedrawTest, InvalidatedScreenIsRedrawnInFullOnce) {
    for (int i = 0; i < 768; i += 5) Machine.memory[0x5800 + i] = 0x80; // black on black, FLASH
    Frame();
    InvalidateScreen();
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int, int) { return true; }), "");
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int x, int y) {
                  if (x < 32 || x >= 288 || y < 24 || y >= 216) return false;
                  return ((y - 24) / 8 * 32 + (x - 32) / 8) % 5 == 0;
              }),
              "");
}

TEST_P(RedrawTest, OnlyChangedBandsArePainted) {
    Frame();
    for (int b : {10, 12, 99, 101, 220, 222}) BorderLog.bands[b] ^= 4;
    PoisonedFrame();
    EXPECT_EQ(CheckWritten([](int x, int y) {
                  bool side = y >= 24 && y < 216;
                  if (side && x >= 32 && x < 288) return false;
                  return y == 10 || y == 12 || y == 99 || y == 101 || y == 220 || y == 222;
              }),
              "");
}

INSTANTIATE_TEST_SUITE_P(AllWriters, RedrawTest, testing::ValuesIn(AllWriters), WriterName);
