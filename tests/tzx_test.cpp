// .tzx tapes: the block table's bounds, pulses timed to the T-state across frames, turbo blocks
// read by a loader of our own, and whole loads through the ROM, by the trap and as pulses.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <memory>

#include "media/builtin_rom.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/tzx_blocks.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"
#include "pulse_tapes.h"
#include "rom_harness.h"
#include "tzx_files.h"

namespace {

const std::string DataDir = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";

using pulse_tapes::TapBlocks;

// The TAP image's blocks, each with its length word, as tapeconv puts them into a .tzx.
Bytes TzxOfTap(const Bytes& tap) {
    Bytes tzx = TzxHeader();
    for (const Bytes& b : TapBlocks(tap)) tzx = Concat({tzx, StandardBlock(b)});
    return tzx;
}

struct TzxFiles : MediaFixture {
    bool Open(const Bytes& tape, const std::string& name = "tape.tzx") {
        WriteBytes(dir / name, tape);
        return LoadFile((dir / name).c_str());
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
        TzxIndex blocks;
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
    auto csw = [](uint8_t compression, uint32_t rate) {
        Bytes b{0x18, 0x0B, 0, 0, 0, 0, 0};
        PutLe(b, rate, 3);
        return Concat({b, {compression, 1, 0, 0, 0, 5}});
    };
    Bytes generalized = Concat({TzxHeader(), pulse_tapes::GeneralizedBlock({0xFF, 1, 2}, 0)});
    generalized[TzxHeaderSize + 1 + 4 + 8] = 25; // 25 data bits in 3 bytes
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
        {"unknown block past the end", Concat({TzxHeader(), {0x4B, 3, 0, 0, 0, 1, 2}}),
         LoadError::Damaged},
        {"CSW block, compression 3", Concat({TzxHeader(), csw(3, 44100)}), LoadError::Damaged},
        {"CSW block, rate 0", Concat({TzxHeader(), csw(1, 0)}), LoadError::Damaged},
        {"generalized data, stream past the block", generalized, LoadError::Damaged},
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
// the given T-states from that start, frame by frame, as the processor would read it, and that
// the level after the last edge stays.
void ExpectEdges(const std::vector<uint64_t>& edges, uint32_t start, int frames,
                 uint8_t startLevel = 0) {
    Machine.tstates = start;
    PlayTape();
    for (int f = 0; f < frames; ++f) {
        const uint64_t from = uint64_t(f) * FrameTStates, to = from + FrameTStates;
        for (size_t k = 0; k < edges.size(); ++k) {
            const uint64_t at = start + edges[k];
            if (at <= from || at >= to) continue;
            EXPECT_EQ(TapeEarLevel(uint32_t(at - from - 1)), (startLevel + k) & 1)
                << "before " << k;
            EXPECT_EQ(TapeEarLevel(uint32_t(at - from)), (startLevel + k + 1) & 1) << "at " << k;
        }
        TapeFrameStep();
    }
    EXPECT_EQ(TapeEarLevel(FrameTStates - 1), (startLevel + edges.size()) & 1) << "at the end";
}

TEST_F(TzxFiles, EdgesFallOnTheirTStatesAcrossFrames) {
    // 300 pulses of 1000 T-states span five frames; the tape then ends, the last pulse closed
    // by its edge, and stops.
    ASSERT_TRUE(Open(Concat({TzxHeader(), ToneBlock(1000, 300)})));
    EXPECT_EQ(TapePlaying, 0); // stopped until Play or the loader starts it
    std::vector<uint64_t> edges;
    for (uint64_t k = 0; k <= 300; ++k) edges.push_back(1000 * k);
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
                             {0x23, 0x9C, 0xFF}}))); // a jump 100 blocks back, off the tape
    PlayTape();
    TapeFrameStep();
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TzxStopCount, stops) << "a stop block is not a fault";
    EXPECT_EQ(TzxBlockIndex(), 2u);
    PlayTape(); // on from the block after the stop
    TapeFrameStep();
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TzxStopCount, stops + 1);
    EXPECT_STREQ(TzxStopReason, "block 4 (0x23, jump) cannot be played");
    PlayTape(); // the same block again
    TapeFrameStep();
    EXPECT_EQ(TzxStopCount, stops + 2);
    RewindTape();
    EXPECT_EQ(TzxPositionPermille(), 0);
}

