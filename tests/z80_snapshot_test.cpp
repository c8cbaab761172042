// .z80 snapshots against Debian's snapconv: the files it converts from our .sna load as the
// machine that .sna holds, and the files we write it converts back into the machine we saved.
// snapconv writes version 3 only; versions 1 and 2 are rebuilt here from its fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "core/machine.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/snapshot.h"
#include "media/z80_snapshot.h"
#include "media_files.h"
#include "peripherals/ports.h"
#include "tests/rom_harness.h"
#include "tests/z80_versions.h"

namespace {

// F, A, C, B, E, D, L, H and their alternates (state bytes 0-15), IX, IY, PC, SP (16-23), I,
// R, interruptState, halted, tstates (3 bytes), border (24-31), then the 64 KB of memory.
Bytes State() {
    const MachineRecord& m = Machine;
    Bytes s(reinterpret_cast<const uint8_t*>(&m), reinterpret_cast<const uint8_t*>(&m) + 16);
    for (uint32_t v : {m.ix, m.iy, m.pc, m.sp}) s.insert(s.end(), {uint8_t(v), uint8_t(v >> 8)});
    s.insert(s.end(), {m.i, m.r, m.interruptState, m.halted, uint8_t(m.tstates),
                       uint8_t(m.tstates >> 8), uint8_t(m.tstates >> 16), BorderLog.colour});
    s.insert(s.end(), m.memory, m.memory + 65536);
    return s;
}
std::string Difference(const Bytes& a, const Bytes& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return "first difference at state byte " + std::to_string(i);
    return a.size() == b.size() ? "" : "sizes differ";
}

// Every register, the border, halted and each RAM byte made different from what it was.
void Scramble() {
    MachineRecord& m = Machine;
    for (int k = 0; k < 16; ++k) reinterpret_cast<uint8_t*>(&m)[k] ^= 0xFF; // F to H'
    m.ix ^= 0xFFFF, m.iy ^= 0xFFFF, m.pc ^= 0xFFFF, m.sp ^= 0xFFFF, m.i ^= 0xFF, m.r ^= 0xFF;
    m.interruptState ^= 0x81, m.halted = 1, BorderLog.colour ^= 7;
    m.tstates = (m.tstates + 40000) % FrameTStates;
    for (uint32_t a = RomSize; a < 0x10000; ++a) m.memory[a] ^= 0xFF;
}

struct Case {
    uint8_t interruptState, border, r;
};
// IM 0 off, IM 1 on, IM 2 on, IM 2 off; R's bit 7 either way.
const Case Cases[] = {{0, 0, 0x00}, {Iff1Bit | 2, 5, 0x85}, {Iff1Bit | 3, 7, 0x7F}, {3, 2, 0xFF}};

// The ROM booted once, then every register different and memory with what compression must
// get right: 0xED runs across a page boundary, a lone 0xED before a run and at a page's end,
// runs longer than 255 and an incompressible page at 0xC000.
void Prepare(const Case& c) {
    static Bytes booted;
    if (booted.empty()) {
        BootRom();
        booted.assign(Machine.memory, Machine.memory + 65536);
    }
    std::memcpy(Machine.memory, booted.data(), 65536);
    MachineRecord& m = Machine;
    m.SetAF(0x1122), m.SetBC(0x3344), m.SetDE(0x5566), m.SetHL(0x7788);
    m.SetAFAlt(0x99AA), m.SetBCAlt(0xBBCC), m.SetDEAlt(0xDDEE), m.SetHLAlt(0xF00F);
    m.ix = 0x1357, m.iy = 0x2468, m.pc = 0x6D5E, m.sp = 0x8642, m.i = 0x3F, m.halted = 0;
    m.interruptState = c.interruptState, m.r = c.r, BorderLog.colour = c.border;
    m.tstates = 17472u * (c.r & 3) + c.r * 61u; // somewhere in each quarter of the frame
    uint8_t* mem = m.memory;
    std::memset(mem + 0x7FF0, 0xED, 0x20);
    Poke(0x9000, {0xED, 0, 0, 0, 0, 0, 0, 0xED, 0xED, 0x01, 0xED, 0x05});
    std::memset(mem + 0xA000, 0x55, 600);
    mem[0xBFFE] = 0x00, mem[0xBFFF] = 0xED;
    uint32_t x = 2463534242u;
    for (uint32_t a = 0xC000; a < 0x10000; ++a) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        mem[a] = uint8_t(x) == 0xED ? 0x12 : uint8_t(x); // see Version1
    }
}

