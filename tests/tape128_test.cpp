// Tapes on the 128K and the +2: a program of our own that pages every bank, loaded by the
// start-up menu's Tape Loader through the trap and as a recording's pulses, and by LOAD "" in
// 48K BASIC reached with USR 0; the .tzx block that stops only the 48K.
#include <gtest/gtest.h>

#include "engine/auto_load.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/tape.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"
#include "rom_harness.h"
#include "tzx_files.h"

namespace {

const std::string DataDir = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";

// The signature tests/data/banks128.asm writes: 256 bytes and the bank's number.
uint8_t SignatureByte(int bank, int k) { return uint8_t((k ^ bank) + bank); }
constexpr uint32_t SignatureAt = 0x3000, NumberAt = 0x3100; // in each bank

// The CRC the program must print: CRC-16 CCITT (polynomial 0x1021, start 0xFFFF) over every
// bank's signature and number, computed here bit by bit.
std::string ExpectedCrcText() {
    uint16_t crc = 0xFFFF;
    auto add = [&crc](uint8_t byte) {
        crc ^= uint16_t(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    };
    for (int bank = 0; bank < 8; ++bank) {
        for (int k = 0; k < 256; ++k) add(SignatureByte(bank, k));
        add(uint8_t(bank));
    }
    char text[16];
    std::snprintf(text, sizeof text, "CRC %04X", crc);
    return text;
}

bool Shows(const std::string& text) { return ScreenText().find(text) != std::string::npos; }

// Frames until the screen shows the text, at most maxFrames; -1 if it never does.
int FramesUntilShown(const std::string& text, int maxFrames) {
    for (int frame = 0; frame <= maxFrames; frame += 5) {
        if (Shows(text)) return frame;
        RunFrames(5);
    }
    return -1;
}

void ExpectSignaturesInEveryBank() {
    for (int bank = 0; bank < 8; ++bank) {
        int wrong = 0;
        for (int k = 0; k < 256; ++k)
            wrong += RamPage(bank)[SignatureAt + k] != SignatureByte(bank, k);
        EXPECT_EQ(wrong, 0) << "bank " << bank;
        EXPECT_EQ(RamPage(bank)[NumberAt], bank);
    }
}

struct Tape128 : ::testing::Test {
    void TearDown() override {
        CancelAutoLoad();
        CloseTape();
    }
    // Opened as the desktop opens a file, and started from the menu as auto-load does.
    void LoadFromMenu(const std::string& name) {
        ASSERT_TRUE(LoadFile((DataDir + name).c_str())) << name;
        LoadRom();
        StartAutoLoad();
    }
};

// Through the trap (a .tap) and as pulses (the same tape recorded): the same program runs and
// leaves the same screen, on both machines.
TEST_F(Tape128, TapeLoaderLoadsTheSameByTrapAndByPulses) {
    for (MachineKind kind : {MachineKind::Spectrum128, MachineKind::Plus2}) {
        SCOPED_TRACE(MachineName(kind));
        MachineSwitch machine(kind);
        SKIP_WITHOUT(machine);
        LoadFromMenu("banks128.tap");
        const int trapFrames = FramesUntilShown(ExpectedCrcText(), 600);
        ASSERT_GE(trapFrames, 0) << ScreenText();
        ExpectSignaturesInEveryBank();
        RunFrames(50);
        const Bytes byTrap(ScreenMemory(), ScreenMemory() + 6912);

        PowerOnMachine();
        LoadFromMenu("banks128-22050.wav");
        const int pulseFrames = FramesUntilShown(ExpectedCrcText(), 3000);
        ASSERT_GE(pulseFrames, 0) << ScreenText();
        EXPECT_GT(pulseFrames, 5 * trapFrames) << "the recording cannot load faster than the trap";
        ExpectSignaturesInEveryBank();
        RunFrames(50);
        EXPECT_TRUE(Bytes(ScreenMemory(), ScreenMemory() + 6912) == byTrap) << ScreenText();
    }
}

// USR 0 from 128 BASIC leaves 48K BASIC with ROM 1 in and the paging open: LOAD "" reads the
// tape through the trap, and the program can still page every bank.
TEST_F(Tape128, Usr0BasicLoadsThroughTheTrap) {
    MachineSwitch machine(MachineKind::Spectrum128);
    SKIP_WITHOUT(machine);
    ASSERT_TRUE(LoadFile((DataDir + "banks128.tap").c_str()));
    LoadRom();
    RunFrames(150);
    ASSERT_TRUE(TypeKeys("CS+6 ENTER")); // 128 BASIC
    RunFrames(50);
    ASSERT_TRUE(TypeKeys("U S R SPACE 0 ENTER"));
    RunFrames(100);
    ASSERT_TRUE(Shows("1982")) << ScreenText();
    EXPECT_EQ(PagingPort & (PagingRomBit | PagingLockBit), PagingRomBit);
    ASSERT_TRUE(TypeKeys("J SS+P SS+P ENTER")); // LOAD ""
    EXPECT_GE(FramesUntilShown(ExpectedCrcText(), 300), 0) << ScreenText();
    ExpectSignaturesInEveryBank();
}

// Block 0x2A stops the tape on the 48K only; the 128K machines play on to the next block.
TEST_F(Tape128, StopIf48KBlockActsByMachine) {
    ScratchDir dir;
    WriteBytes(dir / "stop.tzx",
               Concat({TzxHeader(), ToneBlock(1000, 2), {0x2A, 0, 0, 0, 0}, ToneBlock(1000, 3)}));
    auto play = [&dir] {
        EXPECT_TRUE(LoadFile((dir / "stop.tzx").c_str()));
        PlayTape();
        TapeFrameStep();
        TapeFrameStep();
        return TzxBlockIndex();
    };
    const uint32_t stoppedAt = play();
    EXPECT_EQ(TapePlaying, 0);
    MachineSwitch machine(MachineKind::Spectrum128);
    SKIP_WITHOUT(machine);
    const uint32_t playedTo = play();
    EXPECT_EQ(stoppedAt, 2u) << "the 48K stops after the stop block";
    EXPECT_EQ(playedTo, 3u) << "the 128K reaches the tape's end";
}

} // namespace
