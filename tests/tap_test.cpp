#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/machine.h"
#include "engine/power_on.h"
#include "media/builtin_rom.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "media_files.h"
#include "peripherals/input_state.h"
#include "peripherals/ports.h"
#include "tests/cpu_harness.h"

namespace {

constexpr uint8_t Header = 0x00, Data = 0xFF;

// A clean machine with the tape file open and F' set up for a LOAD.
struct TapFixture : MediaFixture {
    void Insert(const Bytes& tap) {
        WriteBytes(dir / "t.tap", tap);
        CleanMachine();
        ASSERT_TRUE(LoadFileAs((dir / "t.tap").c_str(), MediaKind::Tap));
        Machine.fAlt = FlagC;
    }
    // What the ED FF instruction hands over: A', IX and DE.
    uint8_t Trap(uint8_t flag, uint16_t ix, uint16_t de) {
        Machine.ix = ix;
        Machine.SetDE(de);
        return TapeTrap(flag, ix, de);
    }
    bool Holds(uint16_t addr, const Bytes& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i)
            if (Machine.memory[uint16_t(addr + i)] != bytes[i]) return false;
        return true;
    }
};

TEST_F(TapFixture, HeaderThenDataBlocksLoadInOrder) {
    const Bytes header = Pattern(17, 1), screen = Pattern(6912, 2);
    Insert(Concat({TapBlock(Header, header), TapBlock(Data, screen)}));
    EXPECT_EQ(TapeLength, 17u + 4 + 6912 + 4);

    EXPECT_EQ(Trap(Header, 0xFFEE, 17), 1);
    EXPECT_TRUE(Holds(0xFFEE, header));
    EXPECT_EQ(Machine.ix, 0xFFFF);
    EXPECT_EQ(Machine.DE(), 0);
    EXPECT_EQ(Machine.memory[0xFFFF], 0); // one past the block: untouched

    EXPECT_EQ(Trap(Data, 0x4000, 6912), 1);
    EXPECT_TRUE(Holds(0x4000, screen));
    EXPECT_EQ(Machine.ix, 0x5B00);
    EXPECT_EQ(TapePositionPermille(), 1000);
}

TEST_F(TapFixture, WrongFlagSkipsTheWholeBlock) {
    const Bytes data = Pattern(30, 3);
    Insert(Concat({TapBlock(Header, Pattern(17, 4)), TapBlock(Data, data)}));
    EXPECT_EQ(Trap(Data, 0x8000, 30), 0);
    EXPECT_TRUE(Holds(0x8000, Bytes(30, 0)));
    EXPECT_EQ(Machine.ix, 0x8000);
    EXPECT_EQ(Machine.DE(), 30);
    EXPECT_EQ(Trap(Data, 0x8000, 30), 1); // the next call sees the block after the header
    EXPECT_TRUE(Holds(0x8000, data));
}

TEST_F(TapFixture, ShortBlockCopiesWhatItHasAndFails) {
    const Bytes fifty = Pattern(50, 5), next = Pattern(10, 6);
    Insert(Concat({TapBlock(Data, fifty), TapBlock(Data, next)}));
    EXPECT_EQ(Trap(Data, 0x9000, 100), 0);
    EXPECT_TRUE(Holds(0x9000, fifty));
    EXPECT_EQ(Machine.memory[0x9000 + 50], 0); // the checksum is not stored
    EXPECT_EQ(Machine.ix, 0x9000 + 50);
    EXPECT_EQ(Machine.DE(), 0);
    EXPECT_EQ(Trap(Data, 0xA000, 10), 1);
    EXPECT_TRUE(Holds(0xA000, next));
}

