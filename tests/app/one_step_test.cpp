// From a file to a running program: tapes that load themselves, fast loading, the recent files,
// screenshots and pause, driven through the window's own commands.
#include <QAction>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pacing_stats.h"
#include "app/preferences.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "app/title.h"
#include "app/window_services.h"
#include "app_harness.h"
#include "core/machine.h"
#include "display/screen_text.h"
#include "engine/auto_load.h"
#include "media/builtin_rom.h"
#include "media/sampled_tape.h"
#include "peripherals/settings.h"

namespace {

namespace fs = std::filesystem;

std::string DataFile(const char* name) {
    return std::string(WENDAL_TEST_BINARY_DIR) + "/data/" + name;
}

fs::path TestDir(const char* name) {
    fs::path dir = fs::path(testing::TempDir()) / "wendal-one-step" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void SendKey(QEvent::Type type, int key) {
    QKeyEvent e(type, key, Qt::NoModifier);
    QCoreApplication::sendEvent(TheMainWindow(), &e);
}

void PressPause() {
    SendKey(QEvent::KeyPress, Qt::Key_Pause);
    SendKey(QEvent::KeyRelease, Qt::Key_Pause);
}

// Runs desktop frames until the test BASIC program has printed its line, at most `limit`;
// the frames it took, or -1. The bitmap is cleared first, so that what an earlier run printed
// is not taken for it (the reset ROM clears it too, but only after its memory check).
int FramesUntilTheProgramRan(int limit) {
    std::memset(Machine.memory + 0x4000, 0, 6144);
    for (int frame = 1; frame <= limit; ++frame) {
        RunDesktopFrame();
        if (ScreenText().find("BASIC PROGRAM RAN\n42\n") != std::string::npos) return frame;
    }
    return -1;
}

class OneStep : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        Preferences.autoLoad = 1;
        Preferences.fastLoading = 1;
    }
    void TearDown() override {
        CancelAutoLoad();
        UserPaused = false;
        Preferences.autoLoad = 1;
        Preferences.fastLoading = 1;
        CloseTape();
        ResetSpectrum();
    }
};

} // namespace

TEST_F(OneStep, OpenedTapesOfEveryKindLoadThemselves) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    SpeedMode = SpeedMaximum;
    for (const char* file : {"basic.tap", "basic.tzx", "basic-22050.wav", "basic-11025.raw"}) {
        TapeRate = 11025; // a .raw's rate; the .wav's header sets its own
        ASSERT_TRUE(OpenChosenFile(DataFile(file))) << file;
        EXPECT_TRUE(AutoLoadTyping()) << file;
        EXPECT_EQ(Machine.pc, 0) << file; // reset
        EXPECT_GT(FramesUntilTheProgramRan(1200), 0) << file << "\n" << ScreenText();
        for (int i = 0; i < 8; ++i) RunDesktopFrame(); // ENTER is let go after the program starts
        EXPECT_FALSE(AutoLoadTyping()) << file;
    }
}

TEST_F(OneStep, WithAutoLoadOffATapeIsOnlyInserted) {
    RunCommand(CmdAutoLoad);
    EXPECT_EQ(Preferences.autoLoad, 0);
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdAutoLoad)->isChecked());
    SpeedMode = SpeedMaximum;
    for (int i = 0; i < 5; ++i) RunDesktopFrame();
    const uint16_t pc = Machine.pc;
    ASSERT_TRUE(OpenChosenFile(DataFile("basic.tap")));
    EXPECT_FALSE(AutoLoadTyping());
    EXPECT_EQ(Machine.pc, pc);
    RunCommand(CmdAutoLoad);
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdAutoLoad)->isChecked());
}

