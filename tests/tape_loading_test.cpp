// Whole loads through the real ROM: tape images through the loader trap, LOAD and VERIFY typed
// on the keyboard, and recordings of the same tapes read by the ROM's own loader from EAR.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "media/load_file.h"
#include "media/rom.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "media_files.h"
#include "rom_harness.h"

namespace {

const std::string DataDir = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";

constexpr const char* LoadQuote = "J SS+P SS+P ENTER";            // LOAD ""
constexpr const char* VerifyQuote = "CS+SS SS+R SS+P SS+P ENTER"; // VERIFY "" (extended mode)

// Runs frames until the screen shows the text, for at most maxFrames; returns the frames run,
// or -1 if the text never showed.
int FramesUntilShown(const std::string& text, int maxFrames) {
    for (int frame = 0; frame <= maxFrames; frame += 5) {
        if (ScreenText().find(text) != std::string::npos) return frame;
        RunFrames(5);
    }
    return -1;
}
bool RunUntilShown(const std::string& text, int maxFrames) {
    return FramesUntilShown(text, maxFrames) >= 0;
}

bool Shows(const std::string& text) { return ScreenText().find(text) != std::string::npos; }

uint16_t SysVar(uint16_t addr) {
    return uint16_t(Machine.memory[addr] | Machine.memory[addr + 1] << 8);
}
constexpr uint16_t PROG = 23635, VARS = 23627;

struct TapeLoading : ::testing::Test {
    void SetUp() override {
        if (BuiltinRomKind != RomKind::Standard48)
            GTEST_SKIP() << "the keyword entry and reports differ on this ROM";
        CloseTape();
        SetProgramFolder(""); // no spectrum.rom: the built-in ROM, patched for TAP images
        BootRom();
    }
    void TearDown() override {
        CloseTape();
        TapeRate = 11025;
        SetTapeRate();
    }
    void InsertTap(const std::string& path) {
        ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Tap)) << path;
        LoadRom();
    }
};

TEST_F(TapeLoading, MachineCodeWithBasicLoaderLoadsAndRuns) {
    InsertTap(DataDir + "hello.tap");
    ASSERT_TRUE(TypeKeys(LoadQuote));
    EXPECT_TRUE(RunUntilShown("MACHINE CODE RAN", 500)) << ScreenText();
    EXPECT_TRUE(RunUntilShown("0 OK, 40:1", 100)) << ScreenText();
}

TEST_F(TapeLoading, BasicProgramLoadsAndRuns) {
    InsertTap(DataDir + "basic.tap");
    ASSERT_TRUE(TypeKeys(LoadQuote));
    EXPECT_TRUE(RunUntilShown("BASIC PROGRAM RAN", 500)) << ScreenText();
    EXPECT_TRUE(Shows("42")) << ScreenText();
    EXPECT_TRUE(RunUntilShown("0 OK, 20:1", 100)) << ScreenText();
}

TEST_F(TapeLoading, LoadingScreenThenCodeBlock) {
    ScratchDir dir;
    const Bytes picture = ReadBytes(DataDir + "screen-picture.tap");
    WriteBytes(dir / "screen.tap", Concat({ReadBytes(DataDir + "screen-loader.tap"), picture,
                                           ReadBytes(DataDir + "screen-code.tap")}));
    InsertTap(dir / "screen.tap");
    ASSERT_TRUE(TypeKeys(LoadQuote));
    EXPECT_TRUE(RunUntilShown("SCREEN AND CODE RAN", 500)) << ScreenText();
    EXPECT_TRUE(RunUntilShown("0 OK, 30:1", 100)) << ScreenText();
    // The middle third of the picture and its attributes, where no message is printed. The
    // picture's data block follows its 21-byte header block and its own length and flag.
    ASSERT_EQ(picture.size(), 21u + 2 + 1 + 6912 + 1);
    const uint8_t* screen = picture.data() + 21 + 3;
    EXPECT_EQ(std::memcmp(Machine.memory + 0x4800, screen + 0x0800, 0x0800), 0);
    EXPECT_EQ(std::memcmp(Machine.memory + 0x5900, screen + 0x1900, 0x0100), 0);
}

TEST_F(TapeLoading, VerifyComparesWithoutWriting) {
    InsertTap(DataDir + "hello.tap");
    ASSERT_TRUE(TypeKeys(LoadQuote));
    ASSERT_TRUE(RunUntilShown("0 OK, 40:1", 600)) << ScreenText();

    auto program = [] {
        return Bytes(Machine.memory + SysVar(PROG), Machine.memory + SysVar(VARS));
    };
    const Bytes code(Machine.memory + 0x8000, Machine.memory + 0x10000);
    const Bytes basic = program();
    ASSERT_GT(basic.size(), 10u);

    // The same tape again: the program in memory matches it.
    RewindTape();
    ASSERT_TRUE(TypeKeys(VerifyQuote));
    EXPECT_TRUE(RunUntilShown("0 OK, 0:1", 300)) << ScreenText();
    EXPECT_TRUE(program() == basic);
    EXPECT_TRUE(Bytes(Machine.memory + 0x8000, Machine.memory + 0x10000) == code);

    // Another program's tape: a loading error, and still nothing written.
    InsertTap(DataDir + "basic.tap");
    ASSERT_TRUE(TypeKeys(VerifyQuote));
    EXPECT_TRUE(RunUntilShown("R Tape loading error, 0:1", 300)) << ScreenText();
    EXPECT_TRUE(program() == basic);
    EXPECT_TRUE(Bytes(Machine.memory + 0x8000, Machine.memory + 0x10000) == code);
}