TEST_F(TapFixture, LongerBlockLoadsTheRequestAndSkipsTheRest) {
    const Bytes block = Pattern(40, 7), next = Pattern(5, 8);
    Insert(Concat({TapBlock(Data, block), TapBlock(Data, next)}));
    // The checksum covers only the copied bytes, so the load fails as it would on a real tape.
    EXPECT_EQ(Trap(Data, 0x9000, 20), 0);
    EXPECT_TRUE(Holds(0x9000, Bytes(block.begin(), block.begin() + 20)));
    EXPECT_EQ(Machine.memory[0x9000 + 20], 0);
    EXPECT_EQ(Machine.ix, 0x9000 + 20);
    EXPECT_EQ(Machine.DE(), 0);
    EXPECT_EQ(Trap(Data, 0xA000, 5), 1);
    EXPECT_TRUE(Holds(0xA000, next));
}

TEST_F(TapFixture, ChecksumMismatchStillCopiesAndAdvances) {
    const Bytes data = Pattern(64, 9);
    Insert(TapBlock(Data, data, 1));
    EXPECT_EQ(Trap(Data, 0xC000, 64), 0);
    EXPECT_TRUE(Holds(0xC000, data));
    EXPECT_EQ(Machine.ix, 0xC040);
    EXPECT_EQ(Machine.DE(), 0);
}

TEST_F(TapFixture, ZeroLengthRequestChecksOnlyTheFlag) {
    // Blocks with no data: the stored checksum equals the flag only when it is right.
    Insert(Concat({TapBlock(Data, {}), TapBlock(Data, {}, 3), TapBlock(Data, {0x12})}));
    EXPECT_EQ(Trap(Data, 0x9000, 0), 1);
    EXPECT_EQ(Trap(Data, 0x9000, 0), 0);
    EXPECT_EQ(Trap(Data, 0x9000, 0), 0); // 0x12 is skipped, so 0xFF ^ 0x12 != 0xFF
    EXPECT_EQ(Machine.memory[0x9000], 0);
    EXPECT_EQ(Machine.ix, 0x9000);
}

// The ROM loader stores each byte with LD (IX+0),A, which the processor discards below 0x4000;
// the trap keeps that rule, so the ROM survives a block aimed at it and the load still checks.
TEST_F(TapFixture, BytesAimedAtTheRomAreaAreDiscarded) {
    const Bytes data = Pattern(32, 10), code = Pattern(24, 17);
    Insert(Concat({TapBlock(Data, data), TapBlock(Data, code)}));
    const Bytes rom(Machine.memory, Machine.memory + 0x4000);
    EXPECT_EQ(Trap(Data, 0xFFF0, 32), 1); // wraps round to address 0
    EXPECT_TRUE(Holds(0xFFF0, Bytes(data.begin(), data.begin() + 16)));
    EXPECT_EQ(Machine.ix, 0x0010);
    // LOAD "" CODE from a header that starts at 0x3FF8.
    EXPECT_EQ(Trap(Data, 0x3FF8, 24), 1);
    EXPECT_TRUE(Holds(0x4000, Bytes(code.begin() + 8, code.end())));
    EXPECT_TRUE(Bytes(Machine.memory, Machine.memory + 0x4000) == rom);
    EXPECT_EQ(Machine.ix, 0x4010);
}

// A length word of 0 or 1 leaves no room for a flag and a checksum: that block fails alone,
// and the good block after it loads on the next call.
TEST_F(TapFixture, BlocksTooShortForAFlagArePassedOverAlone) {
    const Bytes first = Pattern(20, 18), second = Pattern(9, 19);
    Insert(Concat({Bytes{0, 0}, TapBlock(Data, first), Bytes{1, 0, Data}, TapBlock(Data, second)}));
    EXPECT_EQ(Trap(Data, 0x9000, 20), 0);
    EXPECT_EQ(Machine.ix, 0x9000);
    EXPECT_EQ(Machine.DE(), 20);
    EXPECT_EQ(Trap(Data, 0x9000, 20), 1);
    EXPECT_TRUE(Holds(0x9000, first));
    EXPECT_EQ(Trap(Data, 0xA000, 9), 0);
    EXPECT_EQ(Trap(Data, 0xA000, 9), 1);
    EXPECT_TRUE(Holds(0xA000, second));
    EXPECT_EQ(TapePositionPermille(), 1000);
}

