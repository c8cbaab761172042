// The engine's door as a front end uses it: start-up, files in and out, memory, reset.
#include <gtest/gtest.h>

#include <string>

#include "app/preferences.h"
#include "app/settings_values.h"
#include "engine/engine.h"
#include "media/builtin_rom.h"
#include "media/rom.h"
#include "media_files.h"
#include "peripherals/settings.h"

namespace {

struct Door : MediaFixture {
    std::string folder = ProgramFolder;
    void TearDown() override {
        SetProgramFolder(folder);
        ResetComputer(); // an auto-load typed no further
        MediaFixture::TearDown();
    }
    std::string Tape() {
        WriteBytes(dir / "t.tap", TapBlock(0xFF, {1, 2, 3}));
        return dir / "t.tap";
    }
    // A snapshot of the started machine, saved through the door.
    std::string Snapshot() {
        StartMachine(dir.path.string(), false);
        EXPECT_TRUE(SaveFile((dir / "s.sna").c_str()));
        return dir / "s.sna";
    }
    static bool RomIsBuiltIn() {
        for (uint16_t a = 0; a < 0x4000; ++a)
            if (PeekMemory(a) != BuiltinRom[a]) return false;
        return true;
    }
};

TEST_F(Door, StartsOnTheBuiltInRomOrTheOneBesideTheProgram) {
    MachineStarted started = StartMachine(dir.path.string(), false);
    EXPECT_FALSE(started.romFromFile);
    EXPECT_FALSE(started.soundOpen);
    EXPECT_FALSE(SoundIsOn());
    EXPECT_TRUE(RomIsBuiltIn());

    WriteBytes(dir / "spectrum.rom", Bytes(16384, 0x76));
    started = StartMachine(dir.path.string(), false);
    EXPECT_TRUE(started.romFromFile);
    EXPECT_EQ(PeekMemory(0), 0x76);
    EXPECT_EQ(PeekMemory(0x3FFF), 0x76);
}

TEST_F(Door, ATapePutsTheTrapInAndASnapshotTakesItOut) {
    const std::string snapshot = Snapshot();
    MediaLoaded loaded = LoadMedia(Tape().c_str(), false);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.tape);
    EXPECT_FALSE(loaded.snapshot);
    EXPECT_EQ(CurrentTapeStatus().sort, TapeSort::Image);
    EXPECT_EQ(PeekMemory(TapeTrapAddress), 0xED);
    EXPECT_EQ(PeekMemory(TapeTrapAddress + 1), 0xFF);

    loaded = LoadMedia(snapshot.c_str(), false);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.snapshot);
    EXPECT_FALSE(loaded.tape);
    EXPECT_EQ(CurrentTapeStatus().sort, TapeSort::None); // a snapshot ejects the tape
    EXPECT_TRUE(RomIsBuiltIn());
}

TEST_F(Door, ARefusedFileSaysWhyAndLeavesTheTapeIn) {
    StartMachine(dir.path.string(), false);
    ASSERT_TRUE(LoadMedia(Tape().c_str(), false).ok);
    MediaLoaded loaded = LoadMedia((dir / "missing.sna").c_str(), true);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.why, "file not found");
    WriteBytes(dir / "notes.txt", Bytes(10, 0));
    loaded = LoadMedia((dir / "notes.txt").c_str(), true);
    EXPECT_FALSE(loaded.ok);
    EXPECT_NE(loaded.why.find("unknown extension"), std::string::npos) << loaded.why;
    EXPECT_EQ(CurrentTapeStatus().sort, TapeSort::Image);
    EXPECT_FALSE(AutoLoadTyping());
}

TEST_F(Door, OnlyATapeAutoLoadsAndAResetStopsTheTyping) {
    const std::string snapshot = Snapshot();
    ASSERT_TRUE(LoadMedia(snapshot.c_str(), true).ok);
    EXPECT_FALSE(AutoLoadTyping());
    ASSERT_TRUE(LoadMedia(Tape().c_str(), true).ok);
    EXPECT_TRUE(AutoLoadTyping());
    EXPECT_FALSE(ResetComputer()); // the built-in ROM
    EXPECT_FALSE(AutoLoadTyping());
    EXPECT_EQ(PeekMemory(TapeTrapAddress), 0xED); // the tape is still in: the trap stays
}

TEST_F(Door, TheScreenGoesOutAsItsMemoryOrAsAPicture) {
    StartMachine(dir.path.string(), false);
    for (uint32_t a = 0x4000; a < 0x5B00; ++a) PokeMemory(uint16_t(a), uint8_t(a * 7));
    ASSERT_TRUE(SaveScreen((dir / "shot.SCR").c_str(), 3));
    const Bytes scr = ReadBytes(dir / "shot.SCR");
    ASSERT_EQ(scr.size(), 6912u);
    for (size_t i = 0; i < scr.size(); ++i) ASSERT_EQ(scr[i], uint8_t((0x4000 + i) * 7)) << i;

    ASSERT_TRUE(SaveScreen((dir / "shot.png").c_str(), 2));
    const Bytes png = ReadBytes(dir / "shot.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    auto word = [&](size_t at) {
        return uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    EXPECT_EQ(word(16), 640u); // the IHDR chunk's width and height
    EXPECT_EQ(word(20), 480u);
}

TEST_F(Door, APokeReachesTheRomArea) {
    StartMachine(dir.path.string(), false);
    PokeMemory(0, 0x12);
    EXPECT_EQ(PeekMemory(0), 0x12);
    ResetComputer(); // the ROM goes back in
    EXPECT_TRUE(RomIsBuiltIn());
}

// The table's start values are the ones the records hold on a first run.
TEST(SettingsTable, StartValuesAreTheRecordsOwn) {
    const SettingsRecord engine = Settings;
    const DesktopPreferences desktop = Preferences;
    Settings = SettingsRecord{};
    Preferences = DesktopPreferences{};
    for (const StoredSetting& s : StoredSettings) {
        const bool display = s.engine == EngineSetting::ScreenMode ||
                             s.engine == EngineSetting::Tv ||
                             s.engine == EngineSetting::SpeedDisplay;
        if (!s.own && display) continue; // the display's switches, which drawing tests set
        EXPECT_EQ(StoredValue(s), s.start) << s.name;
    }
    Settings = engine;
    Preferences = desktop;
}

} // namespace