std::string Snapconv(const std::string& options, const std::string& in, const std::string& out) {
    const std::string command =
        std::string(SNAPCONV_PATH) + " " + options + " '" + in + "' '" + out + "' 2>/dev/null";
    return std::system(command.c_str()) == 0 ? out : "";
}

struct Z80Snapshot : MediaFixture {
    Bytes reference; // the machine loaded from the .sna
    Bytes compressed, raw;
    // The case's machine saved as .sna and converted into compressed and raw version 3 files.
    void Convert(const Case& c) {
        Prepare(c);
        ASSERT_TRUE(SaveSnapshot((dir / "m.sna").c_str()));
        ASSERT_TRUE(LoadFileAs((dir / "m.sna").c_str(), MediaKind::Sna));
        reference = State();
        compressed = ReadBytes(Snapconv("-c", dir / "m.sna", dir / "c.z80"));
        raw = ReadBytes(Snapconv("-n", dir / "m.sna", dir / "n.z80"));
        ASSERT_GT(compressed.size(), 86u);
        ASSERT_EQ(Word(compressed, 30), 54u); // version 3
        ASSERT_EQ(Word(raw, 86), 0xFFFFu);
    }
    uint32_t scrambledTStates = 0;
    // Loads into a scrambled machine; a refusal must leave it exactly as it was.
    bool Load(const Bytes& file) {
        Scramble();
        scrambledTStates = Machine.tstates;
        const Bytes before = State();
        const bool ok = LoadZ80Bytes(file.data(), file.size());
        if (!ok) { EXPECT_EQ(Difference(State(), before), ""); }
        return ok;
    }
    // The reference with another place in the frame: a version 3 file brings its own, versions
    // 1 and 2 keep the machine's.
    Bytes Expected(uint32_t tstates) const {
        Bytes s = reference;
        s[28] = uint8_t(tstates), s[29] = uint8_t(tstates >> 8), s[30] = uint8_t(tstates >> 16);
        return s;
    }
};

TEST_F(Z80Snapshot, EveryVersionLoadsAsTheMachineTheSnaHolds) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(int(c.r));
        Convert(c);
        ASSERT_FALSE(HasFatalFailure());
        const std::pair<const char*, Bytes> files[] = {{"v3 compressed", compressed},
                                                       {"v3 raw", raw},
                                                       {"v2", Version2(compressed)},
                                                       {"v1 compressed", Version1(compressed)},
                                                       {"v1 raw", Version1(raw)}};
        uint32_t fileTStates = FrameTStates; // both version 3 files hold the same place
        for (const auto& [what, file] : files) {
            SCOPED_TRACE(what);
            ASSERT_TRUE(Load(file));
            const bool version3 = Word(file, 6) == 0 && Word(file, 30) == 54;
            if (version3 && fileTStates == FrameTStates) fileTStates = Machine.tstates;
            EXPECT_EQ(Difference(State(), Expected(version3 ? fileTStates : scrambledTStates)), "");
        }
        EXPECT_LT(fileTStates, FrameTStates);
        // A flags byte of 255 reads as 1: R's bit 7 set, border black, memory not compressed.
        Bytes odd = Version1(raw);
        odd[12] = 0xFF;
        ASSERT_TRUE(Load(odd));
        reference[25] |= 0x80, reference[31] = 0;
        EXPECT_EQ(Difference(State(), Expected(scrambledTStates)), "");
    }
}

