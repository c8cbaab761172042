// The engine's door as a front end uses it: start-up, files in and out, memory, reset.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "app/preferences.h"
#include "app/settings_values.h"
#include "core/machine.h"
#include "engine/engine.h"
#include "media/builtin_rom.h"
#include "media/load_error.h"
#include "media/rom.h"
#include "media/z80_snapshot.h"
#include "media_files.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "peripherals/tape_input.h"
#include "pulse_tapes.h"
#include "tests/tzx_files.h"

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

// ---- A file from bytes in memory goes through the same reader and the same sequence

struct FromBytes : Door {
    Bytes startMemory;
    MachineRecord startRecord{};
    uint8_t startBorder = 0;
    void SetUp() override {
        Door::SetUp();
        StartMachine(dir.path.string(), false);
        startRecord = Machine;
        startBorder = BorderLog.colour;
        startMemory.assign(Machine.memory, Machine.memory + 65536);
    }
    // The started machine, an empty recorder and the first recording rate before each load.
    void Restart() {
        CloseTape();
        TapeRate = 11025;
        SetTapeRate();
        Machine = startRecord;
        std::memcpy(Machine.memory, startMemory.data(), startMemory.size());
        BorderLog.colour = startBorder;
    }
    // The machine after the load, then what the tape gives the loader trap asked for a block
    // and five frames of play: memory, registers, the recorder, the EAR samples and edges.
    static Bytes Observe() {
        const auto* record = reinterpret_cast<const uint8_t*>(&Machine);
        Bytes seen(record, record + sizeof Machine);
        seen.insert(seen.end(), Machine.memory, Machine.memory + 65536);
        const TapeStatus status = CurrentTapeStatus();
        seen.push_back(uint8_t(status.sort));
        if (status.sort == TapeSort::None) return seen;
        Machine.fAlt |= FlagC; // LOAD rather than VERIFY
        seen.push_back(TapeTrap(0xFF, 0x8000, 3));
        PlayTape();
        for (int frame = 0; frame < 5; ++frame) {
            RunFrame(FrameTarget{});
            seen.insert(seen.end(), TapeFrameBuffer, TapeFrameBuffer + 64);
            for (uint32_t k = 0; k < TapeEdgeCount; ++k) seen.push_back(uint8_t(TapeEdges[k]));
            seen.push_back(uint8_t(CurrentTapeStatus().permille));
        }
        seen.insert(seen.end(), Machine.memory + 0x8000, Machine.memory + 0x8003);
        return seen;
    }
    MediaLoaded LoadBothWays(const std::string& name, const Bytes& file, Bytes& byPath,
                             Bytes& byBytes) {
        WriteBytes(dir / name, file);
        Restart();
        const MediaLoaded fromPath = LoadMedia((dir / name).c_str(), false);
        byPath = Observe();
        Restart();
        const MediaLoaded fromBytes = LoadMediaBytes(name.c_str(), file.data(), file.size(), false);
        byBytes = Observe();
        EXPECT_EQ(fromPath.ok, fromBytes.ok);
        EXPECT_EQ(fromPath.tape, fromBytes.tape);
        EXPECT_EQ(fromPath.snapshot, fromBytes.snapshot);
        EXPECT_EQ(fromPath.why, fromBytes.why);
        return fromBytes;
    }
};

