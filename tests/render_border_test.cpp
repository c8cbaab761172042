// Border bands from OUTs to port 0xFE at known T-states, the TV look's black rows and the strip
// that the fullscreen speed read-out keeps for itself.
#include <gtest/gtest.h>

#include "render_harness.h"

namespace {

// One frame of OUTs. Bands are 291.2 T-states long: band 10 starts exactly at 2912, band 24 at
// 6988.8, band 216 at 62899.2 and band 230 at 66976.
void LogBorderFrame() {
    Machine.tstates = 0;
    PortWrite(0xFE, 7); // colour in force from the previous frame
    BorderLog.nextBand = 240;
    FrameEnd();
    FlashCounter = 0;
    const struct {
        uint32_t t;
        uint8_t value;
    } writes[] = {{2911, 3}, {2912, 2}, {6989, 0x15}, {62899, 0x0E}, {62900, 1}, {67000, 6}};
    for (auto w : writes) {
        Machine.tstates = w.t;
        PortWrite(0xFE, w.value);
    }
    FrameEnd();
}

int ExpectedBand(int b) {
    if (b < 9) return 7;
    if (b == 9) return 3;
    if (b < 24) return 2;
    if (b < 215) return 5;
    if (b == 215) return 6; // 62899 is still 0.2 T-states short of band 216
    if (b < 230) return 1;
    return 6;
}

} // namespace

class BorderTest : public testing::TestWithParam<WriterCase> {
  protected:
    void SetUp() override {
        CleanScreen(0);
        SetUpWriter(GetParam());
        std::memset(Machine.memory + 0x5800, 0x38, 768); // black on white: unlike any band
    }
    const WriterCase& w = GetParam();
};

TEST_P(BorderTest, PortWritesPaintTheirBands) {
    LogBorderFrame();
    Canvas canvas(w);
    w.write(canvas.Pixels(), canvas.pitch);
    const int s = w.scale;
    for (int b = 0; b < 240; ++b) {
        bool side = b >= 24 && b < 216;
        for (int x = 0; x < 320 * s; ++x) {
            bool border = !side || x < 32 * s || x >= 288 * s;
            int y = b * s;
            ASSERT_EQ(ColourAt(w, canvas, x, y), border ? ExpectedBand(b) : 7)
                << "band " << b << " x " << x;
            if (s == 2 && border) {
                if (w.scanlines)
                    ASSERT_TRUE(canvas.Shows(x, y + 1, ScanlineBlack(x))) << b << " " << x;
                else
                    ASSERT_EQ(ColourAt(w, canvas, x, y + 1), ExpectedBand(b)) << b << " " << x;
            }
        }
    }
    EXPECT_TRUE(canvas.RowEndsUntouched());
}

INSTANTIATE_TEST_SUITE_P(AllWriters, BorderTest, testing::ValuesIn(AllWriters), WriterName);

// Every second row of the TV look is alternating palette entries: the fullscreen black
// (colour 0's entry) and entry 0.
TEST(Write8Scanline, EverySecondRowIsBlack) {
    const WriterCase& w = AllWriters[8];
    CleanScreen(4);
    SetUpWriter(w);
    FillScreenPattern(99);
    Canvas canvas(w);
    Write8Scanline(canvas.Pixels(), canvas.pitch);
    for (int y = 1; y < 480; y += 2)
        for (int x = 0; x < 640; x += 2) {
            ASSERT_EQ(canvas.At(x, y)[0], TestPaletteIndex(0)) << x << ", " << y;
            ASSERT_EQ(canvas.At(x + 1, y)[0], 0) << x + 1 << ", " << y;
        }
}

// In fullscreen with the speed read-out on, rows 460-479 are its black bar: the 8-bit double
// writers neither compare nor paint bands 230-239 there, and repaint no strip.
TEST(FullscreenSpeedBar, BottomBandsBelongToTheReadOut) {
    for (const WriterCase& w : {AllWriters[4], AllWriters[8]}) {
        CleanScreen(5);
        SetUpWriter(w);
        DisplayMode = ModeFullscreen;
        SpeedDisplay = true;
        Canvas canvas(w);
        w.write(canvas.Pixels(), canvas.pitch);
        for (int y = 0; y < 480; ++y) {
            bool bar = y >= 460;
            EXPECT_EQ(canvas.Untouched(0, y), bar) << w.name << " row " << y;
            EXPECT_EQ(canvas.Untouched(639, y), bar) << w.name << " row " << y;
        }
        canvas.PoisonAll();
        BorderLog.bands[235] = 1;
        w.write(canvas.Pixels(), canvas.pitch);
        EXPECT_EQ(std::count(canvas.data.begin(), canvas.data.end(), Poison),
                  std::ptrdiff_t(canvas.data.size()))
            << w.name;

        // Switching the read-out off invalidates the screen; the bar is then border again.
        SpeedDisplay = false;
        InvalidateScreen();
        w.write(canvas.Pixels(), canvas.pitch);
        EXPECT_EQ(ColourAt(w, canvas, 600, 470), 1) << w.name;
        EXPECT_EQ(ColourAt(w, canvas, 600, 478), 5) << w.name;
    }
}

// In a window Write8Double repaints the corner under the read-out only while it is on.
TEST(Write8Double, WindowStripFollowsTheSpeedDisplaySwitch) {
    const WriterCase& w = AllWriters[4];
    CleanScreen(3);
    SetUpWriter(w);
    Canvas canvas(w);
    Write8Double(canvas.Pixels(), canvas.pitch);
    canvas.PoisonAll();
    Write8Double(canvas.Pixels(), canvas.pitch);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            bool strip = x >= w.stripX && y >= 460;
            ASSERT_EQ(ColourAt(w, canvas, x, y), strip ? 3 : -1) << x << ", " << y;
        }
    SpeedDisplay = false;
    canvas.PoisonAll();
    Write8Double(canvas.Pixels(), canvas.pitch);
    EXPECT_EQ(std::count(canvas.data.begin(), canvas.data.end(), Poison),
              std::ptrdiff_t(canvas.data.size()));
}
