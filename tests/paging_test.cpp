// The 128K machines' memory and ports: every value of 0x7FFD against the pages it must show,
// the lock, the screen page, the decoding of the port addresses, and the 48K left unpaged.
#include <gtest/gtest.h>

#include <cstring>

#include <vector>

#include "cpu_harness.h"
#include "display/colour_map.h"
#include "display/screen_shadow.h"
#include "display/writer_table.h"
#include "peripherals/ay_registers.h"
#include "peripherals/machine_model.h"
#include "rom_harness.h"

namespace {

// A byte that tells the pages apart: page p holds Mark(p, k) at offset k.
uint8_t Mark(int page, uint32_t offset) { return uint8_t(page * 37 + offset * 11 + 1); }

void MarkPages() {
    for (int page = 0; page < RamPageCount; ++page)
        for (uint32_t k = 0; k < 0x4000; ++k) RamPage(page)[k] = Mark(page, k);
}

// Which RAM page the window shows at `base` (0x4000, 0x8000, 0xC000), by the marks; -1 if none.
int PageAt(uint16_t base) {
    for (int page = 0; page < RamPageCount; ++page) {
        bool all = true;
        for (uint32_t k = 0; k < 0x4000 && all; k += 0x3FF)
            all = Machine.memory[base + k] == Mark(page, k);
        if (all) return page;
    }
    return -1;
}

// Which ROM the window shows at 0, by comparing with both pages.
int RomAt() {
    if (std::memcmp(Machine.memory, RomPage(0), 0x4000) == 0) return 0;
    if (std::memcmp(Machine.memory, RomPage(1), 0x4000) == 0) return 1;
    return -1;
}

class Paging : public ::testing::Test {
  protected:
    MachineSwitch machine{MachineKind::Spectrum128};
    void SetUp() override {
        SKIP_WITHOUT(machine);
        MarkPages();
    }
};

// Every value written once after a reset: bits 0-2 the page at 0xC000, bit 3 the screen,
// bit 4 the ROM; 0x4000 and 0x8000 always pages 5 and 2.
TEST_F(Paging, EveryValueShowsItsPages) {
    for (int value = 0; value < 256; ++value) {
        ResetPaging();
        PortWrite(0x7FFD, uint8_t(value));
        SCOPED_TRACE(value);
        EXPECT_EQ(PageAt(0xC000), value & 7);
        EXPECT_EQ(PageAt(0x4000), 5);
        EXPECT_EQ(PageAt(0x8000), 2);
        EXPECT_EQ(RomAt(), (value >> 4) & 1);
        EXPECT_EQ(ScreenMemory(), RamPage(value & 8 ? 7 : 5));
        EXPECT_EQ(PagingPort, value);
    }
}

// Bit 5 holds the paging as it is, the lock included, until the reset.
TEST_F(Paging, TheLockHoldsUntilReset) {
    PortWrite(0x7FFD, 0x20 | 0x10 | 0x08 | 3);
    for (int value = 0; value < 256; ++value) PortWrite(0x7FFD, uint8_t(value));
    EXPECT_EQ(PageAt(0xC000), 3);
    EXPECT_EQ(RomAt(), 1);
    EXPECT_EQ(ScreenMemory(), RamPage(7));
    ResetPaging();
    EXPECT_EQ(PageAt(0xC000), 0);
    EXPECT_EQ(RomAt(), 0);
    PortWrite(0x7FFD, 6);
    EXPECT_EQ(PageAt(0xC000), 6);
}

// Page 5 or 2 paged in at 0xC000 is the same memory as at 0x4000 or 0x8000: a write through
// either address is read through the other.
TEST_F(Paging, APageSeenTwiceIsOneMemory) {
    for (int page : {5, 2}) {
        const uint16_t fixed = page == 5 ? 0x4000 : 0x8000;
        PortWrite(0x7FFD, uint8_t(page));
        WriteByte(0xC123, 0xA5);
        EXPECT_EQ(Machine.memory[fixed + 0x123], 0xA5);
        WriteByte(uint16_t(fixed + 0x3FFF), 0x5A);
        EXPECT_EQ(Machine.memory[0xFFFF], 0x5A);
        EXPECT_EQ(RamPage(page)[0x3FFF], 0x5A);
    }
}

// Writes to the ROM area change neither ROM.
TEST_F(Paging, TheRomsIgnoreWrites) {
    for (int rom : {0, 1}) {
        PortWrite(0x7FFD, uint8_t(rom << 4));
        const uint8_t before = RomPage(rom)[0x1234];
        WriteByte(0x1234, uint8_t(~before));
        EXPECT_EQ(RomPage(rom)[0x1234], before);
    }
}

// 0x7FFD answers every address with A15 and A1 clear; the sound chip's ports need A15 set.
TEST_F(Paging, PortAddressesAreDecodedOnA15AndA1) {
    const struct {
        uint16_t port;
        bool pages;
    } cases[] = {{0x7FFD, true},  {0x00FD, true},  {0x3FFD, true},  {0x7FFC, true},
                 {0x7FFF, false}, {0x7FFE, false}, {0xFFFD, false}, {0xBFFD, false},
                 {0x80FD, false}, {0x7FF9, true},  {0x00FE, false}, {0x001F, false}};
    for (const auto& c : cases) {
        ResetPaging();
        PortWrite(c.port, 4);
        EXPECT_EQ(PageAt(0xC000), c.pages ? 4 : 0) << std::hex << c.port;
    }
}

// The processor puts B (OUT (C),r) or A (OUT (n),A) on the high byte of the address.
TEST_F(Paging, OutInstructionsPassTheWholePortAddress) {
    // LD BC,0x7FFD; LD A,0x13; OUT (C),A; LD A,0x16; OUT (0xFD),A (port 0x16FD); HALT
    const uint8_t code[] = {0x01, 0xFD, 0x7F, 0x3E, 0x13, 0xED, 0x79, 0x3E, 0x16, 0xD3, 0xFD, 0x76};
    std::memcpy(RamPage(2) + 0x1000, code, sizeof code); // 0x9000
    Machine.pc = 0x9000;
    Machine.interruptState = 0;
    Machine.halted = 0;
    Machine.tstates = 0;
    FrameLoop();
    EXPECT_EQ(PagingPort, 0x16);
    EXPECT_EQ(PageAt(0xC000), 6);
    EXPECT_EQ(RomAt(), 1);
}

// The sound chip's registers: selected at 0xFFFD, written at 0xBFFD, read at 0xFFFD with only
// the bits each holds (12-bit tone periods, the 5-bit noise period and volumes, the 4-bit
// envelope shape); a select of 16 or more reaches none.
TEST_F(Paging, SoundChipRegistersAreSelectedWrittenAndRead) {
    ResetAyRegisters();
    for (int reg = 0; reg < 16; ++reg) {
        PortWrite(0xFFFD, uint8_t(reg));
        PortWrite(0xBFFD, uint8_t(0xC0 + reg));
    }
    const int bits[16] = {8, 4, 8, 4, 8, 4, 5, 8, 5, 5, 5, 8, 8, 4, 8, 8};
    for (int reg = 15; reg >= 0; --reg) {
        PortWrite(0xFFFD, uint8_t(reg));
        EXPECT_EQ(PortRead(0xFD, 0xFF), (0xC0 + reg) & ((1 << bits[reg]) - 1)) << reg;
        EXPECT_EQ(AyRegisters.reg[reg], 0xC0 + reg);
    }
    PortWrite(0xFFFD, 16);
    PortWrite(0xBFFD, 0x11);
    EXPECT_EQ(PortRead(0xFD, 0xFF), 0xFF);
    for (int reg = 0; reg < 16; ++reg) EXPECT_NE(AyRegisters.reg[reg], 0x11);
}

// Bit 3 shows page 7 instead of page 5, to the screen text and to the renderer alike: page 7
// shown draws the very pixels page 5 draws with the same bytes.
TEST_F(Paging, TheScreenComesFromPage5Or7) {
    const uint8_t* glyphs = RomPage(1) + 0x3D00; // 48K BASIC's character set
    std::memset(RamPage(5), 0, 6912);
    std::memset(RamPage(7), 0, 6912);
    for (int line = 0; line < 8; ++line) {
        RamPage(5)[line * 256] = glyphs[('5' - 0x20) * 8 + line];
        RamPage(7)[line * 256] = glyphs[('7' - 0x20) * 8 + line];
    }
    std::memset(RamPage(5) + 6144, 0x38, 768); // black ink on white
    std::memset(RamPage(7) + 6144, 0x38, 768);
    ColourMap.depth = 32;
    SetColourMasks(ColourMap, 0xFF0000, 0x00FF00, 0x0000FF);
    BuildColourMap();
    auto draw = [] {
        std::vector<uint32_t> pixels(320 * 240);
        InvalidateScreen();
        WriterFor(32, WriterSize::Single)(reinterpret_cast<uint8_t*>(pixels.data()), 320 * 4);
        return pixels;
    };
    EXPECT_EQ(ScreenRowText(0).substr(0, 2), "5 ");
    PortWrite(0x7FFD, 0x08);
    EXPECT_EQ(ScreenRowText(0).substr(0, 2), "7 ");
    const std::vector<uint32_t> page7 = draw();
    std::memcpy(RamPage(5), RamPage(7), 6912);
    PortWrite(0x7FFD, 0x00);
    EXPECT_TRUE(draw() == page7);
    RamPage(5)[0] ^= 0xFF;
    EXPECT_FALSE(draw() == page7) << "the drawing does not come from page 5";
}

// The 128K's frame is 311 lines of 228 T-states: a frame of NOPs fetches one more than fits.
TEST_F(Paging, TheFrameIs70908TStates) {
    EXPECT_EQ(MachineFrameTStates, 311u * 228u);
    std::memset(RamPage(2), 0, 0x4000); // NOPs from 0x8000 to 0xFFFF
    std::memset(RamPage(0), 0, 0x4000);
    Machine.pc = 0x8000;
    Machine.interruptState = 0;
    Machine.halted = 0;
    Machine.tstates = 0;
    FrameLoop();
    EXPECT_EQ(Machine.pc - 0x8000u, 311u * 228u / 4 + 1);
    EXPECT_EQ(Machine.tstates, (311u * 228u / 4 + 1) * 4 - 311u * 228u);
}

// On the 48K nothing pages, the memory is one flat 64 KB, and the sound chip's port reads as
// an unused port.
TEST(Paging48, NothingPagesOnThe48K) {
    CleanMachine();
    ASSERT_FALSE(IsPagedMachine());
    EXPECT_EQ(MachineFrameTStates, FrameTStates);
    Machine.memory[0xC000] = 0x12;
    Machine.memory[0x4000] = 0x34;
    PortWrite(0x7FFD, 0x15);
    PortWrite(0xFFFD, 7);
    PortWrite(0xBFFD, 0x3F);
    EXPECT_EQ(Machine.memory[0xC000], 0x12);
    EXPECT_EQ(Machine.memory[0x4000], 0x34);
    EXPECT_EQ(PagingPort, 0);
    EXPECT_EQ(PortRead(0xFD, 0xFF), 0xFF);
    EXPECT_EQ(ScreenMemory(), Machine.memory + 0x4000);
}

} // namespace