// A recording read by the ROM's loader: the same frames as without fast loading, unpaced while
// the loader reads, and True speed again once it stops.
TEST_F(OneStep, FastLoadingRunsTheSameFramesAndReturnsToTrueSpeed) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    Preferences.fastLoading = 0;
    SpeedMode = SpeedMaximum; // the reference, unpaced throughout
    ASSERT_TRUE(OpenChosenFile(DataFile("basic-22050.wav")));
    uint32_t switches = FastLoadingSwitches;
    const int reference = FramesUntilTheProgramRan(1200);
    ASSERT_GT(reference, 0);
    EXPECT_EQ(FastLoadingSwitches, switches);

    Preferences.fastLoading = 1;
    SelectTrueSpeed();
    ASSERT_TRUE(OpenChosenFile(DataFile("basic-22050.wav")));
    switches = FastLoadingSwitches;
    // Timed by hand for the notes, not checked: the whole run, and from the first fast frame.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point fastFrom = start;
    int frames = 0, fastFrames = 0, firstFast = 0;
    std::memset(Machine.memory + 0x4000, 0, 6144);
    while (frames < 1200 && ScreenText().find("BASIC PROGRAM RAN\n42\n") == std::string::npos) {
        RunDesktopFrame();
        ++frames;
        if (FastLoading && fastFrames++ == 0) {
            fastFrom = Clock::now();
            firstFast = frames;
        }
    }
    const Clock::time_point end = Clock::now();
    EXPECT_EQ(frames, reference);
    const std::chrono::duration<double> took = end - start, loading = end - fastFrom;
    for (int i = 0; i < 60; ++i) RunDesktopFrame(); // the loader's longest pause in reading
    EXPECT_GE(FastLoadingSwitches - switches, 2u);  // on while the loader read, off after
    EXPECT_FALSE(FastLoading);
    EXPECT_EQ(SpeedMode, SpeedTrue);
    EXPECT_LE(FrameCount.load(), TickCount.load() + 2); // True speed does not run ahead after
    std::printf("fast loading: %d frames (%.1f s of Spectrum time) in %.2f s; %d frames fast; from "
                "the first fast frame on, %.2f s for %.1f s of Spectrum time\n",
                reference, reference / 50.0, took.count(), fastFrames, loading.count(),
                (frames - firstFast) / 50.0);
}

TEST_F(OneStep, RecentFilesKeepTheLastEightAndDropAMissingOne) {
    Preferences.autoLoad = 0;
    RecentFiles.clear();
    const fs::path dir = TestDir("recent");
    const std::string tape = DataFile("hello.tap");
    for (int i = 1; i <= 9; ++i) {
        const fs::path copy = dir / ("t" + std::to_string(i) + ".tap");
        fs::copy_file(tape, copy);
        ASSERT_TRUE(OpenChosenFile(copy.string()));
    }
    ASSERT_EQ(RecentFiles.size(), 8u);
    ASSERT_FALSE(RecentFiles.empty());
    EXPECT_EQ(RecentFiles.front(), (dir / "t9.tap").string());
    EXPECT_EQ(RecentFiles.back(), (dir / "t2.tap").string());
    ASSERT_TRUE(OpenChosenFile((dir / "t5.tap").string())); // to the front, not twice
    ASSERT_EQ(RecentFiles.size(), 8u);
    EXPECT_EQ(RecentFiles[0], (dir / "t5.tap").string());
    EXPECT_EQ(RecentFiles[1], (dir / "t9.tap").string());
    QAction* first = TheMainWindow()->ActionOf(CmdRecentFile1);
    EXPECT_EQ(first->text().toStdString(), "&1 t5.tap");
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdRecentFile8)->isVisible());
    EXPECT_TRUE(first->shortcut().isEmpty()); // the digit is the open menu's key only

    fs::remove(dir / "t9.tap");
    ModalCatcher box;
    box.Arm();
    RunCommand(CmdRecentFile1 + 1);
    EXPECT_NE(box.text.find("no longer there"), std::string::npos) << box.text;
    EXPECT_EQ(box.detail, (dir / "t9.tap").string());
    ASSERT_EQ(RecentFiles.size(), 7u);
    EXPECT_EQ(RecentFiles[1], (dir / "t8.tap").string());
    EXPECT_FALSE(TheMainWindow()->ActionOf(CmdRecentFile8)->isVisible());
    EXPECT_EQ(TheMainWindow()->ActionOf(CmdRecentFile1 + 1)->text().toStdString(), "&2 t8.tap");

    RunCommand(CmdRecentFile1 + 2); // t7 opens as Open does
    EXPECT_EQ(TitleName, "t7.tap");
    EXPECT_EQ(RecentFiles[0], (dir / "t7.tap").string());
    RecentFiles.clear();
    RefreshMenu();
    EXPECT_FALSE(first->isVisible());
}

