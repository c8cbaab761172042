#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <cstring>

// Each icon is drawn on a 32 x 32 grid and scaled.

// A black keyboard wedge with the four colour stripes across its right corner.
static void DrawAppIcon(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 24));
    QPainterPath body;
    body.addRoundedRect(QRectF(1, 6, 30, 20), 3, 3);
    p.drawPath(body);
    p.setClipPath(body); // the stripes run off the corner, not off the case
    const QColor stripes[4] = {QColor(220, 0, 0), QColor(240, 200, 0), QColor(0, 180, 0),
                               QColor(0, 170, 220)};
    for (int i = 0; i < 4; ++i) {
        QPainterPath band;
        const double x = 17 + i * 3.5;
        band.moveTo(x, 26);
        band.lineTo(x + 3.5, 26);
        band.lineTo(x + 3.5 + 6, 16);
        band.lineTo(x + 6, 16);
        band.closeSubpath();
        p.setBrush(stripes[i]);
        p.drawPath(band);
    }
    p.setBrush(QColor(200, 200, 200));
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 5 - row; ++k) p.drawRect(QRectF(3 + k * 3 + row, 9 + row * 4, 2, 2));
}

// A stick on a base with a red knob and a fire button.
static void DrawJoystickIcon(QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(4, 21, 24, 8), 3, 3);
    p.setBrush(QColor(120, 120, 130));
    p.drawRect(QRectF(15, 9, 3, 13));
    p.setBrush(QColor(210, 20, 20));
    p.drawEllipse(QRectF(11, 2, 11, 10));
    p.drawEllipse(QRectF(6, 23, 5, 4));
}

// A loudspeaker with two sound waves.
static void DrawSoundIcon(QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(70, 70, 90));
    QPainterPath cone;
    cone.moveTo(3, 12);
    cone.lineTo(9, 12);
    cone.lineTo(17, 5);
    cone.lineTo(17, 27);
    cone.lineTo(9, 20);
    cone.lineTo(3, 20);
    cone.closeSubpath();
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 120, 200), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(13, 10, 8, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(13, 5, 14, 22), -50 * 16, 100 * 16);
}

QPixmap ProgramIconPixmap(const char* name, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    if (!std::strcmp(name, "AppIcon")) DrawAppIcon(p);
    if (!std::strcmp(name, "130")) DrawJoystickIcon(p);
    if (!std::strcmp(name, "135")) DrawSoundIcon(p);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(ProgramIconPixmap("AppIcon", size));
    return icon;
}
