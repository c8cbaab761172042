// The main window as a person uses it: the menu and its keys, the screen modes, files opened
// and refused, the title, and the PC keys reaching the Spectrum's keyboard.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "app/display_modes.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/preferences.h"
#include "app/speed_display.h"
#include "app/startup.h"
#include "app/title.h"
#include "app/window_events.h"
#include "app_harness.h"
#include "core/machine.h"
#include "display/colour_map.h"
#include "display/screen_shadow.h"
#include "display/screen_text.h"
#include "media/builtin_rom.h"
#include "media/rom.h"
#include "peripherals/beeper.h"
#include "peripherals/ports.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/desktop/desktop_surface.h"
#include "platform/display_surface.h"
#include "platform/keyboard_state.h"
#include "platform/virtual_keys.h"

namespace {

std::string DataFile(const char* name) {
    return std::string(WENDAL_TEST_BINARY_DIR) + "/data/" + name;
}

bool KeyReadDown(uint8_t vk) {
    uint8_t keys[VirtualKeyCount];
    ReadKeyboardState(keys);
    return keys[vk] & 0x80;
}

void SendKey(QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(TheMainWindow(), &e);
}

} // namespace

TEST(MenuTable, EveryCommandOnceWithItsFunctionKey) {
    std::set<int> ids;
    std::map<int, int> keys; // function key number -> command
    int depth = 0, topMenus = 0;
    for (int i = 0; i < AppMenuSize; ++i) {
        const MenuEntry& e = AppMenu[i];
        if (e.kind == MenuEntryKind::Submenu) topMenus += depth++ == 0;
        if (e.kind == MenuEntryKind::End) --depth;
        ASSERT_GE(depth, 0);
        if (e.kind != MenuEntryKind::Item) continue;
        EXPECT_TRUE(ids.insert(e.id).second) << e.id;
        const std::string text = e.text, hint = text.substr(text.find('\t') + 1);
        if (e.accelerator) {
            const int n = e.accelerator - VkF1 + 1;
            EXPECT_TRUE(keys.emplace(n, e.id).second);
            EXPECT_EQ(hint, "F" + std::to_string(n)) << text; // the hint names the real key
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(topMenus, 3);
    EXPECT_EQ(ids.size(), 38u);
    const std::map<int, int> expected = {{1, 57601},  {2, 57603},  {3, 40015}, {5, 40008},
                                         {6, 40009},  {7, 40031},  {8, 40010}, {9, 40012},
                                         {10, 40013}, {11, 40014}, {12, 40011}};
    EXPECT_EQ(keys, expected);
}

TEST_F(AppFixture, TheWindowCarriesTheTableTextsAndShortcuts) {
    QAction* open = TheMainWindow()->ActionOf(CmdOpen);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text().toStdString(), "&Open Snapshot/Tape...\tF1");
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(TheMainWindow()->ActionOf(CmdFullscreenTv)->text().toStdString(),
              "Fullscreen (&TV) \tF7");
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdExit)->shortcut().isEmpty());
}

TEST_F(AppFixture, ScreenModesSizeThePictureAndMoveTheCheckMark) {
    QWidget* screen = DesktopScreenWidget();
    EXPECT_EQ(screen->size(), QSize(320, 240));
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdWindow1x1)->isChecked());
    RunCommand(CmdWindow2x2);
    EXPECT_EQ(screen->size(), QSize(640, 480));
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdWindow2x2)->isChecked());
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdWindow1x1)->isChecked());

    RunCommand(CmdFullscreenMonitor);
    EXPECT_EQ(DisplayMode, ModeFullscreen);
    int32_t pitch = 0;
    const uint8_t* before = SurfacePixels(pitch);
    RunCommand(CmdFullscreenTv); // already fullscreen: only the look and the mark change
    EXPECT_EQ(SurfacePixels(pitch), before);
    EXPECT_TRUE(FullscreenTv);
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdFullscreenTv)->isChecked());
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdFullscreenMonitor)->isChecked());
    RenderFrame();
    // The TV look: every second row of the 640 x 480 picture is black.
    std::memset(BorderLog.bands, 7, sizeof BorderLog.bands);
    InvalidateScreen();
    RenderFrame();
    const uint8_t* pixels = SurfacePixels(pitch);
    for (int x = 0; x < 640; x += 7) ASSERT_EQ(pixels[pitch * 101 + x] % 10, 0) << x;
    EXPECT_EQ(pixels[pitch * 100 + 5], 10 + 7); // white border, colour 7 at entry 17
    // On the screen every Spectrum row covers as many lit rows as black ones: a whole-number
    // scale, whatever the screen's size.
    TheMainWindow()->resize(1024, 768); // a screen of 768 lines: 1.6 times the picture
    const QImage shown = DesktopScreenWidget()->grab().toImage();
    int border = 0; // a column of the left border, right of the black bar
    while (border < shown.width() && qGray(shown.pixel(border, shown.height() / 2)) == 0 &&
           qGray(shown.pixel(border, shown.height() / 2 + 1)) == 0)
        ++border;
    border += 4;
    std::vector<int> runs{0};
    bool lit = false;
    for (int y = 0; y < shown.height(); ++y) {
        const bool now = qGray(shown.pixel(border, y)) > 0;
        if (now != lit && runs.back() > 0) runs.push_back(0);
        lit = now;
        ++runs.back();
    }
    ASSERT_GT(runs.size(), 400u); // the bars above and below, and 240 lit and black pairs
    for (size_t i = 2; i + 2 < runs.size(); ++i) ASSERT_EQ(runs[i], runs[1]) << "run " << i;

    OnKey(VkEnter, true, true); // Alt+Enter, Alt let go first
    OnKey(VkEnter, false, false);
    EXPECT_EQ(DisplayMode, ModeWindow);
}