TEST_F(Z80Snapshot, SavedFilesConvertBackToTheSavedMachine) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(int(c.r));
        Prepare(c);
        const Bytes saved = State();
        ASSERT_TRUE(SaveZ80Snapshot((dir / "ours.z80").c_str()));
        EXPECT_EQ(Difference(State(), saved), "");
        const Bytes file = ReadBytes(dir / "ours.z80");
        ASSERT_GT(file.size(), 86u);
        EXPECT_EQ(Word(file, 6), 0u);
        EXPECT_EQ(Word(file, 30), 54u);
        EXPECT_LT(file.size(), 40000u); // only the page at 0xC000 is stored raw
        EXPECT_EQ(Word(file, Blocks(file).at(2)), 0xFFFFu);

        ASSERT_TRUE(Load(file));
        EXPECT_EQ(Difference(State(), saved), "") << "the place in the frame comes back too";
        // snapconv reads the same place in the frame from our fields and writes it again.
        ASSERT_NE(Snapconv("", dir / "ours.z80", dir / "again.z80"), "");
        ASSERT_TRUE(Load(ReadBytes(dir / "again.z80")));
        EXPECT_EQ(Machine.tstates, saved[28] | saved[29] << 8 | saved[30] << 16);

        // snapconv's .sna carries PC on the stack, below SP.
        ASSERT_NE(Snapconv("", dir / "ours.z80", dir / "back.sna"), "");
        Scramble();
        ASSERT_TRUE(LoadFileAs((dir / "back.sna").c_str(), MediaKind::Sna));
        Bytes expected = saved;
        expected[32 + 0x8642 - 1] = 0x6D, expected[32 + 0x8642 - 2] = 0x5E;
        for (int k = 0; k < 3; ++k) expected[28 + k] = uint8_t(Machine.tstates >> 8 * k); // kept
        EXPECT_EQ(Difference(State(), expected), "");
    }
}

TEST_F(Z80Snapshot, EveryTruncationIsDamagedAndChangesNothing) {
    Convert(Cases[1]);
    ASSERT_FALSE(HasFatalFailure());
    for (const Bytes& file : {compressed, raw, Version2(compressed), Version1(compressed)}) {
        Scramble();
        const Bytes before = State();
        for (size_t n = 0; n < file.size(); ++n) {
            // An exactly sized copy: a read past its end is caught by the address sanitizer.
            std::unique_ptr<uint8_t[]> cut(new uint8_t[n ? n : 1]);
            std::memcpy(cut.get(), file.data(), n);
            LastLoadError = LoadError::None;
            ASSERT_FALSE(LoadZ80Bytes(cut.get(), n)) << n;
            ASSERT_EQ(LastLoadError, LoadError::Damaged) << n;
            ASSERT_TRUE(State() == before) << n; // Difference is too slow here
        }
    }
}

TEST_F(Z80Snapshot, RefusedFilesSayWhyAndChangeNothing) {
    Convert(Cases[2]);
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<size_t> at = Blocks(compressed);
    ASSERT_EQ(at.size(), 3u);
    auto with = [&](std::initializer_list<std::pair<size_t, uint8_t>> changes, Bytes f) {
        for (auto [offset, value] : changes) f[offset] = value;
        return f;
    };
    // One block more after the three: a copy of the first, under a page number set below.
    Bytes extra = Concat(
        {compressed, Bytes(compressed.begin() + long(at[0]), compressed.begin() + long(at[1]))});
    const size_t extraPage = compressed.size() + 2;
    ASSERT_EQ(compressed[at[1] + 2], 5);
    Bytes noPage5 = compressed, longerRun = compressed, shorterRun = compressed;
    noPage5.erase(noPage5.begin() + long(at[1]), noPage5.begin() + long(at[2]));
    // The first ED ED of a block starts a run: count at +2.
    const uint8_t pair[] = {0xED, 0xED};
    const size_t run =
        size_t(std::search(compressed.begin() + long(at[0]) + 3, compressed.end(), pair, pair + 2) -
               compressed.begin());
    ASSERT_LT(run, at[1]);
    longerRun[run + 2]++, shorterRun[run + 2]--;
    Bytes emptyRun = compressed; // a run of no bytes at the start of the first block
    emptyRun.insert(emptyRun.begin() + long(at[0]) + 3, {0xED, 0xED, 0x00, 0x07});
    const size_t length = Word(compressed, at[0]) + 4;
    emptyRun[at[0]] = uint8_t(length), emptyRun[at[0] + 1] = uint8_t(length >> 8);
    Bytes noMarker = Version1(compressed);
    noMarker.resize(noMarker.size() - 4);

    const std::tuple<const char*, Bytes, LoadError> refused[] = {
        // A 128K file must hold all eight RAM pages; these three are 1, 2 and 5 to it.
        {"128K in version 3", with({{34, 4}}, compressed), LoadError::Damaged},
        {"128K in version 2", with({{34, 3}}, Version2(compressed)), LoadError::Damaged},
        {"+3", with({{34, 7}}, compressed), LoadError::OtherMachine},
        {"+2A", with({{34, 13}}, compressed), LoadError::OtherMachine},
        {"SamRam", with({{34, 2}}, compressed), LoadError::OtherMachine},
        {"16K", with({{37, 0x80}}, compressed), LoadError::OtherMachine},
        {"128K page", with({{extraPage, 3}}, extra), LoadError::OtherMachine},
        {"unknown page", with({{at[0] + 2, 12}}, compressed), LoadError::Damaged},
        {"page twice", with({{extraPage, 8}}, extra), LoadError::Damaged},
        {"missing page", noPage5, LoadError::Damaged},
        {"header length", with({{30, 24}}, compressed), LoadError::Damaged},
        {"run too long", longerRun, LoadError::Damaged},
        {"run too short", shorterRun, LoadError::Damaged},
        {"empty run", emptyRun, LoadError::Damaged},
        {"no end marker", noMarker, LoadError::Damaged},
    };
    for (const auto& [what, file, why] : refused) {
        SCOPED_TRACE(what);
        LastLoadError = LoadError::None;
        EXPECT_FALSE(Load(file));
        EXPECT_EQ(LastLoadError, why);
    }
    // A 48K with Interface 1 or an MGT interface, or a file carrying a ROM image, loads.
    for (const Bytes& file : {with({{34, 1}}, compressed), with({{34, 3}}, compressed),
                              with({{extraPage, 0}}, extra)}) {
        ASSERT_TRUE(Load(file));
        EXPECT_EQ(Difference(State(), Expected(Machine.tstates)), "");
    }
}

