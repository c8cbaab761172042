// .tzx tapes: the block table's bounds, pulses timed to the T-state across frames, turbo blocks
// read by a loader of our own, and whole loads through the ROM, by the trap and as pulses.
#include <gtest/gtest.h>

#include <memory>

#include "media/builtin_rom.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/tzx_blocks.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"
#include "rom_harness.h"
#include "tzx_files.h"

namespace {

const std::string DataDir = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";

// The TAP image's blocks, each with its length word, as tapeconv puts them into a .tzx.
std::vector<Bytes> TapBlocks(const Bytes& tap) {
    std::vector<Bytes> blocks;
    for (size_t at = 0; at + 2 <= tap.size();) {
        const size_t n = 2 + size_t(tap[at] | tap[at + 1] << 8);
        blocks.emplace_back(tap.begin() + long(at), tap.begin() + long(at + n));
        at += n;
    }
    return blocks;
}

Bytes TzxOfTap(const Bytes& tap) {
    Bytes tzx = TzxHeader();
    for (const Bytes& b : TapBlocks(tap)) tzx = Concat({tzx, StandardBlock(b)});
    return tzx;
}

struct TzxFiles : MediaFixture {
    bool Open(const Bytes& tzx) {
        WriteBytes(dir / "tape.tzx", tzx);
        return LoadFile((dir / "tape.tzx").c_str());
    }
};

TEST_F(TzxFiles, EveryCutOfAGoodTapeIsReadSafely) {
    const Bytes tap = ReadBytes(DataDir + "hello.tap");
    const Bytes tzx = ReadBytes(DataDir + "hello.tzx"); // written by tapeconv
    ASSERT_EQ(tzx, TzxOfTap(tap)) << "tapeconv and our reading of the layout disagree";
    // A cut at a block's end leaves a shorter good tape; anywhere else the last block is cut.
    std::vector<size_t> ends{TzxHeaderSize};
    for (const Bytes& b : TapBlocks(tap)) ends.push_back(ends.back() + 3 + b.size());
    ASSERT_EQ(ends.back(), tzx.size());
    for (size_t n = 0; n <= tzx.size(); ++n) {
        auto exact = std::make_unique<uint8_t[]>(n); // ASan sees a read one past the cut
        std::memcpy(exact.get(), tzx.data(), n);
        std::vector<TzxBlock> blocks;
        const bool atEnd = std::find(ends.begin(), ends.end(), n) != ends.end();
        LastLoadError = LoadError::None;
        EXPECT_EQ(ReadTzxBlocks(exact.get(), n, blocks), atEnd) << "cut at " << n;
        if (!atEnd) {
            const LoadError why = n < TzxHeaderSize ? LoadError::NotTzx : LoadError::Damaged;
            EXPECT_EQ(LastLoadError, why) << n;
        }
    }
    ForgetTzx();
}

TEST_F(TzxFiles, WhatIsNotAGoodTapeIsRefusedAndLeavesTheRecorderEmpty) {
    const Bytes tone = ToneBlock(1000, 4);
    Bytes pastEnd = Concat({TzxHeader(), TurboBlock({2168, 667, 735, 855, 1710, 10}, {1, 2, 3})});
    pastEnd[TzxHeaderSize + 1 + 0x0F + 2] = 0x01; // 3 bytes claimed as 65539
    Bytes noLevel = Concat({TzxHeader(), {0x2B, 0, 0, 0, 0, 1}});
    struct Case {
        const char* what;
        Bytes file;
        LoadError error;
    } cases[] = {
        {"signature", Concat({{'Z', 'X', 'T', 'a', 'p', 'e', '?', 0x1A, 1, 20}, tone}),
         LoadError::NotTzx},
        {"version 2", Concat({TzxHeader(2, 0), tone}), LoadError::NotTzx},
        {"header only, cut", Bytes{'Z', 'X', 'T'}, LoadError::NotTzx},
        {"length past the end", pastEnd, LoadError::Damaged},
        {"signal level without its byte", noLevel, LoadError::Damaged},
        {"pulse sequence cut", Concat({TzxHeader(), {0x13, 3, 0x10, 0x10}}), LoadError::Damaged},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Open(c.file)) << c.what;
        EXPECT_EQ(LastLoadError, c.error) << c.what;
        EXPECT_EQ(CurrentTape, nullptr) << c.what;
        EXPECT_EQ(TapeFromEdges, 0) << c.what;
    }
    // An empty tape is a tape: it plays nothing and stops.
    ASSERT_TRUE(Open(TzxHeader()));
    PlayTape();
    TapeFrameStep();
    EXPECT_EQ(TapePlaying, 0);
}