TEST_F(TapFixture, ReadsPastTheEndGiveFFAndTheTapeStaysAtItsEnd) {
    // A block that claims 10 data bytes but the file ends after 4 of them.
    const Bytes data = Pattern(10, 11);
    Bytes cut = TapBlock(Data, data);
    cut.resize(3 + 4);
    Insert(cut);
    EXPECT_EQ(Trap(Data, 0x9000, 10), 0);
    EXPECT_TRUE(Holds(0x9000, Bytes(data.begin(), data.begin() + 4)));
    EXPECT_TRUE(Holds(0x9004, Bytes(6, 0xFF)));
    EXPECT_EQ(Machine.ix, 0x900A);
    // At the end a header request fails every time and changes nothing.
    for (int i = 0; i < 3; ++i) {
        Machine.memory[0x9000] = 0x42;
        EXPECT_EQ(Trap(Header, 0x9000, 17), 0);
        EXPECT_EQ(Machine.memory[0x9000], 0x42);
        EXPECT_EQ(Machine.ix, 0x9000);
        EXPECT_EQ(Machine.DE(), 17);
    }
    // A data request past the end meets the 0xFF fill as its flag, and four 0xFF bytes with a
    // 0xFF checksum would check out: a tape that has run out still never loads successfully.
    EXPECT_EQ(Trap(Data, 0x8000, 4), 0);
    EXPECT_TRUE(Holds(0x8000, Bytes(4, 0xFF)));
    // The same with a block whose missing checksum happens to be the 0xFF fill.
    Bytes noChecksum = TapBlock(Data, {0x00});
    noChecksum.pop_back(); // 0xFF ^ 0x00 = 0xFF was the checksum
    WriteBytes(dir / "t.tap", noChecksum);
    ASSERT_TRUE(LoadFileAs((dir / "t.tap").c_str(), MediaKind::Tap));
    EXPECT_EQ(Trap(Data, 0x8000, 1), 0);
    EXPECT_EQ(Machine.memory[0x8000], 0x00);
}

TEST_F(TapFixture, RewindStartsFromTheFirstBlockAgain) {
    const Bytes first = Pattern(8, 12);
    Insert(Concat({TapBlock(Data, first), TapBlock(Data, Pattern(8, 13))}));
    EXPECT_EQ(Trap(Data, 0x9000, 8), 1);
    EXPECT_GT(TapePositionPermille(), 0);
    RewindTape();
    EXPECT_EQ(TapePositionPermille(), 0);
    EXPECT_EQ(Trap(Data, 0xA000, 8), 1);
    EXPECT_TRUE(Holds(0xA000, first));
}

TEST_F(TapFixture, VerifyComparesAndNeverWrites) {
    const Bytes data = Pattern(100, 14);
    Insert(Concat({TapBlock(Data, data), TapBlock(Data, data), TapBlock(Data, data),
                   TapBlock(Data, data, 1)}));
    Machine.fAlt = 0; // VERIFY: carry clear
    std::memcpy(Machine.memory + 0x9000, data.data(), data.size());
    EXPECT_EQ(Trap(Data, 0x9000, 100), 1);
    EXPECT_EQ(Machine.ix, 0x9064);
    EXPECT_EQ(Machine.DE(), 0);

    Machine.memory[0x9000 + 37] ^= 1; // one byte differs in memory
    EXPECT_EQ(Trap(Data, 0x9000, 100), 0);
    EXPECT_EQ(Machine.memory[0x9000 + 37], data[37] ^ 1);
    EXPECT_EQ(Machine.ix, 0x9064);

    EXPECT_EQ(Trap(Data, 0xA000, 100), 0); // memory there is all 0: nothing gets written
    EXPECT_TRUE(Holds(0xA000, Bytes(100, 0)));

    Machine.memory[0x9000 + 37] ^= 1;
    EXPECT_EQ(Trap(Data, 0x9000, 100), 0); // same bytes, wrong checksum
    EXPECT_TRUE(Holds(0x9000, data));
}

