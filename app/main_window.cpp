#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <string>
#include <vector>

#include "app/caption_bar.h"
#include "app/commands.h"
#include "app/dialogs.h"
#include "app/display_modes.h"
#include "app/icons.h"
#include "app/menu_table.h"
#include "app/preferences.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "app/title.h"
#include "app/window_events.h"
#include "app/window_services.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/desktop/desktop_surface.h"
#include "platform/virtual_keys.h"

namespace {

MainWindow* Window;

NativeKeyCodes KeyCodesOfPlatform() {
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb") || name.startsWith(QLatin1String("wayland")))
        return NativeKeyCodes::X11;
    if (name == QLatin1String("windows")) return NativeKeyCodes::Windows;
    return NativeKeyCodes::None;
}

const char* const OpenFilters[] = {
    "All Spectrum Files (.sna;.z80;.tap;.tzx;.csw;.pzx;.wav;.raw) "
    "(*.sna *.z80 *.tap *.tzx *.csw *.pzx *.wav *.raw)",
    "Snapshot Files (.sna;.z80) (*.sna *.z80)",
    "Tape Files (.tap;.tzx;.csw;.pzx) (*.tap *.tzx *.csw *.pzx)",
    "WAV Tape Sample Files (.wav) (*.wav)",
    "RAW Tape Sample Files (.raw) (*.raw)",
    "All Files (*.*) (*)",
};
const char* const SaveFilters[] = {"Snapshot Files (.sna) (*.sna)",
                                   "Z80 Snapshot Files (.z80) (*.z80)"};
const char* const ScreenshotFilters[] = {"PNG Picture (.png) (*.png)",
                                         "Screen Memory (.scr) (*.scr)"};

template <size_t N> QStringList FilterList(const char* const (&filters)[N]) {
    QStringList list;
    for (const char* f : filters) list << QString::fromLatin1(f);
    return list;
}

QString SnapshotSuffix(const QString& filter) {
    return filter.contains(QLatin1String("*.z80")) && !filter.contains(QLatin1String("*.sna"))
               ? QStringLiteral("z80")
               : QStringLiteral("sna");
}

QString ScreenshotSuffix(const QString& filter) {
    return filter.contains(QLatin1String("*.scr")) ? QStringLiteral("scr") : QStringLiteral("png");
}

// The file dialogs share one description: owner, the name shown first, the chosen filter's
// extension added to a name without one, the first filter chosen.
bool RunFileDialog(const QString& caption, bool save, const QStringList& filters,
                   QString (*suffixOf)(const QString& filter), std::string& path) {
    QFileDialog dialog(Window, caption);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The descriptions name the extensions already: the patterns are not shown a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixOf(filters.first()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected,
        [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (!path.empty()) dialog.selectFile(QString::fromStdString(path));
    // A name of one of the types chooses that type's filter.
    for (const QString& filter : filters) {
        const QString suffix = suffixOf(filter);
        if (!save || !filter.contains(QLatin1String("*.") + suffix) ||
            !QString::fromStdString(path).endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
            continue;
        dialog.selectNameFilter(filter);
        dialog.setDefaultSuffix(suffix);
        break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().first().toStdString();
    return true;
}

} // namespace

MainWindow* TheMainWindow() { return Window; }

MainWindow::MainWindow() {
    Window = this;
    setWindowTitle(QStringLiteral("Wendal"));
    setWindowIcon(ProgramIcon());
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    resize(128, 128); // the screen mode gives the window its real size
    AttachDesktopSurface(this);
    BuildMenu();
    caption = new CaptionBar(this);
    caption->hide();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { FollowActivation(); });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this,
            [](QScreen* screen) { OnDepthChanged(screen ? screen->depth() : 0); });
}

void MainWindow::BuildMenu() {
    std::vector<QMenu*> open; // the menus being filled, innermost last
    for (int i = 0; i < AppMenuSize; ++i) {
        const MenuEntry& e = AppMenu[i];
        switch (e.kind) {
        case MenuEntryKind::Submenu: {
            const QString title = QString::fromLatin1(e.text);
            QMenu* menu = open.empty() ? menuBar()->addMenu(title) : open.back()->addMenu(title);
            if (open.empty()) topMenus << menu;
            connect(menu, &QMenu::aboutToShow, this, [] { OnMenuOpened(); });
            connect(menu, &QMenu::aboutToHide, this, [this] { MenuClosed(); });
            open.push_back(menu);
            break;
        }
        case MenuEntryKind::End: open.pop_back(); break;
        case MenuEntryKind::Separator: open.back()->addSeparator(); break;
        case MenuEntryKind::Item: {
            // The menu shows what follows the tab as the key hint, whatever the shortcut is.
            QAction* action = open.back()->addAction(QString::fromLatin1(e.text));
            const uint16_t id = e.id;
            if (e.accelerator) {
                action->setShortcut(QKeySequence(Qt::Key_F1 + (e.accelerator - VkF1)));
                action->setShortcutContext(Qt::WindowShortcut);
                addAction(action); // the keys also work while the bar is hidden in fullscreen
            }
            connect(action, &QAction::triggered, this, [id] { RunCommand(id); });
            actions.insert(id, action);
            break;
        }
        }
    }
}

void MainWindow::RefreshActions() {
    for (auto it = actions.begin(); it != actions.end(); ++it) {
        const bool checked = MenuItemChecked(it.key());
        it.value()->setCheckable(checked || it.value()->isCheckable());
        it.value()->setChecked(checked);
        it.value()->setEnabled(MenuItemEnabled(it.key()));
    }
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* action = actions.value(uint16_t(CmdRecentFile1 + i), nullptr);
        if (!action) continue;
        action->setText(QString::fromStdString(RecentFileMenuText(i)));
        action->setVisible(size_t(i) < RecentFiles.size());
    }
}

void MainWindow::OpenMenuBarByKeyboard() {
    if (topMenus.isEmpty()) return;
    if (menuBar()->isVisible()) {
        menuBar()->setActiveAction(topMenus.first()->menuAction());
        return;
    }
    // Fullscreen hides the bar: the same menus drop down from the top left corner.
    static QMenu* popup = nullptr;
    if (!popup) {
        popup = new QMenu(this);
        for (QMenu* m : topMenus) popup->addMenu(m);
        connect(popup, &QMenu::aboutToShow, this, [] { OnMenuOpened(); });
        connect(popup, &QMenu::aboutToHide, this, [this] { MenuClosed(); });
    }
    popup->popup(mapToGlobal(QPoint(0, 0)));
}

void MainWindow::MenuClosed() {
    OnMenuClosed();
    // Escape in a menu the bar opened closes the menu but leaves the bar holding the keyboard,
    // where the next Escape would only let go of it: once no menu is open, the keys come back
    // to the window, so every Escape opens the menu and no key goes to the bar unseen.
    QTimer::singleShot(0, this, [this] {
        if (!QApplication::activePopupWidget() && menuBar()->hasFocus()) setFocus();
    });
}

bool MainWindow::HandleKey(QKeyEvent* e, bool down) {
    if (e->isAutoRepeat()) return true;
    const uint8_t vk = VirtualKeyOfKeyEvent(KeyCodesOfPlatform(), e->nativeScanCode(),
                                            e->nativeVirtualKey(), e->key());
    if (!vk) return false;
    OnKey(vk, down, e->modifiers() & Qt::AltModifier);
    return true;
}

bool MainWindow::event(QEvent* e) {
    // Tab is a joystick fire button here, not the move to the next widget.
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab) {
        HandleKey(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress);
        return true;
    }
    return QMainWindow::event(e);
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    if (!HandleKey(e, true)) QMainWindow::keyPressEvent(e);
}