// ---- Pulses ---------------------------------------------------------------------------------

// Plays the tape from `start` in frame 0 and checks the EAR level on both sides of every edge at
// the given T-states from that start, frame by frame, as the processor would read it.
void ExpectEdges(const std::vector<uint64_t>& edges, uint32_t start, int frames) {
    Machine.tstates = start;
    PlayTape();
    for (int f = 0; f < frames; ++f) {
        const uint64_t from = uint64_t(f) * FrameTStates, to = from + FrameTStates;
        for (size_t k = 0; k < edges.size(); ++k) {
            const uint64_t at = start + edges[k];
            if (at <= from || at >= to) continue;
            EXPECT_EQ(TapeEarLevel(uint32_t(at - from - 1)), k & 1) << "before edge " << k;
            EXPECT_EQ(TapeEarLevel(uint32_t(at - from)), (k + 1) & 1) << "at edge " << k;
        }
        TapeFrameStep();
    }
}

TEST_F(TzxFiles, EdgesFallOnTheirTStatesAcrossFrames) {
    // 300 pulses of 1000 T-states span five frames; the tape then ends and stops.
    ASSERT_TRUE(Open(Concat({TzxHeader(), ToneBlock(1000, 300)})));
    EXPECT_EQ(TapePlaying, 0); // stopped until Play or the loader starts it
    std::vector<uint64_t> edges;
    for (uint64_t k = 0; k < 300; ++k) edges.push_back(1000 * k);
    ExpectEdges(edges, 123, 6);
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TzxPositionPermille(), 1000);

    // A pause closes the last pulse with an edge, holds that level 1 ms, then goes low. A
    // pulse sequence, a loop of tones and a signal level block make the rest.
    ASSERT_TRUE(Open(Concat({TzxHeader(),
                             PulseBlock({1000, 1000}),
                             PauseBlock(10),
                             LoopStartBlock(3),
                             ToneBlock(500, 2),
                             TextBlock("x"),
                             LoopEndBlock(),
                             {0x2B, 1, 0, 0, 0, 1}})));
    const uint64_t pause = 2000 + 10 * 3500;
    ExpectEdges({0, 1000, 2000, 2000 + 3500, pause, pause + 500, pause + 1000, pause + 1500,
                 pause + 2000, pause + 2500, pause + 3000 /* set to 1 */},
                69000, 2);
}

TEST_F(TzxFiles, StopBlocksStopAndBlocksThatCannotPlayTellWhy) {
    const uint32_t stops = TzxStopCount;
    ASSERT_TRUE(Open(Concat({TzxHeader(),
                             ToneBlock(1000, 10),
                             PauseBlock(0),
                             ToneBlock(1000, 10),
                             {0x19, 0, 0, 0, 0}})));
    PlayTape();
    TapeFrameStep();
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TzxStopCount, stops) << "a stop block is not a fault";
    EXPECT_EQ(TzxBlockIndex(), 2u);
    PlayTape(); // on from the block after the stop
    TapeFrameStep();
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TzxStopCount, stops + 1);
    EXPECT_STREQ(TzxStopReason, "block 4 (0x19, generalized data) cannot be played");
    PlayTape(); // the same block again
    TapeFrameStep();
    EXPECT_EQ(TzxStopCount, stops + 2);
    RewindTape();
    EXPECT_EQ(TzxPositionPermille(), 0);
}