TEST_F(TapeLoading, LoaderAskedForHalfOfMemoryFromACutTapeFailsAndWritesNothing) {
    // Found by fuzzing: 32767 bytes asked for at 0x5004, from a tape cut inside its first
    // length word. LD-BYTES is called as LOAD calls it and returns to a HALT at 0xE000.
    ScratchDir dir;
    WriteBytes(dir / "cut.tap", {0x01});
    InsertTap(dir / "cut.tap");
    Machine.memory[0xE000] = 0xF3, Machine.memory[0xE001] = 0x76; // DI; HALT
    Machine.memory[0xE010] = 0x00, Machine.memory[0xE011] = 0xE0;
    Machine.sp = 0xE010;
    Machine.pc = 0x0556; // LD-BYTES
    Machine.a = 0x01, Machine.f = FlagC, Machine.ix = 0x5004;
    Machine.SetDE(0x7FFF);
    Machine.interruptState &= uint8_t(~Iff1Bit);
    Machine.tstates = 0;
    const Bytes before(Machine.memory, Machine.memory + 0x10000);
    RunFrames(2);
    EXPECT_TRUE(Machine.halted);
    EXPECT_EQ(Machine.pc, 0xE002);
    EXPECT_EQ(Machine.f & FlagC, 0) << "nothing loaded";
    for (uint32_t a = 0; a < 0x10000; ++a) {
        if (a == 0xE00E || a == 0xE00F) continue; // the loader's own push below the return
        ASSERT_EQ(Machine.memory[a], before[a]) << std::hex << a;
    }
}

TEST_F(TapeLoading, TrapDoesNothingAwayFromTheLoader) {
    // ED FF run from RAM is a plain two-byte instruction; the machine carries on.
    InsertTap(DataDir + "hello.tap");
    Machine.memory[0x8000] = 0xED, Machine.memory[0x8001] = 0xFF;
    Machine.memory[0x8002] = 0x76; // HALT
    Machine.pc = 0x8000;
    Machine.interruptState = 0;
    const long before = std::ftell(CurrentTape);
    RunFrames(1);
    EXPECT_EQ(Machine.halted, 1);
    EXPECT_EQ(std::ftell(CurrentTape), before);
}

// ---- Recordings through the ROM's own loader -----------------------------------------------

struct Recording {
    const char* file;
    uint32_t rate;
    const char* shown; // what the loaded program prints
};

class RecordingLoading : public TapeLoading, public ::testing::WithParamInterface<Recording> {};

TEST_P(RecordingLoading, LoadsAtItsRate) {
    const Recording& r = GetParam();
    TapeRate = r.rate;
    ASSERT_TRUE(LoadFileAs((DataDir + r.file).c_str(), MediaKind::Raw));
    EXPECT_FALSE(LoadRom());
    EXPECT_EQ(Machine.memory[TapeTrapAddress], BuiltinRom[TapeTrapAddress]); // no trap
    ASSERT_TRUE(TypeKeys(LoadQuote));
    // The recordings last under 20 seconds (1000 frames), and the program cannot run before
    // its pilot tones, headers and blocks have played: seconds, not frames.
    const int frames = FramesUntilShown(r.shown, 1100);
    EXPECT_GT(frames, 250) << ScreenText();
    EXPECT_FALSE(Shows("Tape loading error")) << ScreenText();
}

INSTANTIATE_TEST_SUITE_P(Rates, RecordingLoading,
                         ::testing::Values(Recording{"hello-11025.wav", 11025, "MACHINE CODE RAN"},
                                           Recording{"hello-11025.raw", 11025, "MACHINE CODE RAN"},
                                           Recording{"hello-22050.wav", 22050, "MACHINE CODE RAN"},
                                           Recording{"hello-22050.raw", 22050, "MACHINE CODE RAN"},
                                           Recording{"hello-44100.wav", 44100, "MACHINE CODE RAN"},
                                           Recording{"hello-44100.raw", 44100, "MACHINE CODE RAN"},
                                           Recording{"basic-11025.raw", 11025, "BASIC PROGRAM RAN"},
                                           Recording{"basic-22050.wav", 22050, "BASIC PROGRAM RAN"},
                                           Recording{"basic-44100.raw", 44100,
                                                     "BASIC PROGRAM RAN"}),
                         [](const ::testing::TestParamInfo<Recording>& info) {
                             std::string name = std::string(info.param.file) + "_at_" +
                                                std::to_string(info.param.rate);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace
