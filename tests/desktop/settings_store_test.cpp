// The settings store round trip, through a private configuration folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QLockFile>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

#include "app/preferences.h"
#include "app/recent_files.h"
#include "app/settings_store.h"
#include "app/settings_values.h"
#include "display/display_state.h"
#include "peripherals/settings.h"

namespace {

namespace fs = std::filesystem;

// Qt takes the configuration folder once per process, at the first QSettings: set it before.
const fs::path& ConfigHome() {
    static const fs::path home = [] {
        fs::path dir = fs::path(WENDAL_TEST_BINARY_DIR) / ("config-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        return dir;
    }();
    return home;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        ConfigHome();
        QSettings store(SettingsFormat(), QSettings::UserScope, "Corvallo Software", "Wendal");
        store.clear();
        store.sync();
        StartValues();
    }
    void TearDown() override { fs::remove_all(ConfigHome()); }
    static void StartValues() {
        Settings = SettingsRecord{};
        Preferences = DesktopPreferences{};
        DisplayMode = ModeWindow;
        FullscreenTv = false;
        SpeedDisplay = true;
    }
    static void Store(const char* name, const QByteArray& bytes) {
        QSettings store(SettingsFormat(), QSettings::UserScope, "Corvallo Software", "Wendal");
        store.setValue(name, bytes);
    }
    static QVariant Stored(const char* name) {
        return QSettings(SettingsFormat(), QSettings::UserScope, "Corvallo Software", "Wendal")
            .value(name);
    }
    static fs::path File() { return ConfigHome() / "Corvallo Software" / "Wendal.conf"; }
    static QByteArray Byte(int b) { return QByteArray(1, char(b)); }
};

TEST_F(SettingsStore, LivesInTheUsersConfigurationFolder) {
    QSettings store(SettingsFormat(), QSettings::UserScope, "Corvallo Software", "Wendal");
    EXPECT_EQ(fs::path(store.fileName().toStdString()), File());
    EXPECT_EQ(fs::path(SettingsFilePath()), File());
}

TEST_F(SettingsStore, FirstRunGivesStartValuesAndEverySettingRoundTrips) {
    Settings.volume = 1; // LoadSettings leaves what nothing is stored for
    LoadSettings();
    EXPECT_EQ(Settings.volume, 1);
    StartValues();
    LoadSettings();
    EXPECT_EQ(Preferences.saveSettings, 1);
    EXPECT_EQ(Settings.soundBuffers, 10);
    EXPECT_EQ(Settings.pcJoystick, 0);
    EXPECT_EQ(Settings.keybJoystick, 1);
    EXPECT_EQ(DisplayMode, ModeWindow);
    EXPECT_TRUE(SpeedDisplay);

    Settings = SettingsRecord{7, 9, 33, 1, 2};
    Settings.ayStereo = 2;
    Preferences = DesktopPreferences{1, 1, 0, 0, 0, 2};
    DisplayMode = ModeFullscreen;
    FullscreenTv = true;
    SpeedDisplay = false;
    ASSERT_TRUE(SaveSettings());
    StartValues();
    LoadSettings();
    EXPECT_EQ(Preferences.saveSettings, 1);
    EXPECT_EQ(Settings.volume, 7);
    EXPECT_EQ(Settings.tapeVolume, 9);
    EXPECT_EQ(Settings.soundBuffers, 33);
    EXPECT_EQ(Preferences.shadedTitles, 1);
    EXPECT_EQ(Preferences.warnings, 0);
    EXPECT_EQ(Settings.pcJoystick, 1);
    EXPECT_EQ(Settings.keybJoystick, 2);
    EXPECT_EQ(Settings.ayStereo, 2);
    EXPECT_EQ(Preferences.autoLoad, 0);
    EXPECT_EQ(Preferences.fastLoading, 0);
    EXPECT_EQ(Preferences.machine, 2);
    EXPECT_EQ(DisplayMode, ModeFullscreen);
    EXPECT_TRUE(FullscreenTv);
    EXPECT_FALSE(SpeedDisplay);
    // Each is one byte, under the names other installations of the program use.
    EXPECT_EQ(Stored("Sound Buffers").toByteArray(), Byte(33));
    EXPECT_EQ(Stored("Speed Display").toByteArray(), Byte(0));
    const std::string text = Slurp(File());
    EXPECT_NE(text.find("Sound Buffers=21\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), StoredSettingCount) << text;
}

// The recent files from one run to the next, in their order, whatever their names hold; the
// list shrinks in the store as it does in the menu.
TEST_F(SettingsStore, RecentFilesComeBackInTheNextRun) {
    RecentFiles = {"/home/u/games/Ünïcode name.tzx", "/tmp/a=b.tap", "/x/y.wav"};
    ASSERT_TRUE(SaveSettings());
    RecentFiles.clear();
    LoadSettings();
    EXPECT_EQ(RecentFiles, (std::vector<std::string>{"/home/u/games/Ünïcode name.tzx",
                                                     "/tmp/a=b.tap", "/x/y.wav"}));
    RecentFiles.pop_back();
    ASSERT_TRUE(SaveSettings());
    RecentFiles.clear();
    LoadSettings();
    EXPECT_EQ(RecentFiles.size(), 2u);
    EXPECT_FALSE(Stored("Recent File 3").isValid());
    Store("Recent File 5", QByteArray("/with\0nul", 9)); // no path holds a NUL
    LoadSettings();
    EXPECT_EQ(RecentFiles.size(), 2u);
    RecentFiles.clear();
}

TEST_F(SettingsStore, ValuesOutsideTheirRangesAreBroughtBackOnLoading) {
    const struct {
        const char* name;
        int stored;
    } values[] = {{"Save Settings", 2}, {"Volume", 100},    {"Tape Volume", 64},
                  {"Sound Buffers", 0}, {"Screen Mode", 6}, {"TV", 2},
                  {"Warnings", 255},    {"PC Joystick", 3}, {"Keyb Joystick", 0}};
    for (const auto& v : values) Store(v.name, Byte(v.stored));
    LoadSettings();
    EXPECT_EQ(Preferences.saveSettings, 0);
    EXPECT_EQ(Settings.volume, 63);
    EXPECT_EQ(Settings.tapeVolume, 63);
    EXPECT_EQ(Settings.soundBuffers, 1);
    EXPECT_EQ(DisplayMode, ModeWindow);
    EXPECT_FALSE(FullscreenTv); // Monitor
    EXPECT_EQ(Preferences.warnings, 0);
    EXPECT_EQ(Settings.pcJoystick, 0);
    EXPECT_EQ(Settings.keybJoystick, 1);

    Store("Sound Buffers", Byte(51));
    Store("Screen Mode", Byte(0));
    Store("Keyb Joystick", Byte(3));
    LoadSettings();
    EXPECT_EQ(Settings.soundBuffers, 50);
    EXPECT_EQ(DisplayMode, ModeWindow);
    EXPECT_EQ(Settings.keybJoystick, 1);

    Preferences.saveSettings = 1;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Stored("TV").toByteArray(), Byte(0));
    EXPECT_EQ(Stored("Volume").toByteArray(), Byte(63));
}

TEST_F(SettingsStore, TheLargerWindowsAreRememberedLikeTheOthers) {
    for (uint8_t mode : {ModeTripleWindow, ModeQuadWindow}) {
        DisplayMode = mode;
        ASSERT_TRUE(SaveSettings());
        StartValues();
        LoadSettings();
        EXPECT_EQ(DisplayMode, mode);
    }
}

TEST_F(SettingsStore, SaveSettingsOffWritesOnlyItself) {
    Settings.volume = 20;
    DisplayMode = ModeDoubleWindow;
    ASSERT_TRUE(SaveSettings());
    Preferences.saveSettings = 0;
    Settings.volume = 40;
    DisplayMode = ModeFullscreen;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Stored("Save Settings").toByteArray(), Byte(0));

    StartValues();
    LoadSettings();
    EXPECT_EQ(Preferences.saveSettings, 0);
    EXPECT_EQ(Settings.volume, 20); // frozen as last saved
    EXPECT_EQ(DisplayMode, ModeDoubleWindow);
}

TEST_F(SettingsStore, AValueOfTheWrongLengthIsIgnoredAndTheRestAreRead) {
    fs::create_directories(File().parent_path());
    std::ofstream(File(), std::ios::binary) << "Volume=1e000000\n" // a four-byte number
                                            << "Tape Volume=\n"
                                            << "Sound Buffers=14\n"
                                            << "Screen Mode=2\n" // half a byte
                                            << "Warnings=zz\n"
                                            << "Keyb Joystick=02\n";
    Preferences.warnings = 0;
    LoadSettings();
    EXPECT_EQ(Preferences.warnings, 0);
    EXPECT_EQ(Settings.volume, 50);
    EXPECT_EQ(Settings.tapeVolume, 50);
    EXPECT_EQ(Settings.soundBuffers, 20);
    EXPECT_EQ(DisplayMode, ModeWindow);
    EXPECT_EQ(Settings.keybJoystick, 2);
}

// A disk that fills up while the settings are written: the write fails and the file keeps what
// the last good write put there. The file size limit stands in for the full disk.
TEST_F(SettingsStore, AFailedWriteLeavesThePreviousFileWhole) {
    Settings.volume = 33;
    ASSERT_TRUE(SaveSettings());
    const fs::path file = File();
    const std::string before = Slurp(file);
    // The limit leaves room for the lock file QSettings writes first, not for the settings.
    rlimit small;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &small), 0);
    const rlimit old = small;
    {
        QLockFile lock(QString::fromStdString((ConfigHome() / "probe.lock").string()));
        ASSERT_TRUE(lock.lock());
        small.rlim_cur = fs::file_size(ConfigHome() / "probe.lock") + 16;
    }
    ASSERT_GT(before.size(), small.rlim_cur);

    Settings.volume = 44;
    Settings.tapeVolume = 11;
    auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = SaveSettings();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);

    EXPECT_FALSE(saved);
    EXPECT_EQ(Slurp(file), before);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1); // no temporary file left behind
    // Read as the next run would: this process's QSettings still holds the unwritten changes.
    const fs::path copy = ConfigHome() / "copy.conf";
    fs::copy_file(file, copy);
    EXPECT_EQ(QSettings(QString::fromStdString(copy.string()), SettingsFormat())
                  .value("Volume")
                  .toByteArray(),
              Byte(33));
}