TEST_F(Z80Snapshot, FilesByNameLoadSaveAndEjectTheTape) {
    Convert(Cases[3]);
    ASSERT_FALSE(HasFatalFailure());
    WriteBytes(dir / "t.tap", TapBlock(0xFF, {1, 2, 3}));
    ASSERT_TRUE(LoadFile((dir / "t.tap").c_str()));
    WriteBytes(dir / "big.z80", Concat({compressed, Bytes(Z80MaxFileSize, 0)}));
    std::filesystem::create_directory(dir / "folder.z80");
    const std::pair<std::string, LoadError> refused[] = {{"big.z80", LoadError::TooLarge},
                                                         {"folder.z80", LoadError::NotRegularFile},
                                                         {"none.z80", LoadError::NotFound},
                                                         {"cut.z80", LoadError::Damaged}};
    WriteBytes(dir / "cut.z80", Bytes(compressed.begin(), compressed.end() - 1));
    for (const auto& [name, why] : refused) {
        SCOPED_TRACE(name);
        Scramble();
        const Bytes before = State();
        EXPECT_FALSE(LoadFile((dir / name).c_str()));
        EXPECT_EQ(LastLoadError, why);
        EXPECT_EQ(Difference(State(), before), "");
        EXPECT_NE(CurrentTape, nullptr);
    }
    std::filesystem::copy_file(dir / "c.z80", dir / "C.Z80");
    for (const char* name : {"C.Z80", "n.z80"}) {
        Scramble();
        ASSERT_TRUE(LoadFile((dir / name).c_str()));
        reference = Expected(Machine.tstates);
        EXPECT_EQ(Difference(State(), reference), "");
        EXPECT_EQ(CurrentTape, nullptr);
    }
    // The name decides what is written: a .z80 under .z80, a .sna under any other name.
    ASSERT_TRUE(SaveFile((dir / "s.z80").c_str()));
    ASSERT_TRUE(SaveFile((dir / "s.z80.bak").c_str()));
    EXPECT_EQ(Word(ReadBytes(dir / "s.z80"), 30), 54u);
    EXPECT_EQ(ReadBytes(dir / "s.z80.bak").size(), SnapshotSize);
    Scramble();
    ASSERT_TRUE(LoadFile((dir / "s.z80").c_str()));
    EXPECT_EQ(Difference(State(), reference), "");
}

} // namespace