TEST_F(AppFixture, TheLargerWindowStaysWholeOnTheScreen) {
    MainWindow* w = TheMainWindow();
    const QRect area = w->screen()->availableGeometry();
    w->move(area.left() + 10, area.bottom() - 300);
    RunCommand(CmdWindow2x2);
    EXPECT_TRUE(area.contains(w->frameGeometry())) << w->frameGeometry().y();
}

TEST_F(AppFixture, SpeedReadoutIsWhiteInTheCornerOnlyWhileOn) {
    for (int i = 0; i < SpeedHistorySize; ++i) RecordSpeed(100);
    auto whiteInCorner = [] {
        RenderFrame();
        int32_t pitch = 0;
        const uint8_t* p = SurfacePixels(pitch);
        int white = 0;
        for (int y = 216; y < 240; ++y)
            for (int x = 240; x < 320; ++x) white += p[y * pitch + x * 4] == 0xFF;
        return white;
    };
    EXPECT_GT(whiteInCorner(), 40); // "  100%" at 22 pixels
    RunCommand(CmdSpeedDisplay);
    EXPECT_FALSE(SpeedDisplay);
    EXPECT_EQ(whiteInCorner(), 0); // the border under it is repainted
    RunCommand(CmdSpeedDisplay);
}

// At Maximum the figure grows digits; back at True the corner must show what a fresh frame with
// the new figure shows, with no trace of the wider one, in both window sizes.
TEST_F(AppFixture, SpeedReadoutLeavesNoTraceOfAWiderFigure) {
    auto frameShowing = [](uint32_t percent, bool fresh) {
        for (int i = 0; i < SpeedHistorySize; ++i) RecordSpeed(percent);
        if (fresh) InvalidateScreen();
        RenderFrame();
        int32_t pitch = 0;
        const uint8_t* p = SurfacePixels(pitch);
        return std::vector<uint8_t>(p, p + size_t(pitch) * size_t(FrameHeight));
    };
    for (uint8_t mode : {ModeWindow, ModeDoubleWindow}) {
        SelectWindowMode(mode);
        frameShowing(8074000, false); // wider than any strip the writers had
        const std::vector<uint8_t> after = frameShowing(100, false);
        EXPECT_TRUE(after == frameShowing(100, true)) << "window mode " << int(mode);
    }
}

TEST_F(AppFixture, GreyedCommandsAreNotCarriedOut) {
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdTapeControl)->isEnabled());
    const bool had = SoundAvailable;
    SoundAvailable = false;
    const uint8_t on = SoundOn;
    RunCommand(CmdSound);
    EXPECT_EQ(SoundOn, on);
    SoundAvailable = had;
    RunCommand(CmdSpeedMaximum);
    EXPECT_TRUE(MenuItemChecked(CmdSpeedMaximum));
    EXPECT_FALSE(MenuItemChecked(CmdSpeedTrue));
}