TEST_F(TzxFiles, BlocksWithoutSoundAreSkippedByTheirLengthAndStopIf48KStops) {
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
                             {0x16, 1, 0, 0, 0, 0x10}, // another machine's data
                             {0x34, 1, 2, 3, 4, 5, 6, 7, 8},
                             {0x40, 0, 2, 0, 0, 0x16, 0x17},
                             {0x4B, 2, 0, 0, 0, 0x10, 0x11}, // a kind this reader does not know
                             ToneBlock(1000, 2),
                             {0x2A, 0, 0, 0, 0},
                             ToneBlock(1000, 2)})));
    ExpectEdges({0, 1000, 2000, 3000, 4000}, 100, 1); // the stop closes the last pulse
    EXPECT_EQ(TapePlaying, 0) << "stopped by the 48K stop block";
    EXPECT_EQ(TzxBlockIndex(), 14u);
    ExpectEdges({0, 1000, 2000}, 100, 1, 1); // Play goes on after it
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

TEST_F(TzxFiles, BlocksThatTakeNoTimeAreWalkedABoundedNumberAFrame) {
    // 100 times round 10000 group ends: a million blocks, more than one frame may walk.
    ASSERT_TRUE(Open(Concat({TzxHeader(), LoopStartBlock(100), Bytes(10000, TzxGroupEnd),
                             LoopEndBlock(), ToneBlock(1000, 2)})));
    PlayTape();
    int frames = 0;
    for (; TapePlaying && frames < 50; ++frames) TapeFrameStep();
    EXPECT_GT(frames, 2) << "one frame walked them all";
    EXPECT_EQ(TapePlaying, 0) << "the tape still comes to its end";
    // As many blocks 65535 times: each frame still returns, the tape still in the loop.
    ASSERT_TRUE(Open(
        Concat({TzxHeader(), LoopStartBlock(0xFFFF), Bytes(100000, TzxGroupEnd), LoopEndBlock()})));
    PlayTape();
    for (int f = 0; f < 3; ++f) TapeFrameStep();
    EXPECT_EQ(TapePlaying, 1);
}

TEST_F(TzxFiles, TheBlockIndexStaysSmallBesideTheFile) {
    const Bytes tzx = Concat({TzxHeader(), Bytes(size_t(4) << 20, TzxGroupEnd)});
    auto inUse = [] {
        const struct mallinfo2 m = mallinfo2();
        return m.uordblks + m.hblkhd;
    };
    const size_t before = inUse();
    ASSERT_TRUE(Open(tzx));
    const size_t grown = inUse() - before;
    if (grown < tzx.size()) GTEST_SKIP() << "this allocator does not count what it hands out";
    EXPECT_LT(grown, tzx.size() * 3 / 2) << "the file is kept once, and little beside it";
}

TEST_F(TzxFiles, JumpsCallsAndSelectionsPlayTheBlocksTheyName) {
    ASSERT_TRUE(Open(Concat({TzxHeader(),
                             {0x28, 5, 0, 1, 2, 0, 1, 'a'}, // 0: select, the first choice: 2
                             ToneBlock(700, 1),             // 1: passed by the selection
                             {0x26, 2, 0, 2, 0, 4, 0},      // 2: call 4, then 6
                             {0x23, 5, 0},                  // 3: jump to 8
                             ToneBlock(1000, 1),            // 4
                             {0x27},                        // 5: return
                             ToneBlock(2000, 1),            // 6
                             {0x27},                        // 7: return
                             ToneBlock(3000, 1)})));        // 8
    ExpectEdges({0, 1000, 3000, 6000}, 100, 1);
    EXPECT_EQ(TapePlaying, 0);
    // A call inside a call cannot be played.
    const uint32_t stops = TzxStopCount;
    ASSERT_TRUE(Open(Concat({TzxHeader(), {0x26, 1, 0, 1, 0}, {0x26, 1, 0, 1, 0}, {0x27}})));
    PlayTape();
    TapeFrameStep();
    EXPECT_EQ(TzxStopCount, stops + 1);
    EXPECT_STREQ(TzxStopReason, "block 2 (0x26, call sequence) cannot be played");
}

