// The main window: a thin Qt shell that builds the menu from its table and turns Qt's events
// into calls of the program's own procedures (window_events.h, commands.h).
#pragma once
#include <QMainWindow>
#include <QMap>

class CaptionBar;
class QAction;
class QMenu;

class MainWindow : public QMainWindow {
  public:
    MainWindow();
    // Check marks and grey states from the program's state.
    void RefreshActions();
    void OpenMenuBarByKeyboard();
    QAction* ActionOf(uint16_t id) const { return actions.value(id, nullptr); }
    // The caption: the program's own while "Shaded Titles" is on in a window mode, else the
    // window manager's.
    void ApplyCaptionStyle();
    CaptionBar* Caption() const { return caption; }
    // Moves the window, at its new size, as little as needed to have it whole on its screen.
    void KeepOnScreen();

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void BuildMenu();
    bool HandleKey(QKeyEvent* e, bool down);
    void FollowActivation();
    void MenuClosed();

    QMap<uint16_t, QAction*> actions;
    QList<QMenu*> topMenus;
    CaptionBar* caption = nullptr; // made after the menu
    bool shadedCaption = false;
};

// The one main window, for the window services (null before it is made).
MainWindow* TheMainWindow();