TEST_F(AppFixture, OpenedFilesSetTheTitleAndTheTrap) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello.tap")));
    EXPECT_EQ(TitleName, "hello.tap");
    EXPECT_EQ(TheMainWindow()->windowTitle().toStdString(), "hello.tap - Wendal");
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdTapeControl)->isEnabled());
    EXPECT_EQ(Machine.memory[TapeTrapAddress], 0xED);

    ModalCatcher box;
    box.Arm();
    EXPECT_FALSE(OpenChosenFile(DataFile("hello.Tap"))); // extensions are matched as written
    EXPECT_EQ(box.caption, "Wendal");
    EXPECT_EQ(box.text, "Error reading snapshot/tape file!");
    EXPECT_EQ(box.detail,
              "hello.Tap: unknown extension (.sna, .z80, .tap, .tzx, .csw, .pzx, .wav or .raw)");
    EXPECT_EQ(TitleName, "hello.tap");

    const std::string snapshot = testing::TempDir() + "/wendal-app.sna";
    ASSERT_TRUE(SaveChosenFile(snapshot)); // saving ejects the tape
    EXPECT_EQ(TitleName, "wendal-app.sna");
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdTapeControl)->isEnabled());
    ASSERT_TRUE(OpenChosenFile(snapshot));
    EXPECT_EQ(Machine.memory[TapeTrapAddress],
              BuiltinRom[TapeTrapAddress]); // the trap is gone with the tape
    std::filesystem::remove(snapshot);
}

// The name the Save dialog offers first, read off the open dialog, which is then cancelled.
std::string OfferedSaveName() {
    std::string offered;
    QTimer::singleShot(0, [&offered] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            offered = FileTitle(dialog->selectedFiles().value(0).toStdString());
            dialog->reject();
        }
    });
    RunCommand(CmdSave);
    return offered;
}

TEST_F(AppFixture, FileTypesAreNamedOnce) {
    QStringList types;
    QTimer::singleShot(0, [&types] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < combo->count(); ++i) types << combo->itemText(i);
            dialog->reject();
        }
    });
    RunCommand(CmdOpen);
    ASSERT_EQ(types.size(), 6);
    for (const QString& type : types.mid(0, 5)) // the extensions once, not their patterns again
        EXPECT_FALSE(type.contains(QLatin1String("(*"))) << type.toStdString();
    EXPECT_TRUE(types[0].startsWith(QLatin1String("All Spectrum Files (.sna;.z80;.tap;")));
    EXPECT_EQ(types[5].toStdString(), "All Files (*.*)");
}

// After a tape or recording the Save dialog never offers its name, which a snapshot would
// overwrite: the snapshot extension replaces it, .z80 when the last snapshot opened was one.
TEST_F(AppFixture, SaveOffersASnapshotNameAfterARecording) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello-11025.wav")));
    EXPECT_EQ(OfferedSaveName(), "hello-11025.sna");
    const std::string z80 = testing::TempDir() + "/wendal-offer.z80";
    ASSERT_TRUE(SaveChosenFile(z80));
    EXPECT_EQ(OfferedSaveName(), "wendal-offer.z80");
    ASSERT_TRUE(OpenChosenFile(z80));
    ASSERT_TRUE(OpenChosenFile(DataFile("hello.tap")));
    EXPECT_EQ(OfferedSaveName(), "hello.z80");
    std::filesystem::remove(z80);
}

// A file that did not load is neither named in the title nor offered for the next save: both
// keep the file that loaded last.
TEST_F(AppFixture, AFailedLoadLeavesTheTitleAndTheSaveNameToTheLoadedFile) {
    ASSERT_TRUE(OpenChosenFile(DataFile("hello.tap")));
    const std::string broken = testing::TempDir() + "/wendal-broken.sna";
    {
        std::ofstream out(broken, std::ios::binary);
        out << "far too short for a snapshot";
    }
    ModalCatcher box;
    box.Arm();
    EXPECT_FALSE(OpenChosenFile(broken));
    EXPECT_EQ(box.text, "Error reading snapshot/tape file!");
    EXPECT_EQ(TitleName, "hello.tap");
    EXPECT_EQ(std::filesystem::path(OfferedSaveName()).stem().string(), "hello");
    std::filesystem::remove(broken);
    CloseTape();
}

