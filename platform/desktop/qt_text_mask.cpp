// The speed read-out's text through Qt's font engine: drawn white on black into a small image
// with antialiasing off, then read back as a mask.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstring>

#include "platform/text_mask.h"

namespace {

// A bold italic sans serif whose character cell is 22 pixels high (Liberation Sans has
// Arial's metrics).
QFont SpeedFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setItalic(true);
    font.setStyleStrategy(QFont::NoAntialias);
    for (int size = 22; size > 8; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= 22) break;
    }
    return font;
}

} // namespace

bool RenderSpeedText(const char* text, TextMaskRecord& mask) {
    static const QFont font = SpeedFont();
    static QImage canvas(TextMaskWidth, TextMaskHeight, QImage::Format_RGB32);
    const QString s = QString::fromLatin1(text);
    const QFontMetrics metrics(font);
    mask.width = std::min(metrics.horizontalAdvance(s), TextMaskWidth);
    mask.height = std::min(metrics.height(), TextMaskHeight);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.drawText(0, metrics.ascent(), s);
    }
    std::memset(mask.pixels, 0, sizeof mask.pixels);
    for (int y = 0; y < mask.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < mask.width; ++x) mask.pixels[y][x] = qRed(row[x]) > 127 ? 1 : 0;
    }
    return true;
}
