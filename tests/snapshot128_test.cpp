// 128K and +2 snapshots: saved and read back through .sna and .z80 (versions 3 and 2), opened
// from another machine, and refused whole when they break their format.
#include <gtest/gtest.h>

#include <cstring>

#include "media/load_error.h"
#include "media/load_file.h"
#include "media/snapshot.h"
#include "media/z80_snapshot.h"
#include "media_files.h"
#include "peripherals/ay_registers.h"
#include "rom_harness.h"
#include "z80_versions.h"

namespace {

// Everything a 128K snapshot carries.
struct State128 {
    MachineKind machine;
    uint16_t af, bc, de, hl, afAlt, bcAlt, deAlt, hlAlt, ix, iy, sp, pc;
    uint8_t i, r, interruptState, border, paging;
    Bytes pages;
    bool operator==(const State128&) const = default;
};

State128 Capture128() {
    const MachineRecord& m = Machine;
    State128 s{CurrentMachine,
               m.AF(),
               m.BC(),
               m.DE(),
               m.HL(),
               m.AFAlt(),
               m.BCAlt(),
               m.DEAlt(),
               m.HLAlt(),
               m.ix,
               m.iy,
               m.sp,
               m.pc,
               m.i,
               m.r,
               m.interruptState,
               BorderLog.colour,
               PagingPort,
               {}};
    for (int page = 0; page < RamPageCount; ++page)
        s.pages.insert(s.pages.end(), RamPage(page), RamPage(page) + 0x4000);
    return s;
}

// A machine state no power-on gives: every page its own bytes (half in runs of 16, so that
// every page compresses, as version 2 needs), the registers set, the paging
// port `paging`, the sound chip's registers filled.
void SetDistinctState(uint8_t paging) {
    for (int page = 0; page < RamPageCount; ++page)
        for (uint32_t k = 0; k < 0x4000; ++k)
            RamPage(page)[k] = uint8_t((k & 0x100 ? k * 7 : (k >> 4) * 3) + page * 31); // runs too
    MachineRecord& m = Machine;
    m.SetAF(0x1234), m.SetBC(0x2345), m.SetDE(0x3456), m.SetHL(0x4567);
    m.SetAFAlt(0x5678), m.SetBCAlt(0x6789), m.SetDEAlt(0x789A), m.SetHLAlt(0x89AB);
    m.ix = 0x9ABC, m.iy = 0xABCD, m.sp = 0xBF00, m.pc = 0x8123, m.i = 0x3F, m.r = 0x85;
    m.interruptState = Iff1Bit | 2; // IM 1
    m.tstates = 12345;
    BorderLog.colour = 5;
    ResetPaging();
    WritePagingPort(paging);
    for (int reg = 0; reg < 16; ++reg) AyRegisters.reg[reg] = uint8_t(0x10 * reg + 3);
    AyRegisters.selected = 11;
}

struct RoundTrip {
    MachineKind machine;
    const char* name; // the file's name: its extension chooses the format
    uint8_t paging;
    size_t size; // the file's size, 0 for any
};

class Snapshot128 : public ::testing::TestWithParam<RoundTrip> {
  protected:
    ScratchDir dir;
};

// Saved, then opened on the 48K: the machine comes back as it was, on its own kind of machine.
TEST_P(Snapshot128, SavedAndOpenedFromThe48KComesBackWhole) {
    const RoundTrip& trip = GetParam();
    State128 saved;
    {
        MachineSwitch machine(trip.machine);
        SKIP_WITHOUT(machine);
        SetDistinctState(trip.paging);
        saved = Capture128();
        ASSERT_TRUE(SaveFile((dir / trip.name).c_str()));
        EXPECT_EQ(Capture128(), saved) << "saving changed the machine";
    }
    const Bytes file = ReadBytes(dir / trip.name);
    if (trip.size) { EXPECT_EQ(file.size(), trip.size); }
    ASSERT_EQ(CurrentMachine, MachineKind::Spectrum48);
    ASSERT_TRUE(LoadFile((dir / trip.name).c_str())) << LoadErrorText(LastLoadError);
    State128 loaded = Capture128();
    saved.machine =
        trip.name[std::strlen(trip.name) - 1] == 'a' ? MachineKind::Spectrum128 : trip.machine;
    EXPECT_TRUE(loaded == saved);
    EXPECT_EQ(loaded.pages, saved.pages);
    EXPECT_EQ(std::memcmp(Machine.memory + 0xC000, RamPage(trip.paging & 7), 0x4000), 0);
    if (trip.name[std::strlen(trip.name) - 1] == '0') {
        for (int reg = 0; reg < 16; ++reg) EXPECT_EQ(AyRegisters.reg[reg], 0x10 * reg + 3);
        EXPECT_EQ(AyRegisters.selected, 11);
        EXPECT_EQ(Machine.tstates, 12345u);
        // Version 2 has no place in the frame; everything else it holds as version 3 does.
        // Version 2 has no +2 of its own: it marks the 128K (3) as modified.
        Bytes v2 = Version2(file);
        if (trip.machine == MachineKind::Plus2) v2[34] = 3, v2[37] |= 0x80;
        ASSERT_TRUE(LoadZ80Bytes(v2.data(), v2.size())) << LoadErrorText(LastLoadError);
        EXPECT_TRUE(Capture128() == saved);
    }
    std::string why;
    SwitchMachine(MachineKind::Spectrum48, why);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Snapshot128,
    ::testing::Values(RoundTrip{MachineKind::Spectrum128, "short.sna", 0x13, Snapshot128Size},
                      RoundTrip{MachineKind::Spectrum128, "long.sna", 0x0D, Snapshot128LongSize},
                      RoundTrip{MachineKind::Spectrum128, "locked.sna", 0x3A, Snapshot128LongSize},
                      RoundTrip{MachineKind::Plus2, "plus2.sna", 0x07, Snapshot128Size},
                      RoundTrip{MachineKind::Spectrum128, "machine.z80", 0x16, 0},
                      RoundTrip{MachineKind::Plus2, "plus2.z80", 0x2B, 0}));

class Snapshot128Files : public ::testing::Test {
  protected:
    ScratchDir dir;
    MachineSwitch machine{MachineKind::Spectrum128};
    void SetUp() override { SKIP_WITHOUT(machine); }
};

// The .sna's layout read from the file: 0x4000-0xFFFF as the processor sees them, PC, the
// 0x7FFD byte, TR-DOS off, then pages 0, 1, 3, 4, 6, 7 but for the one at 0xC000.
TEST_F(Snapshot128Files, TheSnaHoldsThePagesInTheirPlaces) {
    SetDistinctState(0x14);
    ASSERT_TRUE(SaveSnapshot((dir / "m.sna").c_str()));
    const Bytes f = ReadBytes(dir / "m.sna");
    ASSERT_EQ(f.size(), 131103u);
    EXPECT_TRUE(std::equal(f.begin() + 27, f.begin() + 27 + 49152, Machine.memory + 0x4000));
    EXPECT_EQ(f[49179] | f[49180] << 8, 0x8123);
    EXPECT_EQ(f[49181], 0x14);
    EXPECT_EQ(f[49182], 0);
    size_t at = 49183;
    for (int page : {0, 1, 3, 6, 7}) {
        EXPECT_TRUE(std::equal(f.begin() + long(at), f.begin() + long(at) + 0x4000, RamPage(page)))
            << page;
        at += 0x4000;
    }
}

// A size that does not match the paging byte, or the TR-DOS ROM paged in, changes nothing.
TEST_F(Snapshot128Files, RefusedSnaChangesNothing) {
    SetDistinctState(0x01);
    ASSERT_TRUE(SaveSnapshot((dir / "m.sna").c_str()));
    const Bytes good = ReadBytes(dir / "m.sna");
    Bytes page5 = good, trDos = good;
    page5[49181] = 0x05; // six pages would follow, five do
    trDos[49182] = 1;
    SetDistinctState(0x03);
    const State128 before = Capture128();
    for (const auto& [file, why] :
         {std::pair{page5, LoadError::Damaged}, std::pair{trDos, LoadError::OtherMachine}}) {
        EXPECT_FALSE(LoadSnapshotBytes(file.data(), file.size()));
        EXPECT_EQ(LastLoadError, why);
        EXPECT_TRUE(Capture128() == before);
    }
    ASSERT_TRUE(LoadSnapshotBytes(good.data(), good.size()));
    EXPECT_EQ(PagingPort, 0x01);
}

// A 48K snapshot opened on the 128K brings the 48K back, with its flat memory and frame.
TEST_F(Snapshot128Files, A48KSnapshotSwitchesTo48K) {
    Bytes sna(SnapshotSize, 0);
    sna[23] = 0x00, sna[24] = 0x80;                   // SP 0x8000
    sna[27 + 0x4000] = 0x34, sna[27 + 0x4001] = 0x12; // PC 0x1234 on the stack
    ASSERT_TRUE(LoadSnapshotBytes(sna.data(), sna.size()));
    EXPECT_EQ(CurrentMachine, MachineKind::Spectrum48);
    EXPECT_EQ(MachineFrameTStates, FrameTStates);
    EXPECT_EQ(Machine.pc, 0x1234);
    EXPECT_EQ(Machine.memory[0], 0xF3); // the 48K ROM's DI is back at 0
}

} // namespace