TEST_F(TzxFiles, GeneralizedSymbolsSetTheirFirstLevelAsTheirFlagsSay) {
    // Pilot symbols: 0 an edge then 500, 1 no edge then 700 and 300, 2 low for 400, 3 high for
    // 600; the stream 0, 1 twice, 2, 3, 2. Data symbols: 0 two pulses of 100, 1 one of 200.
    Bytes body;
    PutLe(body, 0, 2), PutLe(body, 4, 4);
    body.push_back(2), body.push_back(4);
    PutLe(body, 5, 4);
    body.push_back(2), body.push_back(2);
    const uint16_t symbols[4][3] = {{0, 500, 0}, {1, 700, 300}, {2, 400, 0}, {3, 600, 0}};
    for (const auto& sym : symbols)
        body.push_back(uint8_t(sym[0])), PutLe(body, sym[1], 2), PutLe(body, sym[2], 2);
    for (uint16_t entry : {0x0100, 0x0201, 0x0102, 0x0103}) // the symbol, its repeats above
        body.push_back(uint8_t(entry)), PutLe(body, entry >> 8, 2);
    body = Concat({body, {0, 100, 0, 100, 0, 0, 200, 0, 0, 0}});
    body.push_back(0b01101000); // data symbols 0, 1, 1, 0, 1
    Bytes block{0x19};
    PutLe(block, uint32_t(body.size()), 4);
    ASSERT_TRUE(Open(Concat({TzxHeader(), block, body})));
    // 0: edge at 0; 1 twice: 500 no edge, 1200 edge, 1500 no edge, 2200 edge; 2: low at 2500;
    // 3: high at 2900; data from 3500: 0 = two edges, 1 = one edge; the end closes the last.
    ExpectEdges({0, 1200, 2200, 2500, 2900, 3500, 3600, 3700, 3900, 4100, 4200, 4300, 4500}, 100,
                1);
}

TEST_F(TzxFiles, ASymbolOutsideItsTableStopsTheTapeEachTimeItIsPlayed) {
    // Found by fuzzing: the pilot stream's first symbol is 31 of a table of 2; stopped there, the
    // tape was started again by the loader trap and read the table's 31st entry.
    Bytes tzx = Concat({TzxHeader(), pulse_tapes::GeneralizedBlock({0xFF, 1, 2}, 0)});
    tzx[TzxHeaderSize + 1 + 4 + 0x0E + 10] = 31;
    ASSERT_TRUE(Open(tzx));
    const uint32_t stops = TzxStopCount;
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(TzxTrap(0xFF, 0x8000, 1), TrapDeclined);
        TapeFrameStep();
        EXPECT_EQ(TapePlaying, 0);
        EXPECT_EQ(TzxStopCount, stops + uint32_t(k));
    }
    EXPECT_STREQ(TzxStopReason, "block 1 (0x19, generalized data) cannot be played");
}

// ---- CSW recordings and .pzx tapes -----------------------------------------------------------

