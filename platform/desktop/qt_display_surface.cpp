// The frame surface as a QImage in the desktop's own pixel format, painted 1:1 into the
// window, or as a palettised 640 x 480 image scaled by a whole number in fullscreen.
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
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

  protected:
    void paintEvent(QPaintEvent*) override;
};

QMainWindow* Window;
ScreenWidget* Screen;
QImage Image;
bool Fullscreen;
bool Presenting; // a paint that only shows what the surface holds
void (*RepaintHandler)() = nullptr;
std::chrono::steady_clock::time_point RetraceOrigin = std::chrono::steady_clock::now();

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
    case 24: format = QImage::Format_BGR888; return true; // bytes blue, green, red
    case 32: format = QImage::Format_RGB32; return true;
    default: return false;
    }
}

void ScreenWidget::paintEvent(QPaintEvent*) {
    if (!Presenting && RepaintHandler) RepaintHandler();
    QPainter painter(this);
    if (Image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (!Fullscreen) {
        painter.drawImage(0, 0, Image);
        return;
    }
    // The 640 x 480 picture at the largest whole multiple that fits, centred in black bars: every
    // Spectrum row then covers the same number of screen rows, and the TV look darkens the same
    // half of each. Only a screen smaller than the picture gets it shrunk.
    const int scale = std::min(width() / Image.width(), height() / Image.height());
    const QSize size =
        scale >= 1 ? Image.size() * scale : Image.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, Image);
}

} // namespace

void AttachDesktopSurface(QMainWindow* window) {
    Window = window;
    Screen = new ScreenWidget;
    window->setCentralWidget(Screen);
}

QWidget* DesktopScreenWidget() { return Screen; }

void SetSurfaceRepaintHandler(void (*handler)()) { RepaintHandler = handler; }

int DesktopDepth() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

bool SurfaceSetUp(bool fullscreen, int width, int height, SurfaceFormat& format) {
    if (!Window || !Screen) return false;
    const int depth = fullscreen ? 8 : DesktopDepth();
    QImage::Format qtFormat;
    if (!FormatOfDepth(depth, qtFormat)) return false;
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
    Fullscreen = fullscreen;
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
        // The picture area exactly width x height; the window is not resizable.
        Screen->setFixedSize(width, height);
        Window->setMinimumSize(0, 0);
        Window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Window->adjustSize();
        Window->setFixedSize(Window->sizeHint());
    }
    Screen->update();
    return true;
}

void SurfaceRelease() {
    Image = QImage();
    Fullscreen = false;
}

uint8_t* SurfacePixels(int32_t& pitch) {
    if (Image.isNull()) return nullptr;
    pitch = int32_t(Image.bytesPerLine());
    return Image.bits();
}

void SurfacePresent() {
    if (!Screen || !Screen->isVisible()) return;
    Presenting = true;
    Screen->repaint();
    Presenting = false;
}

void WaitForRetrace() {
    // No vertical blank reaches a raster window: wait for the next refresh of the screen's
    // reported rate, counted from a fixed origin so the waits do not drift.
    QScreen* screen = QGuiApplication::primaryScreen();
    double hz = screen ? screen->refreshRate() : 60.0;
    if (hz < 20.0 || hz > 500.0) hz = 60.0;
    const auto period = std::chrono::duration<double>(1.0 / hz);
    const auto now = std::chrono::steady_clock::now();
    const auto periods = std::chrono::duration<double>(now - RetraceOrigin) / period;
    const auto next =
        RetraceOrigin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            period * (long long)(periods + 1));
    std::this_thread::sleep_until(next);
}
