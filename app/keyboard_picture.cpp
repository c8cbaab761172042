#include "app/keyboard_picture.h"

#include <QPainter>
#include <algorithm>

const SpectrumKeyLegend SpectrumKeys[40] = {
    {"1", "", "!", "EDIT", "DEF FN"},       {"2", "", "@", "CAPS LOCK", "FN"},
    {"3", "", "#", "TRUE VIDEO", "LINE"},   {"4", "", "$", "INV. VIDEO", "OPEN #"},
    {"5", "", "%", "\u2190", "CLOSE #"},    {"6", "", "&", "\u2193", "MOVE"},
    {"7", "", "'", "\u2191", "ERASE"},      {"8", "", "(", "\u2192", "POINT"},
    {"9", "", ")", "GRAPHICS", "CAT"},      {"0", "", "_", "DELETE", "FORMAT"},
    {"Q", "PLOT", "<=", "SIN", "ASN"},      {"W", "DRAW", "<>", "COS", "ACS"},
    {"E", "REM", ">=", "TAN", "ATN"},       {"R", "RUN", "<", "INT", "VERIFY"},
    {"T", "RAND", ">", "RND", "MERGE"},     {"Y", "RETURN", "AND", "STR$", "["},
    {"U", "IF", "OR", "CHR$", "]"},         {"I", "INPUT", "AT", "CODE", "IN"},
    {"O", "POKE", ";", "PEEK", "OUT"},      {"P", "PRINT", "\"", "TAB", "\u00a9"},
    {"A", "NEW", "STOP", "READ", "~"},      {"S", "SAVE", "NOT", "RESTORE", "|"},
    {"D", "DIM", "STEP", "DATA", "\\"},     {"F", "FOR", "TO", "SGN", "{"},
    {"G", "GO TO", "THEN", "ABS", "}"},     {"H", "GO SUB", "\u2191", "SQR", "CIRCLE"},
    {"J", "LOAD", "-", "VAL", "VAL$"},      {"K", "LIST", "+", "LEN", "SCREEN$"},
    {"L", "LET", "=", "USR", "ATTR"},       {"ENTER", "", "", "", ""},
    {"CAPS\nSHIFT", "", "", "", ""},        {"Z", "COPY", ":", "LN", "BEEP"},
    {"X", "CLEAR", "\u00a3", "EXP", "INK"}, {"C", "CONT", "?", "LPRINT", "PAPER"},
    {"V", "CLS", "/", "LLIST", "FLASH"},    {"B", "BORDER", "*", "BIN", "BRIGHT"},
    {"N", "NEXT", ",", "INKEY$", "OVER"},   {"M", "PAUSE", ".", "PI", "INVERSE"},
    {"SYMBOL\nSHIFT", "", "", "", ""},      {"BREAK\nSPACE", "", "", "", ""},
};

namespace {
constexpr int KeyWidth = 66, KeyHeight = 40, Pitch = 74, RowPitch = 78, Margin = 12;
constexpr int RowIndent[4] = {0, 18, 27, 0}; // the rows are staggered as on the machine
} // namespace

KeyboardPicture::KeyboardPicture() {
    setWindowTitle(QStringLiteral("Spectrum Keyboard"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize KeyboardPicture::sizeHint() const {
    return QSize(2 * Margin + 27 + 10 * Pitch, 2 * Margin + 4 * RowPitch);
}

QSize KeyboardPicture::FittedSize(QSize available) const {
    const QSize natural = sizeHint();
    return natural.scaled(natural.boundedTo(available), Qt::KeepAspectRatio);
}

void KeyboardPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(rect(), QColor(20, 20, 20));
    // Drawn at its natural size, scaled to the window with its proportions kept and centred.
    const QSize natural = sizeHint();
    const double scale =
        std::min(double(width()) / natural.width(), double(height()) / natural.height());
    p.translate((width() - natural.width() * scale) / 2, (height() - natural.height() * scale) / 2);
    p.scale(scale, scale);
    QFont small = font();
    small.setPixelSize(9);
    small.setBold(true);
    QFont big = font();
    big.setPixelSize(16);
    big.setBold(true);
    const QColor green(40, 200, 60), red(230, 40, 40), white(240, 240, 240);
    for (int i = 0; i < 40; ++i) {
        const SpectrumKeyLegend& k = SpectrumKeys[i];
        const int row = i / 10, column = i % 10;
        const int x = Margin + RowIndent[row] + column * Pitch, y = Margin + row * RowPitch + 12;
        p.setFont(small);
        p.setPen(green);
        p.drawText(QRect(x - 4, y - 12, KeyWidth + 8, 11), Qt::AlignCenter,
                   QString::fromUtf8(k.above));
        p.setPen(red);
        p.drawText(QRect(x - 4, y + KeyHeight + 1, KeyWidth + 8, 11), Qt::AlignCenter,
                   QString::fromUtf8(k.below));
        p.setPen(QColor(90, 90, 90));
        p.setBrush(QColor(55, 55, 60));
        p.drawRoundedRect(QRect(x, y, KeyWidth, KeyHeight), 4, 4);
        const QString name = QString::fromUtf8(k.key);
        if (name.size() > 1) { // the named keys carry their name only
            p.setPen(white);
            p.drawText(QRect(x, y, KeyWidth, KeyHeight), Qt::AlignCenter, name);
            continue;
        }
        p.setFont(big);
        p.setPen(white);
        p.drawText(QRect(x + 4, y + 2, 20, 20), Qt::AlignLeft | Qt::AlignTop, name);
        p.setFont(small);
        p.setPen(red);
        p.drawText(QRect(x + 24, y + 3, KeyWidth - 27, 14), Qt::AlignRight | Qt::AlignTop,
                   QString::fromUtf8(k.symbol));
        p.setPen(white);
        p.drawText(QRect(x + 2, y + KeyHeight - 15, KeyWidth - 4, 13), Qt::AlignCenter,
                   QString::fromUtf8(k.keyword));
    }
}