TEST_F(TzxFiles, CswAndPzxFilesThatAreNotGoodAreRefused) {
    using namespace pulse_tapes;
    const Bytes tap = ReadBytes(DataDir + "hello.tap");
    Bytes csw1 = CswFile1(tap, 44100), csw2 = CswFile2(tap, 44100), pzx = PzxFile(tap);
    Bytes rate0 = csw1, compression3 = csw2, version3 = csw1, cutPzx = pzx, longData = pzx;
    rate0[0x19] = rate0[0x1A] = 0;
    compression3[0x21] = 3;
    version3[0x17] = 3;
    cutPzx.pop_back();
    const size_t data = size_t(std::search(pzx.begin(), pzx.end(), "DATA", "DATA" + 4) -
                               pzx.begin()); // its bit count grows past its bytes
    longData[data + 8 + 1] = 0x7F;
    const struct {
        const char* what;
        const char* name;
        Bytes file;
        LoadError error;
    } cases[] = {
        {"CSW signature", "a.csw", Bytes(csw1.begin() + 1, csw1.end()), LoadError::NotCsw},
        {"CSW version 3", "a.csw", version3, LoadError::NotCsw},
        {"CSW rate 0", "a.csw", rate0, LoadError::Damaged},
        {"CSW compression 3", "a.csw", compression3, LoadError::Damaged},
        {"CSW header cut", "a.csw", Bytes(csw2.begin(), csw2.begin() + 0x30), LoadError::Damaged},
        {"PZX without its header", "a.pzx", PzxBlock("PULS", {1, 0}), LoadError::NotPzx},
        {"PZX block past the end", "a.pzx", cutPzx, LoadError::Damaged},
        {"PZX bits past their block", "a.pzx", longData, LoadError::Damaged},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Open(c.file, c.name)) << c.what;
        EXPECT_EQ(LastLoadError, c.error) << c.what;
        EXPECT_EQ(CurrentTape, nullptr) << c.what;
    }
    for (const Bytes* good : {&csw1, &csw2}) EXPECT_TRUE(Open(*good, "a.csw"));
    EXPECT_TRUE(Open(pzx, "a.pzx"));
}

TEST_F(TzxFiles, DamagedCompressedRecordingsStopTheTapeAndSaySo) {
    using namespace pulse_tapes;
    const Bytes runs = Deflate(Bytes(3000, 40));
    Bytes broken = runs;
    broken[broken.size() / 2] ^= 0x55;
    Bytes block{0x18};
    PutLe(block, uint32_t(0x0A + broken.size()), 4);
    PutLe(block, 0, 2), PutLe(block, 44100, 3), block.push_back(2), PutLe(block, 3000, 4);
    Bytes csw = Concat({CswSignature(), {2, 0}});
    PutLe(csw, 44100, 4), PutLe(csw, 3000, 4);
    csw = Concat({csw, {2, 0, 0}, Bytes(16, ' '), broken});
    const struct {
        const char* name;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"a.tzx", Concat({TzxHeader(), block, broken}),
         "block 1 (0x18, CSW recording) cannot be played"},
        {"a.csw", csw, "the recording's data is damaged"},
    };
    for (const auto& c : cases) {
        const uint32_t stops = TzxStopCount;
        ASSERT_TRUE(Open(c.file, c.name));
        PlayTape();
        for (int f = 0; f < 10 && TapePlaying; ++f) TapeFrameStep();
        EXPECT_EQ(TapePlaying, 0) << c.name;
        EXPECT_EQ(TzxStopCount, stops + 1) << c.name;
        EXPECT_STREQ(TzxStopReason, c.reason);
    }
}

TEST_F(TzxFiles, PzxLevelsFollowTheirBlocks) {
    using pulse_tapes::PzxBlock;
    Bytes data{2, 0, 0, 0, 44, 1, 1, 2}; // two bits from low, a tail of 300, 1 and 2 pulses
    PutLe(data, 400, 2), PutLe(data, 600, 2), PutLe(data, 600, 2);
    data.push_back(0b01000000);
    ASSERT_TRUE(Open(
        Concat({PzxBlock("PZXT", {1, 0}), PzxBlock("PULS", {0x03, 0x80, 0xF4, 0x01, 0xE8, 0x03}),
                PzxBlock("PAUS", {0xD0, 0x07, 0, 0x80}), // 2000 high
                PzxBlock("DATA", data), PzxBlock("STOP", {0, 0}), PzxBlock("PULS", {100, 0})}),
        "a.pzx"));
    // Three pulses of 500 from low and one of 1000; held high; the bits from low: 0 one pulse
    // of 400, 1 two of 600; the tail, then the stop.
    ExpectEdges({500, 1000, 1500, 4500, 4900, 5500, 6100}, 100, 1);
    EXPECT_EQ(TapePlaying, 0);
    ExpectEdges({0, 100}, 100, 1, 1); // a PULS block starts low; the end closes its pulse
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

} // namespace