// The block walk over an image in memory, without a file: each call reads one block and leaves
// the position after it, never beyond the end.
TEST(TapeTrapBytes, WalksAnImageBlockByBlock) {
    const Bytes header = Pattern(17, 20), data = Pattern(300, 21);
    const Bytes image = Concat({TapBlock(Header, header), Bytes{0, 0}, TapBlock(Data, data)});
    CleanMachine();
    Machine.fAlt = FlagC;
    size_t at = 0;
    EXPECT_EQ(TapeTrapBytes(image.data(), image.size(), at, Header, 0x8000, 17), 1);
    EXPECT_EQ(at, 21u);
    EXPECT_EQ(TapeTrapBytes(image.data(), image.size(), at, Data, 0x9000, 300), 0);
    EXPECT_EQ(at, 23u); // the empty block alone
    EXPECT_EQ(TapeTrapBytes(image.data(), image.size(), at, Data, 0x9000, 300), 1);
    EXPECT_EQ(at, image.size());
    EXPECT_EQ(std::memcmp(Machine.memory + 0x9000, data.data(), data.size()), 0);
    EXPECT_EQ(TapeTrapBytes(image.data(), image.size(), at, Header, 0x8000, 17), 0);
    EXPECT_EQ(at, image.size());
    at = image.size() + 5; // a position past the end stays at the end
    EXPECT_EQ(TapeTrapBytes(image.data(), image.size(), at, Header, 0x8000, 17), 0);
    EXPECT_EQ(at, image.size());
    at = 0;
    EXPECT_EQ(TapeTrapBytes(nullptr, 100, at, Header, 0x8000, 17), 0);
    EXPECT_EQ(at, 0u);
}

// Every cut of a good image, each in a buffer of exactly its size so that the sanitizer sees
// any read past it: a cut block never loads, the block before it always does.
TEST(TapeTrapBytes, EveryCutOfAnImageIsReadWithinItsBytes) {
    const Bytes first = Pattern(6, 22), second = Pattern(40, 23);
    const Bytes image = Concat({TapBlock(Data, first), TapBlock(Data, second)});
    const size_t firstEnd = first.size() + 4;
    for (size_t n = 0; n <= image.size(); ++n) {
        SCOPED_TRACE(n);
        const std::unique_ptr<uint8_t[]> cut(new uint8_t[n ? n : 1]);
        std::memcpy(cut.get(), image.data(), n);
        CleanMachine();
        Machine.fAlt = FlagC;
        size_t at = 0;
        EXPECT_EQ(TapeTrapBytes(cut.get(), n, at, Data, 0x9000, 6), n >= firstEnd ? 1 : 0);
        EXPECT_EQ(TapeTrapBytes(cut.get(), n, at, Data, 0xA000, 40), n == image.size() ? 1 : 0);
        EXPECT_EQ(at, n);
    }
}

TEST(TapeTrap, NoTapeOrARecordingFailsWithoutTouchingAnything) {
    ScratchDir dir;
    CloseTape();
    CleanMachine();
    Machine.fAlt = FlagC;
    Machine.ix = 0x9000, Machine.SetDE(17);
    EXPECT_EQ(TapeTrap(Header, 0x9000, 17), 0);
    EXPECT_EQ(Machine.ix, 0x9000);
    EXPECT_EQ(Machine.DE(), 17);
    // A recording is not read as blocks even if the trap is still in the ROM.
    WriteBytes(dir / "s.raw", TapBlock(Header, Bytes(17, 0)));
    ASSERT_TRUE(LoadFileAs((dir / "s.raw").c_str(), MediaKind::Raw));
    EXPECT_EQ(TapeTrap(Header, 0x9000, 17), 0);
    EXPECT_EQ(Machine.ix, 0x9000);
    CloseTape();
}