// Drops files on the window and answers the message box that follows, if one shows within a
// second. `boxInsideDrop`: the box showed before the drop event had returned.
struct DropOutcome {
    bool boxInsideDrop = false;
    std::string text, detail;
};
DropOutcome Drop(const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    QMimeData data;
    data.setUrls(urls);
    QDropEvent e(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    DropOutcome outcome;
    bool returned = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        outcome.boxInsideDrop = !returned;
        outcome.text = box->text().toStdString();
        outcome.detail = box->informativeText().toStdString();
        box->accept();
    });
    poll.start(5);
    // Straight to the window: the application would look for a drag in progress first.
    static_cast<QObject*>(TheMainWindow())->event(&e);
    returned = true;
    QElapsedTimer waited;
    waited.start();
    while (outcome.text.empty() && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return outcome;
}

TEST_F(AppFixture, DropsAreFinishedBeforeAnyBoxAndOnlyOneFileIsLoaded) {
    DropOutcome refused = Drop({DataFile("hello.Tap")});
    EXPECT_EQ(refused.text, "Error reading snapshot/tape file!");
    EXPECT_FALSE(refused.boxInsideDrop) << "the box held the drop";

    DropOutcome one = Drop({DataFile("hello.tap")});
    EXPECT_EQ(one.text, "");
    EXPECT_EQ(TitleName, "hello.tap");

    DropOutcome several = Drop({DataFile("basic.tap"), DataFile("hello.tap")});
    EXPECT_EQ(TitleName, "basic.tap");
    EXPECT_EQ(several.text, "Only one file is loaded at a time.");
    EXPECT_EQ(several.detail, "basic.tap was loaded; the other file was not.");
    EXPECT_FALSE(several.boxInsideDrop);
    CloseTape();
}

TEST_F(AppFixture, TitleSaysWhichRomAndWhetherPaused) {
    ResetSpectrum();
    EXPECT_EQ(TitleText(), "ROM - Wendal");
    AppActive = false;
    ProgramActive = false;
    EXPECT_EQ(TitleText(), "ROM - Wendal [Paused]");
    ProgramActive = true; // a dialog of ours
    EXPECT_EQ(TitleText(), "ROM - Wendal");
    const std::string folder = testing::TempDir() + "/wendal-rom";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/spectrum.rom", std::ios::binary)
        .write(reinterpret_cast<const char*>(BuiltinRom), sizeof BuiltinRom);
    const std::string kept = ProgramFolder;
    SetProgramFolder(folder);
    ResetSpectrum();
    EXPECT_EQ(TitleName, "Disk ROM");
    SetProgramFolder(kept);
    ResetSpectrum();
    EXPECT_EQ(TitleName, "ROM");
    std::filesystem::remove_all(folder);
}

// Options > Machine starts the chosen machine afresh, marks it, names it in the title and keeps
// it as the setting; a 48K snapshot brings the 48K back, and the setting follows it.
TEST_F(AppFixture, TheMachineChoiceStartsItAndTheTitleNamesIt) {
    if (!ModelUnavailable(SpectrumModel::Spectrum128).empty())
        GTEST_SKIP() << ModelUnavailable(SpectrumModel::Spectrum128);
    const std::string snapshot = testing::TempDir() + "/wendal-48k.sna";
    ASSERT_TRUE(SaveChosenFile(snapshot));
    for (uint16_t id : {CmdMachine48, CmdMachine128, CmdMachinePlus2})
        EXPECT_TRUE(TheMainWindow()->ActionOf(id)->isEnabled()) << id;
    RunCommand(CmdMachine128);
    EXPECT_EQ(RunningModel(), SpectrumModel::Spectrum128);
    EXPECT_TRUE(MenuItemChecked(CmdMachine128));
    EXPECT_FALSE(MenuItemChecked(CmdMachine48));
    EXPECT_EQ(Preferences.machine, 1);
    EXPECT_EQ(TheMainWindow()->windowTitle().toStdString(), "ROM (128K) - Wendal");
    for (int i = 0; i < 150; ++i) RunFrame(FrameTarget{});
    EXPECT_NE(ScreenText().find("Tape Loader"), std::string::npos) << ScreenText();
    RunCommand(CmdMachinePlus2);
    EXPECT_EQ(TitleText(), "ROM (+2) - Wendal");
    ASSERT_TRUE(OpenChosenFile(snapshot));
    EXPECT_EQ(RunningModel(), SpectrumModel::Spectrum48);
    EXPECT_EQ(Preferences.machine, 0);
    EXPECT_EQ(TitleText(), "wendal-48k.sna - Wendal");
    EXPECT_TRUE(MenuItemChecked(CmdMachine48));
    std::filesystem::remove(snapshot);
}

