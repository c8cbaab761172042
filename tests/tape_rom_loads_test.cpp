// Whole loads through the ROM's LOAD "": standard blocks through the loader trap, and every
// other way a tape can carry the same program, .tzx blocks, CSW recordings and .pzx tapes, read
// as pulses by the ROM's own loader with the trap in place.
#include <gtest/gtest.h>

#include "media/builtin_rom.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"
#include "pulse_tapes.h"
#include "rom_harness.h"

namespace {

const std::string DataDir = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";

constexpr const char* LoadQuote = "J SS+P SS+P ENTER";

int FramesUntilShown(const std::string& text, int maxFrames) {
    for (int frame = 0; frame <= maxFrames; frame += 5) {
        if (ScreenText().find(text) != std::string::npos) return frame;
        RunFrames(5);
    }
    return -1;
}

struct TzxLoading : MediaFixture {
    void SetUp() override {
        MediaFixture::SetUp();
        if (BuiltinRomKind != RomKind::Standard48)
            GTEST_SKIP() << "the keyword entry and reports differ on this ROM";
    }
    void TearDown() override {
        SetProgramFolder("");
        MediaFixture::TearDown();
    }
    // With `romFile`, a spectrum.rom beside the program: no trap, the ROM reads the pulses.
    void Start(const std::string& tape, bool romFile) {
        if (romFile) {
            WriteBytes(dir / "spectrum.rom", Bytes(BuiltinRom, BuiltinRom + sizeof BuiltinRom));
            SetProgramFolder(dir.path.string());
        } else {
            SetProgramFolder("");
        }
        BootRom();
        ASSERT_TRUE(LoadFile(tape.c_str())) << tape;
        EXPECT_EQ(LoadRom(), romFile);
        EXPECT_EQ(Machine.memory[TapeTrapAddress] == 0xED, !romFile);
        EXPECT_EQ(TapePlaying, romFile ? 1 : 0);
        ASSERT_TRUE(TypeKeys(LoadQuote));
    }
};

// The header's pilot tone alone lasts 8063 x 2168 T-states, 250 frames.
constexpr int PilotFrames = 250;

TEST_F(TzxLoading, TheTrapReadsStandardBlocksAtOnce) {
    Start(DataDir + "hello.tzx", false);
    EXPECT_EQ(TapePlaying, 1) << "the loader starts the tape";
    const int frames = FramesUntilShown("MACHINE CODE RAN", 200);
    EXPECT_GE(frames, 0) << ScreenText();
    EXPECT_LT(frames, PilotFrames);
    EXPECT_EQ(TzxBlockIndex(), 3u) << "in the last block's pause";
}

TEST_F(TzxLoading, TheRomsOwnLoaderReadsThePulses) {
    for (const char* tape : {"hello", "basic"}) {
        SCOPED_TRACE(tape);
        Start(DataDir + tape + ".tzx", true);
        const int frames = FramesUntilShown(
            tape == std::string("hello") ? "MACHINE CODE RAN" : "BASIC PROGRAM RAN", 1500);
        EXPECT_GT(frames, PilotFrames) << ScreenText();
    }
}

TEST_F(TzxLoading, BlocksTheTrapCannotReadArePlayedToTheRom) {
    // The header as a turbo block at the ROM's own timings: the trap leaves it to the ROM, which
    // reads its pulses; the blocks after it are standard again and come through the trap.
    std::vector<Bytes> blocks = pulse_tapes::TapBlocks(ReadBytes(DataDir + "hello.tap"));
    const Bytes header(blocks[0].begin() + 2, blocks[0].end());
    Bytes tzx =
        Concat({TzxHeader(), TurboBlock({2168, 667, 735, 855, 1710, 8063}, header, 8, 1000)});
    for (size_t k = 1; k < blocks.size(); ++k) tzx = Concat({tzx, StandardBlock(blocks[k])});
    WriteBytes(dir / "turbo.tzx", tzx);
    Start(dir / "turbo.tzx", false);
    const int frames = FramesUntilShown("MACHINE CODE RAN", 1000);
    EXPECT_GT(frames, PilotFrames) << ScreenText();
    EXPECT_LT(frames, 2 * PilotFrames) << "the blocks after the header came through the trap";
}

// The screen once the program has run and BASIC has had a second to report.
Bytes ScreenAfter(const std::string& text, int maxFrames) {
    if (FramesUntilShown(text, maxFrames) < 0) return {};
    RunFrames(50);
    return Bytes(Machine.memory + 0x4000, Machine.memory + 0x4000 + 6912);
}

TEST_F(TzxLoading, EveryEncodingLoadsThroughTheRomsOwnLoaderWithTheTrapIn) {
    using namespace pulse_tapes;
    const Bytes tap = ReadBytes(DataDir + "hello.tap");
    Start(DataDir + "hello.tap", false);
    const Bytes expected = ScreenAfter("MACHINE CODE RAN", 200);
    ASSERT_FALSE(expected.empty()) << ScreenText();

    auto turbo = [](const Bytes& p, uint16_t ms) { return TurboAtRomTimings(p, ms); };
    auto pieces = [](const Bytes& p, uint16_t ms) { return PiecesAtRomTimings(p, ms); };
    auto direct = [](const Bytes& p, uint16_t ms) { return DirectAtRomTimings(p, 79, ms); };
    auto rle = [](const Bytes& p, uint16_t ms) { return CswBlock(p, 44100, false, ms); };
    auto zrle = [](const Bytes& p, uint16_t ms) { return CswBlock(p, 22050, true, ms); };
    auto generalized = [](const Bytes& p, uint16_t ms) { return GeneralizedBlock(p, ms); };
    const struct {
        const char* name;
        Bytes tape;
    } tapes[] = {
        {"turbo.tzx", TzxOf(tap, turbo)},
        {"turbo-no-last-pause.tzx", TzxOf(tap, turbo, 0)},
        {"pieces.tzx", TzxOf(tap, pieces)},
        {"direct.tzx", TzxOf(tap, direct, 0)},
        {"csw-rle.tzx", TzxOf(tap, rle)},
        {"csw-zrle.tzx", TzxOf(tap, zrle, 0)},
        {"generalized.tzx", TzxOf(tap, generalized, 0)},
        {"v1.csw", CswFile1(tap, 44100)},
        {"v2.csw", CswFile2(tap, 48000)},
        {"tape.pzx", PzxFile(tap)},
    };
    for (const auto& t : tapes) {
        SCOPED_TRACE(t.name);
        WriteBytes(dir / t.name, t.tape);
        Start(dir / t.name, false);
        const Bytes screen = ScreenAfter("MACHINE CODE RAN", 2000);
        EXPECT_TRUE(screen == expected) << ScreenText();
        EXPECT_EQ(TzxStopCount, 0u);
    }
}

TEST_F(TzxLoading, BreakStopsTheLoaderAfterTheEndOfATape) {
    Start(DataDir + "hello.tzx", false);
    ASSERT_GE(FramesUntilShown("MACHINE CODE RAN", 200), 0);
    RunFrames(150); // the last block's pause ends and the tape stops
    EXPECT_EQ(TapePlaying, 0);
    ASSERT_TRUE(TypeKeys(LoadQuote)); // nothing left: the ROM's loader waits for a signal
    RunFrames(50);
    ASSERT_TRUE(TypeKeys("SPACE", 10));
    EXPECT_GE(FramesUntilShown("BREAK - CONT repeats", 50), 0) << ScreenText();
}

} // namespace