TEST(TapeImage, FailedOpenStillEjectsThePreviousTape) {
    ScratchDir dir;
    WriteBytes(dir / "a.tap", TapBlock(Data, {1}));
    ASSERT_TRUE(LoadFileAs((dir / "a.tap").c_str(), MediaKind::Tap));
    EXPECT_EQ(TapeKind, TapeImage);
    EXPECT_FALSE(LoadFileAs((dir / "none.tap").c_str(), MediaKind::Tap));
    EXPECT_EQ(CurrentTape, nullptr);
    ASSERT_TRUE(LoadFileAs((dir / "a.tap").c_str(), MediaKind::Tap));
    std::filesystem::create_directory(dir / "d.tap");
    EXPECT_FALSE(LoadFileAs((dir / "d.tap").c_str(), MediaKind::Tap));
    EXPECT_EQ(CurrentTape, nullptr);
}

// ---- The ROM in memory ----------------------------------------------------------------------

struct RomFixture : MediaFixture {
    void SetUp() override {
        MediaFixture::SetUp();
        SetProgramFolder(dir.path.string());
    }
    void TearDown() override {
        MediaFixture::TearDown();
        SetProgramFolder("");
    }
    bool RomIsBuiltin() { return std::memcmp(Machine.memory, BuiltinRom, 0x4000) == 0; }
};

TEST_F(RomFixture, TrapIsPlacedOnlyWhileATapImageIsOpen) {
    EXPECT_EQ(RomPath, dir / "spectrum.rom");
    EXPECT_FALSE(LoadRom());
    EXPECT_TRUE(RomIsBuiltin());
    EXPECT_EQ(Machine.memory[TapeTrapAddress], BuiltinRom[TapeTrapAddress]);

    WriteBytes(dir / "t.tap", TapBlock(Data, {1}));
    WriteBytes(dir / "s.wav", Bytes(2000, 128));
    ASSERT_TRUE(LoadFileAs((dir / "t.tap").c_str(), MediaKind::Tap));
    EXPECT_FALSE(LoadRom());
    EXPECT_EQ(Machine.memory[TapeTrapAddress], 0xED);
    EXPECT_EQ(Machine.memory[TapeTrapAddress + 1], 0xFF);
    EXPECT_EQ(std::memcmp(Machine.memory, BuiltinRom, TapeTrapAddress), 0);
    const size_t after = TapeTrapAddress + 2u;
    EXPECT_EQ(std::memcmp(Machine.memory + after, BuiltinRom + after, 0x4000 - after), 0);

    // Ejecting leaves the patch until the ROM is next loaded.
    CloseTape();
    EXPECT_EQ(Machine.memory[TapeTrapAddress], 0xED);
    LoadRom();
    EXPECT_TRUE(RomIsBuiltin());

    ASSERT_TRUE(LoadFileAs((dir / "s.wav").c_str(), MediaKind::Raw));
    LoadRom();
    EXPECT_TRUE(RomIsBuiltin());
}