// Qt reports the application's state and the window's activation in either order, each while
// the other is still old; another program must end in " [Paused]" whichever comes first.
TEST_F(AppFixture, TitleTellsAnotherProgramFromADialogOfOurs) {
    MainWindow* w = TheMainWindow();
    auto settle = [w] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return w->windowTitle().endsWith(QLatin1String(" [Paused]"));
    };
    auto activateMain = [&] {
        QApplication::setActiveWindow(w);
        EXPECT_FALSE(settle());
        EXPECT_TRUE(AppActive.load());
    };
    activateMain();
    emit qApp->applicationStateChanged(Qt::ApplicationInactive); // the application first
    QApplication::setActiveWindow(nullptr);
    EXPECT_TRUE(settle());
    EXPECT_FALSE(AppActive.load());

    activateMain();
    QApplication::setActiveWindow(nullptr); // the window first
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_TRUE(settle());

    activateMain();
    QDialog dialog(w); // one of ours: the machine pauses, the title stays
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_FALSE(settle());
    EXPECT_FALSE(AppActive.load());
    dialog.close();
    activateMain();
}

TEST(CommandLine, QuotesGoWhereverTheyStand) {
    char a0[] = "wendal", a1[] = "\"/tmp/my", a2[] = "ga\"me.tap\"";
    char* argv[] = {a0, a1, a2};
    EXPECT_EQ(CommandLineFile(3, argv), "/tmp/my game.tap");
    EXPECT_EQ(CommandLineFile(1, argv), "");
}

TEST_F(AppFixture, KeysArePhysicalAndNeverStick) {
    DesktopReleaseAllKeys();
    KeyReadDown(0); // start a fresh read
    SendKey(QEvent::KeyPress, Qt::Key_A);
    SendKey(QEvent::KeyRelease, Qt::Key_A); // a tap shorter than a frame
    EXPECT_TRUE(KeyReadDown('A'));
    EXPECT_FALSE(KeyReadDown('A'));

    SendKey(QEvent::KeyPress, Qt::Key_Shift);
    SendKey(QEvent::KeyPress, Qt::Key_Shift, true); // auto-repeat: not a second key
    SendKey(QEvent::KeyRelease, Qt::Key_Shift, true);
    EXPECT_TRUE(KeyReadDown(VkShift));
    SendKey(QEvent::KeyPress, Qt::Key_Tab); // the joystick's fire, not the next widget
    EXPECT_TRUE(KeyReadDown(VkTab));
    OnWindowActivation(false, false); // Alt+Tab away: everything up
    EXPECT_FALSE(KeyReadDown(VkShift));
    EXPECT_FALSE(KeyReadDown(VkTab));
    AppActive = true;
}

TEST(PcKeyMap, XKeycodesAreKeysByPosition) {
    // evdev codes + 8: 1 is 10, Q 24, A 38, Z 52, Shift 50 and 62, Ctrl 37 and 105.
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 10, 0, '!'), '1');
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 24, 0, 'A'), 'Q'); // AZERTY's A
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 52, 0, 'W'), 'Z');
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 62, 0, Qt::Key_Shift), VkShift);
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 105, 0, Qt::Key_Control), VkControl);
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 96, 0, Qt::Key_F12), VkF12);
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::X11, 87, 0, '1'), 0); // keypad 1: unused
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::Windows, 0, 0xA1, 0), VkShift); // right
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::Windows, 0, 0xA3, 0), VkControl);
    EXPECT_EQ(VirtualKeyOfKeyEvent(NativeKeyCodes::Windows, 0, 0xA4, 0), VkAlt);
}

TEST_F(AppFixture, NoFramesOrTicksWhileAMenuIsOpen) {
    OnMenuOpened();
    OnMenuOpened(); // the next menu opens before the first one closes
    OnMenuClosed();
    EXPECT_FALSE(TickEnabled.load());
    OnMenuClosed();
    EXPECT_TRUE(TickEnabled.load());
}

// Escape opens the menu every time, and Escape in the open menu closes it: eight in a row open
// and close it four times.
TEST_F(AppFixture, EveryEscapeOpensTheMenuAndTheNextClosesIt) {
    MainWindow* w = TheMainWindow();
    QApplication::setActiveWindow(w);
    w->setFocus();
    for (int i = 0; i < 8; ++i) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target) target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget() != nullptr, i % 2 == 0) << "Escape " << i + 1;
    }
    EXPECT_TRUE(TickEnabled.load());
}
