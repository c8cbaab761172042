// The caption the program draws itself when "Shaded Titles" is on in a window mode: the
// shading, the small icon, minimise, maximise or restore, close, and the title. Dragging it
// moves the window; a click on it does nothing.
#pragma once
#include <QWidget>

class CaptionBar : public QWidget {
  public:
    explicit CaptionBar(QWidget* window);
    // The height of the strip: the caption font's line and a margin.
    int CaptionHeight() const;
    // The window's title as it fits between the icon and the minimise button.
    QString ShownTitle() const;
    // The caption as painted, composed off-screen.
    QImage Compose() const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    int ButtonAt(QPoint p) const; // 1 minimise, 2 maximise, 3 close, 0 none
    int pressed = 0;
    QPoint dragFrom;       // where the pointer went down on the caption, in screen pixels
    bool dragging = false; // held down there, the window manager's move not asked for yet
};
