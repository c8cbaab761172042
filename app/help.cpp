// The manual: HTML pages compiled into the program, shown in help windows of their own that
// belong to no other window, so they stay usable beside a dialog and close with the main window.
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/icons.h"
#include "app/keyboard_picture.h"

// The pages live in the app's library, whose resource registration the linker may drop.
static void InitHelpResources() { Q_INIT_RESOURCE(resources); }

namespace {

struct HelpEntry {
    const char* text;
    const char* page; // under qrc:/help/, with an anchor where one helps
};

const HelpEntry Contents[] = {
    {"Wendal", "contents.html"},
    {"Typing on the Spectrum", "keyboard.html"},
    {"Loading snapshots, tapes and recordings", "loading.html"},
    {"The 48K, the 128K and the +2", "machines.html"},
    {"Joysticks", "joysticks.html"},
    {"The menu commands", "menus.html"},
    {"Settings and the dialogs", "settings.html"},
    {"Speed and the performance warning", "performance.html"},
};

const HelpEntry Index[] = {
    {"+2", "machines.html"},
    {"128 BASIC", "machines.html"},
    {"128K", "machines.html"},
    {"48 BASIC", "machines.html"},
    {"48K", "machines.html"},
    {"Alt+Enter", "menus.html"},
    {"Backspace (DELETE)", "keyboard.html"},
    {"BREAK", "keyboard.html"},
    {"Buffers", "settings.html#sound"},
    {"CAPS SHIFT", "keyboard.html"},
    {"CSW recordings (.csw)", "loading.html#tzx"},
    {"Ctrl (SYMBOL SHIFT)", "keyboard.html"},
    {"Cursor joystick", "joysticks.html"},
    {"Cursor keys", "joysticks.html"},
    {"Eject", "loading.html#tapecontrol"},
    {"Escape", "keyboard.html"},
    {"Extended mode", "keyboard.html"},
    {"Fullscreen", "menus.html"},
    {"Game controller", "joysticks.html"},
    {"Kempston joystick", "joysticks.html"},
    {"Keywords", "keyboard.html"},
    {"LOAD \"\"", "loading.html#tapes"},
    {"Machine", "machines.html"},
    {"Open Snapshot/Tape", "loading.html"},
    {"Paused", "menus.html"},
    {"Performance warning", "performance.html"},
    {"Poke Memory", "settings.html#poke"},
    {"Preferences", "settings.html#preferences"},
    {"PZX tapes (.pzx)", "loading.html#tzx"},
    {"Recordings (.wav, .raw)", "loading.html#recordings"},
    {"Reset Spectrum", "menus.html"},
    {"Rewind", "loading.html#tapecontrol"},
    {"Sampling frequency", "loading.html#recordings"},
    {"Save Snapshot", "loading.html#snapshots"},
    {"Screen modes", "menus.html"},
    {"Shaded title bar", "settings.html#preferences"},
    {"Shift (CAPS SHIFT)", "keyboard.html"},
    {"Snapshots (.sna, .z80)", "loading.html#snapshots"},
    {"Sound", "menus.html"},
    {"Sound Settings", "settings.html#sound"},
    {"Speed", "menus.html"},
    {"Speed Display", "menus.html"},
    {"Tab (fire)", "joysticks.html"},
    {"Tape Control", "loading.html#tapecontrol"},
    {"Tape images (.tap)", "loading.html#tapes"},
    {"Tape Loader", "machines.html"},
    {"Tape Volume", "settings.html#sound"},
    {"Turbo loaders", "loading.html#tzx"},
    {"USR 0", "machines.html"},
    {"TZX tapes (.tzx)", "loading.html#tzx"},
    {"Volume", "settings.html#sound"},
    {"Warnings", "performance.html"},
    {"Z80 snapshots (.z80)", "loading.html#snapshots"},
};

QUrl PageUrl(const char* page) { return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(page)); }

QPointer<QWidget> TopicsWindow, KeyboardWindow, PerformanceWindow;