// A hostile or broken file: only its first 128 KB are read, and names that are not settings are
// neither kept nor written back, so the file is small again after the next save.
TEST_F(SettingsStore, OnlyTheFirst128KBAreReadAndForeignNamesAreDropped) {
    fs::create_directories(File().parent_path());
    {
        std::ofstream out(File(), std::ios::binary);
        out << "Volume=21\n";
        for (int k = 0; k < 10000; ++k) out << "Foreign " << k << "=00\n";
        out << "Tape Volume=05\n"; // past 128 KB
    }
    ASSERT_GT(fs::file_size(File()), 128u * 1024);
    LoadSettings();
    EXPECT_EQ(Settings.volume, 0x21);
    EXPECT_EQ(Settings.tapeVolume, 50);
    ASSERT_TRUE(SaveSettings());
    const std::string text = Slurp(File());
    EXPECT_EQ(text.find("Foreign"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), StoredSettingCount) << text;
}

// A FIFO in the file's place would wait for a writer for ever: it is neither read nor
// replaced. The load runs on a thread with a time limit; a writer frees it if it hangs.
TEST_F(SettingsStore, AFifoIsNeitherReadNorReplaced) {
    fs::create_directories(File().parent_path());
    ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
    Settings.volume = 7;
    auto load = std::async(std::launch::async, [] {
        LoadSettings();
        return SaveSettings();
    });
    const bool finished = load.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) {
        for (int k = 0; k < 2; ++k) close(open(File().c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_TRUE(finished) << "the settings file was opened as a FIFO";
    EXPECT_FALSE(load.get());
    EXPECT_EQ(Settings.volume, 7);
    EXPECT_TRUE(fs::is_fifo(File()));
}

} // namespace