TEST_F(OneStep, ScreenshotsAreThePictureAtTheWindowScaleOrTheScreenMemory) {
    const fs::path dir = TestDir("screenshot");
    SelectWindowMode(ModeDoubleWindow);
    ASSERT_TRUE(SaveScreenshot((dir / "shot.png").string()));
    QImage image(QString::fromStdString((dir / "shot.png").string()));
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
    SelectWindowMode(ModeWindow);
    ASSERT_TRUE(SaveScreenshot((dir / "shot.png").string())); // replaced whole
    EXPECT_EQ(QImage(QString::fromStdString((dir / "shot.png").string())).width(), 320);

    Machine.memory[0x4000] = 0x5A;
    Machine.memory[0x5AFF] = 0x47;
    ASSERT_TRUE(SaveScreenshot((dir / "shot.scr").string()));
    std::ifstream in(dir / "shot.scr", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 6912u);
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(Machine.memory + 0x4000), 6912));

    ModalCatcher box;
    box.Arm();
    EXPECT_FALSE(SaveScreenshot((dir / "missing" / "shot.png").string()));
    EXPECT_EQ(box.text, "Error writing screenshot file!");
}

TEST_F(OneStep, PauseStopsFramesAndTicksUntilPressedAgain) {
    SpeedMode = SpeedMaximum;
    const uint8_t warnings = Preferences.warnings;
    Preferences.warnings = 0; // the main loop would stop at the offscreen platform's video warning
    PressPause();
    EXPECT_TRUE(UserPaused.load());
    EXPECT_TRUE(TheMainWindow()->ActionOf(CmdPause)->isChecked());
    EXPECT_EQ(TheMainWindow()->windowTitle().toStdString(), TitleName + " - Wendal [Paused]");
    // One run of the main loop (it runs once in a program): paused for a fifth of a second,
    // then Pause pressed again for another.
    const uint64_t frames = PacingStats.framesRun;
    const uint32_t ticks = TickCount.load();
    uint64_t framesWhilePaused = 0;
    uint32_t ticksWhilePaused = 0;
    QTimer::singleShot(200, [&] {
        framesWhilePaused = PacingStats.framesRun;
        ticksWhilePaused = TickCount.load();
        PressPause();
    });
    QTimer::singleShot(400, [] { RequestQuit(0); });
    TheMainWindow()->activateWindow();
    QCoreApplication::processEvents(); // activation news before the loop starts
    AppActive = true;
    MainLoop();
    EXPECT_EQ(framesWhilePaused, frames);
    EXPECT_EQ(ticksWhilePaused, ticks);
    EXPECT_FALSE(UserPaused.load());
    EXPECT_EQ(TheMainWindow()->windowTitle().toStdString(), TitleName + " - Wendal");
    EXPECT_GT(PacingStats.framesRun, frames);
    Preferences.warnings = warnings;
}

// A file dropped on the window loads as Open does, a tape loading itself.
TEST_F(OneStep, ADroppedTapeLoadsItself) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(DataFile("basic.tzx")))});
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(TheMainWindow())->event(&drop); // the application would want a drag

    // The drop is finished before the file loads.
    for (int i = 0; i < 20 && TitleName != "basic.tzx"; ++i) QTest::qWait(10);
    ASSERT_EQ(TitleName, "basic.tzx");
    EXPECT_TRUE(AutoLoadTyping());
    ASSERT_FALSE(RecentFiles.empty());
    EXPECT_EQ(RecentFiles.front(), fs::absolute(DataFile("basic.tzx")).lexically_normal().string());
}
