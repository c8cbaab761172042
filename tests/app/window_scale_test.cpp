// The window's picture at a whole-number scale: where it goes for any area, the window sizes the
// modes open with, and what a freely resized window shows.
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstring>

#include "app/display_modes.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/picture_place.h"
#include "app_harness.h"
#include "display/screen_shadow.h"
#include "peripherals/ports.h"
#include "platform/desktop/desktop_surface.h"
#include "platform/display_surface.h"

TEST(PicturePlace, TheLargestWholeScaleThatFitsCentredWithBars) {
    // Areas in device pixels: a logical size times the screen's device pixel ratio.
    const struct {
        int width, height, scale, x, y;
    } cases[] = {
        {320, 240, 1, 0, 0},     // 1x1 at ratio 1
        {640, 480, 2, 0, 0},     // 1x1 at ratio 2: sharp, every picture pixel 2 x 2
        {480, 360, 1, 80, 60},   // 1x1 at ratio 1.5: whole pixels, bars round them
        {1920, 1440, 6, 0, 0},   // 2x2 at ratio 3
        {1000, 500, 2, 180, 10}, // wide: bars left and right
        {400, 900, 1, 40, 330},  // tall: bars above and below
        {300, 200, 1, -10, -20}, // smaller than the picture: never below 1, centred
    };
    for (const auto& c : cases) {
        const SurfacePlacement p = PlacePicture(c.width, c.height, 320, 240);
        EXPECT_EQ(p.scale, c.scale) << c.width << "x" << c.height;
        EXPECT_EQ(p.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(p.y, c.y) << c.width << "x" << c.height;
    }
    // Any area: the picture fits, one step larger would not, and the bars differ by at most 1.
    for (int w = 320; w < 2000; w += 37)
        for (int h = 240; h < 1500; h += 29) {
            const SurfacePlacement p = PlacePicture(w, h, 320, 240);
            ASSERT_TRUE(320 * p.scale <= w && 240 * p.scale <= h) << w << "x" << h;
            ASSERT_TRUE(320 * (p.scale + 1) > w || 240 * (p.scale + 1) > h) << w << "x" << h;
            const int right = w - p.x - 320 * p.scale, bottom = h - p.y - 240 * p.scale;
            ASSERT_TRUE(right - p.x == 0 || right - p.x == 1) << w << "x" << h;
            ASSERT_TRUE(bottom - p.y == 0 || bottom - p.y == 1) << w << "x" << h;
        }
}

TEST_F(AppFixture, EachWindowModeOpensAtItsScaleAndTheMarkFollows) {
    QWidget* screen = DesktopScreenWidget();
    const struct {
        uint16_t command;
        int scale;
    } modes[] = {{CmdWindow3x3, 3}, {CmdWindow4x4, 4}, {CmdWindow2x2, 2}, {CmdWindow1x1, 1}};
    for (const auto& m : modes) {
        RunCommand(m.command);
        EXPECT_EQ(screen->size(), QSize(320 * m.scale, 240 * m.scale)) << m.scale;
        EXPECT_TRUE(TheMainWindow()->ActionOf(m.command)->isChecked()) << m.scale;
        EXPECT_EQ(FrameWidth, 320); // the surface stays the picture's own size
    }
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdWindow4x4)->isChecked());
}

TEST_F(AppFixture, AResizedWindowShowsThePictureAtAWholeScaleWithBlackBars) {
    QWidget* screen = DesktopScreenWidget();
    std::memset(BorderLog.bands, 2, sizeof BorderLog.bands); // a red border
    InvalidateScreen();
    RenderFrame();
    int32_t pitch = 0;
    const uint8_t* pixels = SurfacePixels(pitch);
    ASSERT_NE(pixels, nullptr);
    const QImage surface(pixels, 320, 240, pitch, QImage::Format_RGB32);

    const QSize extra = TheMainWindow()->size() - screen->size();
    TheMainWindow()->resize(QSize(700, 500) + extra); // room for 2x, not 3x
    QCoreApplication::processEvents();
    ASSERT_EQ(screen->size(), QSize(700, 500));
    const QImage shown = screen->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(700, 500));
    const int left = (700 - 640) / 2, top = (500 - 480) / 2;
    for (int y = 0; y < 500; y += 3)
        for (int x = 0; x < 700; x += 3) {
            const bool inside = x >= left && x < left + 640 && y >= top && y < top + 480;
            const QRgb want = inside ? surface.pixel((x - left) / 2, (y - top) / 2) : qRgb(0, 0, 0);
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << x << "," << y;
        }
    EXPECT_NE(surface.pixel(0, 0) & 0xFFFFFF, 0u); // the border is not black: the test can tell
    RunCommand(CmdWindow2x2);                      // a mode command sizes the window again
    EXPECT_EQ(screen->size(), QSize(640, 480));
}