TEST_F(FromBytes, EachKindLoadsAsTheSameFileLoads) {
    // A machine that is not the started one, saved both ways.
    for (uint32_t a = 0x4000; a < 0x10000; a += 3) PokeMemory(uint16_t(a), uint8_t(a ^ a >> 8));
    Machine.SetHL(0x1234), Machine.ix = 0xBEEF, Machine.sp = 0xF000;
    ASSERT_TRUE(SaveFile((dir / "m.sna").c_str()));
    ASSERT_TRUE(SaveFile((dir / "m.z80").c_str()));
    const Bytes tap = Concat({TapBlock(0xFF, {9, 8, 7}), TapBlock(0x00, Pattern(17, 3))});
    Bytes sound(20000);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = (i / 40) % 2 ? 0xE0 : 0x20;
    const struct {
        const char* name;
        Bytes file;
        bool tape;
    } kinds[] = {
        {"m.sna", ReadBytes(dir / "m.sna"), false},
        {"m.z80", ReadBytes(dir / "m.z80"), false},
        {"t.tap", tap, true},
        {"t.tzx", Concat({TzxHeader(), StandardBlock(TapBlock(0xFF, {9, 8, 7}))}), true},
        {"t.csw", pulse_tapes::CswFile1(tap, 44100), true},
        {"t.pzx", pulse_tapes::PzxFile(tap), true},
        {"t.wav", WaveFile(sound, 22050), true},
        {"t.raw", sound, true},
        {"empty.raw", Bytes(), true},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        Bytes byPath, byBytes;
        const MediaLoaded loaded = LoadBothWays(kind.name, kind.file, byPath, byBytes);
        EXPECT_TRUE(loaded.ok) << loaded.why;
        EXPECT_EQ(loaded.tape, kind.tape);
        EXPECT_TRUE(byPath == byBytes);
    }
    // The snapshot's machine came back, not the started one.
    Restart();
    ASSERT_TRUE(LoadMediaBytes("m.sna", kinds[0].file.data(), kinds[0].file.size(), false).ok);
    EXPECT_EQ(Machine.ix, 0xBEEF);
    EXPECT_EQ(PeekMemory(0xA000), 0xA0);
    // A tape from bytes streams from the copy: the caller's bytes may go at once.
    Restart();
    {
        Bytes gone = tap;
        ASSERT_TRUE(LoadMediaBytes("t.tap", gone.data(), gone.size(), true).ok);
        std::fill(gone.begin(), gone.end(), 0);
    }
    EXPECT_TRUE(AutoLoadTyping());
    EXPECT_EQ(PeekMemory(TapeTrapAddress), 0xED);
    Machine.fAlt |= FlagC;
    EXPECT_EQ(TapeTrap(0xFF, 0x9000, 3), TrapLoaded);
    EXPECT_EQ(PeekMemory(0x9000), 9);
    EXPECT_EQ(PeekMemory(0x9002), 7);
}

TEST_F(FromBytes, EachRefusalSaysWhyThroughBothDoorsAndChangesNothing) {
    const struct {
        const char* name;
        Bytes file;
        LoadError why;
    } refused[] = {
        {"notes.txt", Bytes(49179, 0), LoadError::UnknownExtension},
        {"short.sna", Bytes(100, 0), LoadError::TooShort},
        {"cut.z80", Bytes(20, 0), LoadError::Damaged},
        {"big.z80", Bytes(Z80MaxFileSize + 1, 0), LoadError::TooLarge},
        {"mono16.wav", WaveFile(Bytes(400, 1), 11025, 16), LoadError::NotPlayable},
        {"plain.tzx", Bytes(64, 0), LoadError::NotTzx},
        {"plain.csw", Bytes(64, 0), LoadError::NotCsw},
        {"plain.pzx", Bytes(64, 0), LoadError::NotPzx},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        Bytes byPath, byBytes;
        const MediaLoaded loaded = LoadBothWays(r.name, r.file, byPath, byBytes);
        EXPECT_FALSE(loaded.ok);
        EXPECT_EQ(loaded.why, LoadErrorText(r.why));
        EXPECT_TRUE(byPath == byBytes);
        Restart();
        const Bytes before = Observe();
        LoadMediaBytes(r.name, r.file.data(), r.file.size(), false);
        EXPECT_TRUE(Observe() == before); // nothing in the machine; the recorder was empty
    }
}

// A FIFO, a folder or a missing path is refused at the one opening, whatever reader its name
// chooses, without waiting for a writer: a snapshot's name leaves the tape in, a tape's takes
// the one before out.
TEST_F(FromBytes, AFifoAFolderOrAMissingPathIsRefusedBeforeAnyReader) {
    for (const char* kind : {".sna", ".z80", ".tap", ".tzx", ".csw", ".pzx", ".wav", ".raw"}) {
        SCOPED_TRACE(kind);
        const std::string fifo = dir / (std::string("fifo") + kind);
        const std::string folder = dir / (std::string("folder") + kind);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        std::filesystem::create_directory(folder);
        const bool snapshot = std::string(kind) == ".sna" || std::string(kind) == ".z80";
        const struct {
            std::string path;
            LoadError why;
        } paths[] = {
            {fifo, LoadError::NotRegularFile},
            {folder, LoadError::NotRegularFile},
            {dir / (std::string("missing") + kind), LoadError::NotFound},
        };
        for (const auto& p : paths) {
            Restart();
            ASSERT_TRUE(LoadMediaBytes("keep.tap", nullptr, 0, false).ok);
            const MediaLoaded loaded = LoadMedia(p.path.c_str(), false);
            EXPECT_FALSE(loaded.ok) << p.path;
            EXPECT_EQ(loaded.why, LoadErrorText(p.why)) << p.path;
            EXPECT_EQ(CurrentTapeStatus().sort, snapshot ? TapeSort::Image : TapeSort::None);
            EXPECT_EQ(Machine.pc, startRecord.pc);
        }
    }
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