void FillList(QListWidget* list, const HelpEntry* entries, int count) {
    for (int i = 0; i < count; ++i) {
        auto* item = new QListWidgetItem(QString::fromLatin1(entries[i].text), list);
        item->setData(Qt::UserRole, PageUrl(entries[i].page));
    }
}

// The manual with its contents and its index beside the page.
QWidget* MakeTopicsWindow() {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("HelpTopics"));
    window->setWindowTitle(QStringLiteral("Wendal Help"));
    auto* browser = new QTextBrowser;
    browser->setObjectName(QStringLiteral("HelpPage"));
    auto* contents = new QListWidget;
    contents->setObjectName(QStringLiteral("HelpContents"));
    FillList(contents, Contents, int(std::size(Contents)));
    auto* indexPane = new QWidget;
    auto* filter = new QLineEdit;
    filter->setPlaceholderText(QStringLiteral("Type the first letters of a word"));
    auto* index = new QListWidget;
    index->setObjectName(QStringLiteral("HelpIndex"));
    FillList(index, Index, int(std::size(Index)));
    auto* indexLayout = new QVBoxLayout(indexPane);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(filter);
    indexLayout->addWidget(index);
    auto* tabs = new QTabWidget;
    tabs->addTab(contents, QStringLiteral("Contents"));
    tabs->addTab(indexPane, QStringLiteral("Index"));
    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    // The contents pane as wide as its longest title, with room for a scroll bar.
    const int pane = contents->sizeHintForColumn(0) + 2 * contents->frameWidth() +
                     contents->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24;
    tabs->setMinimumWidth(pane);
    splitter->setSizes({pane, 530});
    auto* layout = new QHBoxLayout(window);
    layout->addWidget(splitter);
    auto open = [browser](QListWidgetItem* item) {
        if (item) browser->setSource(item->data(Qt::UserRole).toUrl());
    };
    QObject::connect(contents, &QListWidget::itemClicked, open);
    QObject::connect(contents, &QListWidget::itemActivated, open);
    QObject::connect(index, &QListWidget::itemClicked, open);
    QObject::connect(index, &QListWidget::itemActivated, open);
    QObject::connect(filter, &QLineEdit::textChanged, [index](const QString& text) {
        for (int i = 0; i < index->count(); ++i) {
            QListWidgetItem* item = index->item(i);
            if (item->text().startsWith(text, Qt::CaseInsensitive)) {
                index->setCurrentItem(item);
                index->scrollToItem(item, QAbstractItemView::PositionAtTop);
                return;
            }
        }
    });
    QObject::connect(filter, &QLineEdit::returnPressed,
                     [index, open] { open(index->currentItem()); });
    browser->setSource(PageUrl("contents.html"));
    window->resize(pane + 560, 520);
    return window;
}

// A page on its own, for the secondary windows.
QWidget* MakePageWindow(const char* name, const char* title, const char* page) {
    auto* browser = new QTextBrowser;
    browser->setObjectName(QLatin1String(name));
    browser->setWindowTitle(QLatin1String(title));
    browser->setSource(PageUrl(page));
    browser->resize(520, 400);
    return browser;
}

void Show(QPointer<QWidget>& slot, QWidget* (*make)()) {
    InitHelpResources();
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        slot->setWindowIcon(ProgramIcon());
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), slot);
        escape->setContext(Qt::WindowShortcut);
        QObject::connect(escape, &QShortcut::activated, slot.data(), &QWidget::close);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

} // namespace

void ShowHelpTopics() { Show(TopicsWindow, MakeTopicsWindow); }

void ShowSpectrumKeyboard() {
    Show(KeyboardWindow, [] {
        auto* picture = new KeyboardPicture;
        // Whole on the screen, with room for the window manager's frame.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            picture->resize(picture->FittedSize(screen->availableGeometry().size() * 9 / 10));
        return static_cast<QWidget*>(picture);
    });
}

void ShowPerformanceHelp() {
    Show(PerformanceWindow,
         [] { return MakePageWindow("PerformanceHelp", "Performance", "performance.html"); });
}

void CloseHelpWindows() {
    for (QPointer<QWidget>* slot : {&TopicsWindow, &KeyboardWindow, &PerformanceWindow})
        if (*slot) delete slot->data();
}
