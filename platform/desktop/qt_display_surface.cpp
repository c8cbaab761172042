// The frame surface as a QImage in the desktop's own pixel format, or as a palettised 640 x 480
// image in fullscreen, painted at a whole-number scale in black bars. Each present asks for a
// paint at the display's next refresh, not at once.
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <thread>

#include "platform/desktop/desktop_surface.h"
#include "platform/display_surface.h"

// The 16 colours in the order of their numbers: bit 0 blue, bit 1 red, bit 2 green, 8-15 bright.
static const QRgb SurfaceColours[16] = {
    qRgb(0, 0, 0),   qRgb(0, 0, 180),   qRgb(180, 0, 0),   qRgb(180, 0, 180),
    qRgb(0, 180, 0), qRgb(0, 180, 180), qRgb(180, 180, 0), qRgb(180, 180, 180),
    qRgb(0, 0, 0),   qRgb(0, 0, 255),   qRgb(255, 0, 0),   qRgb(255, 0, 255),
    qRgb(0, 255, 0), qRgb(0, 255, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
};

namespace {

class ScreenWidget : public QWidget {
  public:
    ScreenWidget() {
        setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: no background first
        setFocusPolicy(Qt::NoFocus);           // keys go to the main window
    }
    QSize sizeHint() const override { return opening; }
    QSize opening{320, 240}; // the picture area a window mode opens with

  protected:
    void paintEvent(QPaintEvent*) override;
};

QMainWindow* Window;
ScreenWidget* Screen;
QImage Image;
bool PresentPending; // the next paint shows what the surface holds; no redraw is needed
void (*RepaintHandler)() = nullptr;
SurfacePlacement (*PlacementRule)(int, int, int, int) = nullptr;
using Clock = std::chrono::steady_clock;
Clock::time_point RetraceOrigin = Clock::now();
Clock::time_point LastPaint;
Clock::time_point PresentedAt;
QTimer* RefreshTimer; // asks for the paint once the display's refresh period has passed
uint64_t Paints;

// The display's refresh period; 60 Hz where the screen reports none that is plausible.
std::chrono::duration<double> RefreshPeriod() {
    QScreen* screen = QGuiApplication::primaryScreen();
    double hz = screen ? screen->refreshRate() : 60.0;
    if (hz < 20.0 || hz > 500.0) hz = 60.0;
    return std::chrono::duration<double>(1.0 / hz);
}

// The pixel value a format stores for a colour, as the writers see it (little-endian).
uint32_t PixelValueOf(QImage::Format format, QRgb colour) {
    QImage probe(1, 1, format);
    probe.fill(QColor(colour));
    uint32_t value = 0;
    const uchar* bits = probe.constBits();
    for (int i = 0; i < probe.depth() / 8; ++i) value |= uint32_t(bits[i]) << (8 * i);
    return value;
}

// A channel's mask: the bits that full intensity sets and black leaves clear (RGB32 keeps
// its top byte set in every pixel).
uint32_t MaskOf(QImage::Format format, QRgb colour) {
    return PixelValueOf(format, colour) & ~PixelValueOf(format, qRgb(0, 0, 0));
}

bool FormatOfDepth(int depth, QImage::Format& format) {
    switch (depth) {
    case 8: format = QImage::Format_Indexed8; return true;
    case 15: format = QImage::Format_RGB555; return true;
    case 16: format = QImage::Format_RGB16; return true;
    case 24: // 24-bit colour is kept in 32-bit pixels, as the window's own backing store has it
    case 32: format = QImage::Format_RGB32; return true;
    default: return false;
    }
}

// The window's picture at the placement rule's scale, in device pixels so that it stays sharp
// on a high-density screen, with black bars around it.
void PaintWindowPicture(QWidget* widget, QPainter& painter) {
    const qreal ratio = widget->devicePixelRatioF();
    const int width = qRound(widget->width() * ratio), height = qRound(widget->height() * ratio);
    const SurfacePlacement place = PlacementRule
                                       ? PlacementRule(width, height, Image.width(), Image.height())
                                       : SurfacePlacement{0, 0, 1};
    const QRect target(place.x, place.y, Image.width() * place.scale, Image.height() * place.scale);
    painter.scale(1 / ratio, 1 / ratio);
    for (const QRect& bar : QRegion(0, 0, width, height).subtracted(target))
        painter.fillRect(bar, Qt::black);
    if (place.scale == 1) {
        painter.drawImage(target.topLeft(), Image);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, Image);
}

void ScreenWidget::paintEvent(QPaintEvent*) {
    if (!PresentPending && RepaintHandler) RepaintHandler();
    PresentPending = false;
    LastPaint = Clock::now();
    ++Paints;
    QPainter painter(this);
    if (Image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The window's rule in fullscreen too: at a whole-number scale every Spectrum row covers
    // the same number of screen rows, and the TV look darkens the same half of each.
    PaintWindowPicture(this, painter);
}

} // namespace

void AttachDesktopSurface(QMainWindow* window) {
    Window = window;
    Screen = new ScreenWidget;
    window->setCentralWidget(Screen);
    RefreshTimer = new QTimer(Screen);
    RefreshTimer->setSingleShot(true);
    RefreshTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(RefreshTimer, &QTimer::timeout, Screen, [] { Screen->update(); });
}

void SetSurfacePlacementRule(SurfacePlacement (*rule)(int, int, int, int)) {
    PlacementRule = rule;
    if (Screen) Screen->update();
}

uint64_t SurfacePaints() { return Paints; }

QWidget* DesktopScreenWidget() { return Screen; }

void SetSurfaceRepaintHandler(void (*handler)()) { RepaintHandler = handler; }

int DesktopDepth() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

bool SurfaceSetUp(bool fullscreen, int width, int height, int windowScale, SurfaceFormat& format) {
    if (!Window || !Screen) return false;
    int depth = fullscreen ? 8 : DesktopDepth();
    QImage::Format qtFormat;
    if (!FormatOfDepth(depth, qtFormat)) return false;
    if (depth == 24) depth = 32; // the writers see the 32-bit pixels the image has
    Image = QImage(width, height, qtFormat);
    if (Image.isNull()) return false;
    format = {width, height, uint8_t(depth), 0, 0, 0};
    if (depth == 8) {
        QList<QRgb> table(256, qRgb(0, 0, 0));
        for (int i = 0; i < 16; ++i) table[SurfacePaletteBase + i] = SurfaceColours[i];
        Image.setColorTable(table);
    } else {
        format.redMask = MaskOf(qtFormat, qRgb(255, 0, 0));
        format.greenMask = MaskOf(qtFormat, qRgb(0, 255, 0));
        format.blueMask = MaskOf(qtFormat, qRgb(0, 0, 255));
    }
    if (fullscreen) {
        Window->menuBar()->hide();
        Screen->setMinimumSize(0, 0);
        Screen->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Window->setMinimumSize(0, 0);
        Window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Screen->setCursor(Qt::BlankCursor);
        if (Window->isVisible())
            Window->showFullScreen();
        else
            Window->setWindowState(Qt::WindowFullScreen);
    } else {
        Screen->unsetCursor();
        if (Window->isFullScreen()) Window->showNormal();
        Window->setWindowState(Qt::WindowNoState);
        Window->menuBar()->show();
        // The picture area opens at the mode's scale and may be resized down to the picture.
        if (windowScale < 1) windowScale = 1;
        Screen->opening = QSize(width * windowScale, height * windowScale);
        Screen->setMinimumSize(width, height);
        Screen->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Screen->updateGeometry();
        Window->setMinimumSize(0, 0);
        Window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Window->resize(Window->sizeHint());
    }
    Screen->update();
    return true;
}

void SurfaceRelease() { Image = QImage(); }

uint8_t* SurfacePixels(int32_t& pitch) {
    if (Image.isNull()) return nullptr;
    pitch = int32_t(Image.bytesPerLine());
    return Image.bits();
}

bool SurfaceWantsFrame() {
    if (!Screen || !Screen->isVisible()) return false;
    // A present not painted for long (a minimised window gets no paints) no longer holds back.
    const auto sincePaint = Clock::now() - LastPaint;
    if (PresentPending && Clock::now() - PresentedAt < std::chrono::milliseconds(100)) return false;
    return sincePaint >= RefreshPeriod();
}

void SurfacePresent() {
    if (!Screen || !Screen->isVisible()) return;
    PresentPending = true;
    PresentedAt = Clock::now();
    if (RefreshTimer->isActive()) return; // a paint is already coming, and shows the latest
    const std::chrono::duration<double, std::milli> wait =
        RefreshPeriod() - (Clock::now() - LastPaint);
    if (wait.count() <= 0)
        Screen->update();
    else
        RefreshTimer->start(int(wait.count()) + 1);
}

void WaitForRetrace() {
    // No vertical blank reaches a raster window: wait for the next refresh of the screen's
    // reported rate, counted from a fixed origin so the waits do not drift.
    const auto period = RefreshPeriod();
    const auto now = Clock::now();
    const auto periods = std::chrono::duration<double>(now - RetraceOrigin) / period;
    const auto next =
        RetraceOrigin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            period * (long long)(periods + 1));
    std::this_thread::sleep_until(next);
}
