#include "app/caption_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWindow>
#include <vector>

#include "app/run_state.h"
#include "app/shaded_caption.h"

namespace {

QRect RectOf(const CaptionBox& b) {
    return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1));
}

QFont CaptionFont(const QWidget* w) {
    QFont font = w->font();
    font.setBold(true);
    return font;
}

} // namespace

CaptionBar::CaptionBar(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

int CaptionBar::CaptionHeight() const {
    const int h = QFontMetrics(CaptionFont(this)).height() + 8;
    return h < 20 ? 20 : h;
}

QString CaptionBar::ShownTitle() const {
    const int cx = height();
    const QRect text = RectOf(CaptionLayout(width(), height(), cx, cx).title);
    return QFontMetrics(CaptionFont(this))
        .elidedText(window()->windowTitle().left(255), Qt::ElideRight, text.width());
}

QImage CaptionBar::Compose() const {
    const int w = width(), h = height(), cx = h, cy = h; // square buttons the caption's height
    QImage image(w > 0 ? w : 1, h > 0 ? h : 1, QImage::Format_RGB32);
    const CaptionLayoutRecord layout = CaptionLayout(w, h, cx, cy);
    if (AppActive.load() && window()->isEnabled()) {
        const QColor c = palette().color(QPalette::Active, QPalette::Highlight);
        std::vector<CaptionColour> row(size_t(image.width()));
        ShadeCaptionRow(0, w, CaptionColour{c.red(), c.green(), c.blue()}, row.data(),
                        image.width());
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] = qRgb(row[x].r, row[x].g, row[x].b);
        }
    } else {
        image.fill(palette().color(QPalette::Inactive, QPalette::Highlight));
    }
    QPainter p(&image);
    const QRect icon = RectOf(layout.icon);
    window()->windowIcon().paint(&p, icon);
    const QStyle::StandardPixmap glyphs[3] = {
        QStyle::SP_TitleBarMinButton,
        window()->isMaximized() ? QStyle::SP_TitleBarNormalButton : QStyle::SP_TitleBarMaxButton,
        QStyle::SP_TitleBarCloseButton};
    const CaptionBox boxes[3] = {layout.minimise, layout.maximise, layout.close};
    for (int i = 0; i < 3; ++i) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = RectOf(boxes[i]);
        option.state |= pressed == i + 1 ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p, this);
        style()
            ->standardIcon(glyphs[i], &option, this)
            .paint(&p, option.rect.adjusted(2, 2, -2, -2));
    }
    p.setFont(CaptionFont(this));
    p.setPen(Qt::white);
    p.drawText(RectOf(layout.title), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               ShownTitle());
    return image;
}

void CaptionBar::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, Compose()); // one copy: the caption never flickers
}

int CaptionBar::ButtonAt(QPoint p) const {
    const CaptionLayoutRecord layout = CaptionLayout(width(), height(), height(), height());
    const CaptionBox boxes[3] = {layout.minimise, layout.maximise, layout.close};
    for (int i = 0; i < 3; ++i)
        if (RectOf(boxes[i]).contains(p)) return i + 1;
    return 0;
}

void CaptionBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed = ButtonAt(e->position().toPoint());
    if (pressed) {
        update();
        return;
    }
    dragFrom = e->globalPosition().toPoint();
    dragging = true;
}

void CaptionBar::mouseMoveEvent(QMouseEvent* e) {
    // The window manager's move starts only once the pointer is on its way: asked for on a
    // plain click, after the button is already up, it would wait for the next click with the
    // keyboard grabbed, and the window would neither run nor take keys meanwhile.
    if (!dragging || !(e->buttons() & Qt::LeftButton) ||
        (e->globalPosition().toPoint() - dragFrom).manhattanLength() <
            QApplication::startDragDistance())
        return;
    dragging = false;
    if (QWindow* handle = window()->windowHandle()) handle->startSystemMove();
}

void CaptionBar::mouseReleaseEvent(QMouseEvent* e) {
    dragging = false;
    const int button = pressed;
    pressed = 0;
    update();
    if (!button || ButtonAt(e->position().toPoint()) != button) return;
    QWidget* w = window();
    if (button == 1) w->showMinimized();
    if (button == 2) w->isMaximized() ? w->showNormal() : w->showMaximized();
    if (button == 3) w->close();
}

void CaptionBar::mouseDoubleClickEvent(QMouseEvent* e) {
    if (ButtonAt(e->position().toPoint())) return;
    QWidget* w = window();
    w->isMaximized() ? w->showNormal() : w->showMaximized();
}