TEST_F(TzxFiles, GroupsAndDescriptionsTakeNoTimeAndStopIf48KStops) {
    Bytes custom{0x35};
    for (char c : std::string("POKEs           ")) custom.push_back(uint8_t(c));
    custom = Concat({custom, {2, 0, 0, 0, 'a', 'b'}});
    ASSERT_TRUE(Open(Concat({TzxHeader(),
                             {0x21, 1, 'g'},
                             ToneBlock(1000, 2),
                             {0x22},
                             {0x31, 5, 2, 'h', 'i'},
                             {0x32, 4, 0, 1, 0x00, 1, 'x'},
                             {0x33, 1, 0, 0, 1},
                             custom,
                             {0x5A, 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20},
                             ToneBlock(1000, 2),
                             {0x2A, 0, 0, 0, 0},
                             ToneBlock(1000, 2)})));
    ExpectEdges({0, 1000, 2000, 3000}, 100, 1);
    EXPECT_EQ(TapePlaying, 0) << "stopped by the 48K stop block";
    EXPECT_EQ(TzxBlockIndex(), 10u);
    ExpectEdges({0, 1000}, 100, 1); // Play goes on after it
}

TEST_F(TzxFiles, PulsesOfNoLengthAndLongLoopsStillReturnEachFrame) {
    // 65535 times 65535 pulses that last no time: they cancel in pairs and use up a bounded
    // share of each frame; the level never moves.
    ASSERT_TRUE(Open(Concat({TzxHeader(), LoopStartBlock(0xFFFF), ToneBlock(0, 0xFFFF),
                             LoopEndBlock(), LoopEndBlock(), LoopStartBlock(5)})));
    PlayTape();
    for (int f = 0; f < 3; ++f) {
        TapeFrameStep();
        EXPECT_LE(TapeEdgeCount, 1u);
    }
}

// ---- Our own loader, for blocks with other timings ------------------------------------------

struct OwnLoader : TzxFiles {
    static constexpr uint16_t Zero = 900, One = 1800, Pilot = 2400, Sync = 600;
    Bytes data = Pattern(256, 5);

    // The loader in RAM from 0x8000, the tape playing; true once it says the bytes are in.
    bool Loads(const Bytes& tzx) {
        BootRom(1);
        const Bytes loader = ReadBytes(DataDir + "turbo_loader.bin");
        std::memcpy(Machine.memory + 0x8000, loader.data(), loader.size());
        Machine.memory[0x8FF0] = 0;
        std::memset(Machine.memory + 0x9000, 0, 256);
        Machine.pc = 0x8000;
        if (!Open(tzx)) return false;
        PlayTape();
        for (int f = 0; f < 300 && Machine.memory[0x8FF0] != 1; ++f) RunFrames(1);
        return Machine.memory[0x8FF0] == 1;
    }
    std::vector<uint16_t> Pulses() const {
        std::vector<uint16_t> p(200, Pilot);
        p.push_back(Sync), p.push_back(Sync);
        for (uint8_t byte : data)
            for (int bit = 7; bit >= 0; --bit) p.insert(p.end(), 2, byte >> bit & 1 ? One : Zero);
        p.push_back(Pilot); // the last pulse ends
        return p;
    }
};

TEST_F(OwnLoader, TurboPureAndDirectBlocksLoadTheirBytes) {
    const Bytes turbo = TurboBlock({Pilot, Sync, Sync, Zero, One, 200}, data, 8, 100);
    const Bytes pieces = Concat({LoopStartBlock(20), ToneBlock(Pilot, 10), LoopEndBlock(),
                                 PulseBlock({Sync, Sync}), PureDataBlock(Zero, One, data, 100)});
    std::vector<uint8_t> levels;
    uint8_t level = 0;
    for (uint16_t p : Pulses()) {
        level ^= 1;
        levels.insert(levels.end(), p / 100, level);
    }
    const Bytes direct = DirectBlock(100, levels, 100);
    for (const Bytes* blocks : {&turbo, &pieces, &direct}) {
        SCOPED_TRACE(blocks == &turbo ? "turbo" : blocks == &pieces ? "pieces" : "direct");
        ASSERT_TRUE(Loads(Concat({TzxHeader(), TextBlock("own loader"), *blocks})));
        EXPECT_EQ(Bytes(Machine.memory + 0x9000, Machine.memory + 0x9100), data);
    }
    // The same bytes at the ROM's timings are too slow for this loader's pilot.
    Bytes slow = TurboBlock({1200, Sync, Sync, Zero, One, 200}, data);
    EXPECT_FALSE(Loads(Concat({TzxHeader(), slow})));
}

// ---- Whole loads through the ROM ------------------------------------------------------------

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
    std::vector<Bytes> blocks = TapBlocks(ReadBytes(DataDir + "hello.tap"));
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

} // namespace
