// The manual: its windows, every contents and index entry leading to a page that exists, and
// the keyboard picture's keys.
#include <QFile>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <set>

#include "app/dialogs.h"
#include "app/keyboard_picture.h"
#include "app/menu_table.h"
#include "app_harness.h"

namespace {

QWidget* VisibleWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    return nullptr;
}

// Opens every entry of a list in the browser; each must show its page, and its anchor must be
// one the page has.
void EveryEntryShowsItsPage(QListWidget* list, QTextBrowser* browser) {
    ASSERT_GT(list->count(), 0);
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        emit list->itemClicked(item);
        const QUrl url = item->data(Qt::UserRole).toUrl();
        EXPECT_EQ(browser->source().path(), url.path()) << item->text().toStdString();
        EXPECT_FALSE(browser->document()->toPlainText().trimmed().isEmpty())
            << item->text().toStdString();
        if (url.hasFragment()) {
            QFile page(QStringLiteral(":") + url.path());
            ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << url.path().toStdString();
            EXPECT_TRUE(page.readAll().contains("name=\"" + url.fragment().toUtf8() + "\""))
                << url.toString().toStdString();
        }
    }
}

} // namespace

TEST_F(AppFixture, HelpTopicsOpenTheManualAtItsContentsAndIndex) {
    RunCommand(CmdHelpTopics);
    QWidget* topics = VisibleWindow("HelpTopics");
    ASSERT_NE(topics, nullptr);
    auto* browser = topics->findChild<QTextBrowser*>("HelpPage");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->documentTitle().toStdString(), "Wendal Help");
    auto* contents = topics->findChild<QListWidget*>("HelpContents");
    EXPECT_GE(contents->viewport()->width(), contents->sizeHintForColumn(0)); // titles whole
    EveryEntryShowsItsPage(contents, browser);
    EveryEntryShowsItsPage(topics->findChild<QListWidget*>("HelpIndex"), browser);

    // A second request shows the same window again.
    RunCommand(CmdHelpTopics);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows += w->objectName() == QLatin1String("HelpTopics");
    EXPECT_EQ(windows, 1);

    RunCommand(CmdSpectrumKeyboard);
    ShowPerformanceHelp();
    QWidget* keyboard = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<KeyboardPicture*>(w) && w->isVisible()) keyboard = w;
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->windowTitle().toStdString(), "Spectrum Keyboard");
    auto* perf = qobject_cast<QTextBrowser*>(VisibleWindow("PerformanceHelp"));
    ASSERT_NE(perf, nullptr);
    EXPECT_TRUE(perf->toPlainText().contains("not enough Video RAM"));

    CloseHelpWindows(); // as when the main window closes
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VisibleWindow("HelpTopics"), nullptr);
    EXPECT_EQ(VisibleWindow("PerformanceHelp"), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(dynamic_cast<KeyboardPicture*>(w) && w->isVisible());
}

TEST(KeyboardPicture, FortyKeysEachLetterAndDigitOnce) {
    std::multiset<std::string> keys;
    for (const SpectrumKeyLegend& k : SpectrumKeys) keys.insert(k.key);
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(keys.count(std::string(1, c)), 1u) << c;
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(keys.count(std::string(1, c)), 1u) << c;
    EXPECT_EQ(keys.size(), 40u);
    // The rows as on the machine: digits, then Q, A and CAPS SHIFT at the left.
    EXPECT_STREQ(SpectrumKeys[0].key, "1");
    EXPECT_STREQ(SpectrumKeys[10].key, "Q");
    EXPECT_STREQ(SpectrumKeys[20].key, "A");
    EXPECT_STREQ(SpectrumKeys[29].key, "ENTER");
    EXPECT_STREQ(SpectrumKeys[31].key, "Z");
    EXPECT_STREQ(SpectrumKeys[19].keyword, "PRINT");
    EXPECT_STREQ(SpectrumKeys[26].keyword, "LOAD");
}

// The picture fits the screen whole, its keys in their own proportions (the key faces' bounding
// box is 759 x 274 when drawn at its natural size), and Escape closes every help window.
TEST_F(AppFixture, KeyboardPictureFitsTheScreenAndHelpClosesWithEscape) {
    RunCommand(CmdSpectrumKeyboard);
    QWidget* keyboard = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<KeyboardPicture*>(w) && w->isVisible()) keyboard = w;
    ASSERT_NE(keyboard, nullptr);
    const QRect screen = keyboard->screen()->availableGeometry();
    EXPECT_LE(keyboard->width(), screen.width());
    EXPECT_LE(keyboard->height(), screen.height());
    const QImage image = keyboard->grab().toImage();
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(55, 55, 60)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0);
    EXPECT_GT(left, 0);
    EXPECT_LT(right, image.width() - 1); // BREAK SPACE is not cut off
    EXPECT_LT(bottom, image.height() - 1);
    EXPECT_NEAR(double(right - left) / double(bottom - top), 759.0 / 274.0, 0.05);

    RunCommand(CmdHelpTopics);
    ShowPerformanceHelp();
    for (const char* name : {"HelpTopics", "PerformanceHelp"}) {
        QWidget* w = VisibleWindow(name);
        ASSERT_NE(w, nullptr) << name;
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_EQ(VisibleWindow(name), nullptr) << name;
    }
    QApplication::setActiveWindow(keyboard);
    QTest::keyClick(keyboard, Qt::Key_Escape);
    EXPECT_FALSE(keyboard->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