TEST_F(RomFixture, RomFileBesideTheProgramReplacesTheBuiltinOneUnpatched) {
    const Bytes rom = Pattern(0x4000, 15);
    WriteBytes(dir / "spectrum.rom", rom);
    WriteBytes(dir / "t.tap", TapBlock(Data, {1}));
    ASSERT_TRUE(LoadFileAs((dir / "t.tap").c_str(), MediaKind::Tap));
    EXPECT_TRUE(LoadRom());
    EXPECT_EQ(std::memcmp(Machine.memory, rom.data(), rom.size()), 0);

    // A short file replaces only its own length; the rest of memory stays.
    Machine.memory[0x20] = 0x99;
    WriteBytes(dir / "spectrum.rom", Bytes(16, 0x11));
    EXPECT_TRUE(LoadRom());
    EXPECT_EQ(Machine.memory[0x0F], 0x11);
    EXPECT_EQ(Machine.memory[0x20], 0x99);

    // A longer file fills the ROM area and no further: the RAM, a loaded program in it, stays.
    const Bytes big = Pattern(70000, 16);
    WriteBytes(dir / "spectrum.rom", big);
    for (uint32_t a = 0x4000; a < 0x10000; ++a) Machine.memory[a] = uint8_t(a >> 3);
    const Bytes ram(Machine.memory + 0x4000, Machine.memory + 0x10000);
    EXPECT_TRUE(LoadRom());
    EXPECT_EQ(std::memcmp(Machine.memory, big.data(), 0x4000), 0);
    EXPECT_TRUE(Bytes(Machine.memory + 0x4000, Machine.memory + 0x10000) == ram);

    // A folder of that name cannot be read: the built-in ROM, with the trap, is used.
    std::filesystem::remove(dir / "spectrum.rom");
    std::filesystem::create_directory(dir / "spectrum.rom");
    EXPECT_FALSE(LoadRom());
    EXPECT_EQ(Machine.memory[TapeTrapAddress], 0xED);
}

TEST_F(RomFixture, PowerOnSaysWhichRomItPutIn) {
    Machine.pc = 0x1234, Machine.sp = 0x5678;
    EXPECT_FALSE(PowerOnMachine());
    EXPECT_EQ(Machine.pc, 0);
    EXPECT_EQ(Machine.sp, 0);
    EXPECT_TRUE(RomIsBuiltin());
    WriteBytes(dir / "spectrum.rom", Bytes(0x4000, 0x00));
    Machine.pc = 0x1234;
    EXPECT_TRUE(PowerOnMachine());
    EXPECT_EQ(Machine.pc, 0);
    EXPECT_FALSE(RomIsBuiltin());
}

TEST(PowerOnMemory, IsTheClassicRandSequence) {
    AllocateMemory();
    FillMemoryAtPowerOn();
    // The C library rand() of that generator, seeded with 1, starts 41, 18467, 6334, 26500.
    EXPECT_EQ(Machine.memory[0], 41);
    EXPECT_EQ(Machine.memory[1], 18467 & 0xFF);
    EXPECT_EQ(Machine.memory[2], 6334 & 0xFF);
    EXPECT_EQ(Machine.memory[3], 26500 & 0xFF);
    int histogram[256] = {};
    for (int i = 0; i < 65536; ++i) ++histogram[Machine.memory[i]];
    for (int v = 0; v < 256; ++v) EXPECT_GT(histogram[v], 150) << v;
}

// Whatever the machine did before, switching on gives the same start: RAM in the power-on
// pattern, no key down, EAR high, the flash timer and the frame logs at their start.
TEST(PowerOn, StartsFromTheSameStateEveryTime) {
    PowerOnMachine();
    std::vector<uint8_t> first(Machine.memory, Machine.memory + 65536);
    std::memset(Machine.memory + 0x4000, 0xAA, 0xC000);
    KeyMatrix[3] = 0xF0;
    EarLevel = 0;
    FlashPhase = 1, FlashCounter = 7;
    BorderLog.nextBand = 100, BeeperLog.count = 9;
    Machine.pc = 0x8000;
    PowerOnMachine();
    EXPECT_TRUE(std::equal(first.begin(), first.end(), Machine.memory));
    for (uint8_t row : KeyMatrix) EXPECT_EQ(row, 0xFF);
    EXPECT_EQ(EarLevel, 1);
    EXPECT_EQ(FlashPhase, 0);
    EXPECT_EQ(FlashCounter, 0);
    EXPECT_EQ(BorderLog.nextBand, 0);
    EXPECT_EQ(BeeperLog.count, 0);
    EXPECT_EQ(Machine.pc, 0);
}

} // namespace
