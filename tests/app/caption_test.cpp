// The shaded caption: its bands against the square law worked out column by column, the narrow
// caption's one-pixel bands, and the main window switching between its own caption and the
// window manager's.
#include <QMenuBar>
#include <QWindow>
#include <vector>

#include "app/caption_bar.h"
#include "app/main_window.h"
#include "app/preferences.h"
#include "app/shaded_caption.h"
#include "app/title.h"
#include "app/window_services.h"
#include "app_harness.h"
#include "peripherals/settings.h"
#include "platform/desktop/desktop_surface.h"

namespace {

bool Same(const CaptionColour& a, const CaptionColour& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::vector<CaptionColour> Row(int left, int right, CaptionColour c, int width) {
    std::vector<CaptionColour> row(size_t(width), CaptionColour{-1, -1, -1});
    ShadeCaptionRow(left, right, c, row.data(), width);
    return row;
}

// The colour of one column worked out on its own: the band that holds it, that band's distance
// d from the caption colour's edge, and ch - d*d*ch/span^2 for each channel.
CaptionColour ColumnColour(int left, int right, CaptionColour c, int px) {
    const int x0 = 5 * right / 6, span = x0 - left;
    const int step = span / 64 > 1 ? span / 64 : 1;
    if (px >= x0) return c;
    const int bands = (x0 - 1) / step; // bands drawn: the last starts at or below step
    const int lastStart = x0 - bands * step;
    if (px < lastStart) return {0, 0, 0};
    const int k = (x0 - px + step - 1) / step; // band 1 is the one next to x0
    const long long d = (long long)k * step - left, D = (long long)span * span;
    auto fade = [&](int ch) { return int(ch - d * d * ch / D); };
    return {fade(c.r), fade(c.g), fade(c.b)};
}

} // namespace

TEST(CaptionShading, BandsFallOffWithTheSquareOfTheDistance) {
    const CaptionColour c{200, 100, 50};
    const int left = 4, right = 400, width = right - left;
    const std::vector<CaptionColour> row = Row(left, right, c, width);
    for (int x = 0; x < width; ++x) {
        const CaptionColour e = ColumnColour(left, right, c, x);
        ASSERT_TRUE(Same(row[x], e)) << "x " << x << ": " << row[x].r << "," << row[x].g << ","
                                     << row[x].b << " not " << e.r << "," << e.g << "," << e.b;
    }
    // By hand: x0 = 333, span 329, bands of 5; the band at 328 is the colour itself, the last
    // band starts at 3 with d = 326, and black is left of it.
    EXPECT_TRUE(Same(row[333], c));
    EXPECT_TRUE(Same(row[328], c));
    EXPECT_TRUE(Same(row[3], (CaptionColour{4, 2, 1})));
    EXPECT_TRUE(Same(row[7], (CaptionColour{4, 2, 1})));
    EXPECT_TRUE(Same(row[2], (CaptionColour{0, 0, 0})));
    for (int x = 1; x < width; ++x) ASSERT_LE(row[x - 1].r, row[x].r) << x; // darker to the left
}

TEST(CaptionShading, NarrowCaptionsShadeOnePixelAtATime) {
    EXPECT_EQ(CaptionBandStep(0, 153), 1); // span 127
    EXPECT_EQ(CaptionBandStep(0, 154), 2); // span 128
    EXPECT_EQ(CaptionBandStep(4, 158), 1); // span 127 from the frame's edge
    EXPECT_EQ(CaptionBandStep(0, 60), 1);  // a sixty-fourth rounds to 0

    const CaptionColour c{255, 255, 255};
    const std::vector<CaptionColour> row = Row(0, 120, c, 120); // x0 100, span 100
    EXPECT_TRUE(Same(row[0], (CaptionColour{0, 0, 0})));
    for (int x = 1; x < 120; ++x) {
        ASSERT_TRUE(Same(row[x], ColumnColour(0, 120, c, x))) << x;
        if (x < 60) { // every column a band of its own (nearer x0 the steps round to nothing)
            ASSERT_LT(row[x - 1].r, row[x].r) << x;
        }
    }
}

TEST(CaptionShading, DegenerateCaptionsStayInTheirRow) {
    const CaptionColour c{10, 20, 30};
    for (int right : {0, 1, 5, 6, 7}) {
        std::vector<CaptionColour> row = Row(6, right, c, 8); // narrower than the frames
        for (const CaptionColour& p : row) EXPECT_GE(p.r, -1);
    }
    const std::vector<CaptionColour> row = Row(0, 12, c, 12); // x0 10, step 1
    EXPECT_TRUE(Same(row[11], c));
    EXPECT_TRUE(Same(row[0], (CaptionColour{0, 0, 0})));
}

TEST(CaptionLayout, ButtonsAndTitleInARow) {
    const CaptionLayoutRecord l = CaptionLayout(300, 22, 22, 22);
    EXPECT_EQ(l.close.right, 298);
    EXPECT_LE(l.maximise.right, l.close.left);
    EXPECT_LE(l.minimise.right, l.maximise.left);
    EXPECT_EQ(l.title.right, l.minimise.left - 2);
    EXPECT_EQ(l.title.left, l.icon.right + 2);
    EXPECT_EQ(l.icon.bottom - l.icon.top, 20);
}

TEST_F(AppFixture, ShadedCaptionReplacesTheFrameInWindowModesOnly) {
    MainWindow* w = TheMainWindow();
    Preferences.shadedTitles = 1;
    UpdateCaptionStyle();
    CaptionBar* caption = w->Caption();
    ASSERT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    ASSERT_TRUE(caption->isVisible());
    const int h = caption->height();
    EXPECT_GE(h, 20);
    EXPECT_EQ(caption->width(), w->width());
    EXPECT_EQ(w->menuBar()->geometry().top(), h);
    QWidget* screen = DesktopScreenWidget();
    EXPECT_EQ(screen->size(), QSize(320, 240));
    EXPECT_GE(screen->geometry().top(), w->menuBar()->geometry().bottom());
    EXPECT_EQ(w->height(), h + w->menuBar()->height() + 240);

    // The bottom row has no icon, button or text on it: the shading as computed, or the flat
    // inactive colour.
    AppActive = true;
    QImage image = caption->Compose();
    const QColor active = caption->palette().color(QPalette::Active, QPalette::Highlight);
    const std::vector<CaptionColour> row =
        Row(0, image.width(), {active.red(), active.green(), active.blue()}, image.width());
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, image.height() - 1);
        ASSERT_EQ(p, qRgb(row[x].r, row[x].g, row[x].b)) << x;
    }
    AppActive = false;
    image = caption->Compose();
    const QRgb inactive = caption->palette().color(QPalette::Inactive, QPalette::Highlight).rgb();
    for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, h - 1), inactive) << x;
    AppActive = true;

    // A long title is cut with an ellipsis before the minimise button.
    w->setWindowTitle(QString(200, QChar('W')));
    const QString shown = caption->ShownTitle();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_LT(shown.size(), 200);
    UpdateTitle();
    EXPECT_EQ(caption->ShownTitle(), w->windowTitle());

    // Fullscreen has the window manager's way; back in a window the shaded caption returns.
    SelectFullscreen(false);
    EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(caption->isVisible());
    SelectWindowMode(ModeDoubleWindow);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(caption->isVisible());
    EXPECT_EQ(caption->width(), w->width());
    EXPECT_EQ(screen->size(), QSize(640, 480));

    Preferences.shadedTitles = 0;
    UpdateCaptionStyle();
    EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(caption->isVisible());
    EXPECT_EQ(w->menuBar()->geometry().top(), 0);
    EXPECT_EQ(screen->size(), QSize(640, 480));
    EXPECT_EQ(w->height(), w->menuBar()->height() + 480);
}