void MainWindow::keyReleaseEvent(QKeyEvent* e) {
    if (!HandleKey(e, false)) QMainWindow::keyReleaseEvent(e);
}

void MainWindow::focusOutEvent(QFocusEvent* e) {
    OnKeyboardLost();
    QMainWindow::focusOutEvent(e);
}

void MainWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange) FollowActivation();
    // The caption shows activation, the title and the maximise state as they change.
    if ((e->type() == QEvent::ActivationChange || e->type() == QEvent::WindowTitleChange ||
         e->type() == QEvent::EnabledChange || e->type() == QEvent::WindowStateChange) &&
        caption)
        caption->update();
    QMainWindow::changeEvent(e);
}

void MainWindow::FollowActivation() {
    // Qt tells of the application's state and of the window's activation in an order of its
    // own, each time with the other half of the state still old: read both as they stand, now
    // and once more after Qt has delivered everything that came with this change.
    OnWindowActivation(isActiveWindow(), QApplication::activeWindow() != nullptr);
    QTimer::singleShot(0, this, [this] {
        OnWindowActivation(isActiveWindow(), QApplication::activeWindow() != nullptr);
    });
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    if (caption) caption->setGeometry(0, 0, width(), caption->CaptionHeight());
    QMainWindow::resizeEvent(e);
}

void MainWindow::ApplyCaptionStyle() {
    const bool shaded = Preferences.shadedTitles && ScreenMode() != ScreenFullscreen;
    caption->update();
    if (shaded == shadedCaption) return;
    shadedCaption = shaded;
    const bool visible = isVisible();
    // Without the window manager's frame the caption strip sits above the menu bar, in the
    // window's top margin; the picture keeps its size below the bar.
    setWindowFlag(Qt::FramelessWindowHint, shaded); // hides the window
    setContentsMargins(0, shaded ? caption->CaptionHeight() : 0, 0, 0);
    caption->setGeometry(0, 0, width(), caption->CaptionHeight());
    caption->setVisible(shaded);
    if (ScreenMode() != ScreenFullscreen) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(sizeHint()); // the picture area the screen mode opens with
    }
    if (!visible) return;
    ScreenMode() == ScreenFullscreen ? showFullScreen() : show();
    activateWindow(); // the frame change took the window down; the user was working in it
}

void MainWindow::KeepOnScreen() {
    QScreen* display = screen();
    if (!display || isFullScreen() || !isVisible()) return;
    const QRect area = display->availableGeometry();
    // The frame the window manager adds is as thick as before the new size.
    const QRect frame = frameGeometry(), inner = geometry();
    const QSize outer(width() + frame.width() - inner.width(),
                      height() + frame.height() - inner.height());
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - outer.height()));
    if (x != frame.left() || y != frame.top()) move(x, y); // the frame's top left corner
}

void MainWindow::closeEvent(QCloseEvent* e) {
    CloseHelpWindows();
    RequestQuit(0);
    e->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

// The drop is finished before the file is loaded: a message box shown inside the drop would
// hold the program the file was dragged from until the box is closed.
void MainWindow::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    e->acceptProposedAction();
    // Dragged from another program, whose window stays active: the machine, which stops while
    // its window is inactive, would not load the file until the window was clicked.
    raise();
    activateWindow();
    const std::string path = urls.first().toLocalFile().toStdString();
    const qsizetype others = urls.size() - 1;
    QTimer::singleShot(0, this, [path, others] {
        if (OpenChosenFile(path) && others > 0)
            ShowMessage("Only one file is loaded at a time.",
                        FileTitle(path) + " was loaded; " +
                            (others == 1
                                 ? std::string("the other file was not.")
                                 : "the other " + std::to_string(others) + " files were not."));
    });
}

// ---- The window services ------------------------------------------------------------------

void SetWindowTitleText(const std::string& title) {
    if (Window) Window->setWindowTitle(QString::fromStdString(title));
}

void ShowMessage(const char* text, const std::string& detail) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Wendal"), QString::fromLatin1(text),
                    QMessageBox::Ok, Window);
    if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

bool AskOpenFileName(std::string& path) {
    return RunFileDialog(QStringLiteral("Open Snapshot / Tape"), false, FilterList(OpenFilters),
                         SnapshotSuffix, path);
}
bool AskSaveFileName(std::string& path) {
    return RunFileDialog(QStringLiteral("Save Snapshot As"), true, FilterList(SaveFilters),
                         SnapshotSuffix, path);
}
bool AskScreenshotFileName(std::string& path) {
    return RunFileDialog(QStringLiteral("Save Screenshot As"), true, FilterList(ScreenshotFilters),
                         ScreenshotSuffix, path);
}

void RefreshMenu() {
    if (Window) Window->RefreshActions();
}

void OpenMenuBar() {
    if (Window) Window->OpenMenuBarByKeyboard();
}

void CloseMainWindow() {
    if (Window) Window->close();
}

void UpdateCaptionStyle() {
    if (Window) Window->ApplyCaptionStyle();
}

void KeepWindowOnScreen() {
    if (Window) Window->KeepOnScreen();
}
