#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/machine.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/snapshot.h"
#include "media_files.h"
#include "peripherals/ports.h"
#include "tests/cpu_harness.h"

namespace {

// Everything a snapshot carries or must leave alone, for before/after comparisons.
struct State {
    MachineRecord regs;
    uint8_t border;
    Bytes memory;
};

State Capture() {
    State s{Machine, BorderLog.colour, Bytes(Machine.memory, Machine.memory + 65536)};
    s.regs.memory = nullptr;
    return s;
}

void ExpectSameRegisters(const MachineRecord& a, const MachineRecord& b) {
    EXPECT_EQ(a.AF(), b.AF());
    EXPECT_EQ(a.BC(), b.BC());
    EXPECT_EQ(a.DE(), b.DE());
    EXPECT_EQ(a.HL(), b.HL());
    EXPECT_EQ(a.AFAlt(), b.AFAlt());
    EXPECT_EQ(a.BCAlt(), b.BCAlt());
    EXPECT_EQ(a.DEAlt(), b.DEAlt());
    EXPECT_EQ(a.HLAlt(), b.HLAlt());
    EXPECT_EQ(a.ix, b.ix);
    EXPECT_EQ(a.iy, b.iy);
    EXPECT_EQ(a.pc, b.pc);
    EXPECT_EQ(a.sp, b.sp);
    EXPECT_EQ(a.i, b.i);
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.interruptState, b.interruptState);
    EXPECT_EQ(a.tstates, b.tstates);
    EXPECT_EQ(a.halted, b.halted);
}

void ExpectUnchanged(const State& before) {
    State now = Capture();
    ExpectSameRegisters(now.regs, before.regs);
    EXPECT_EQ(now.border, before.border);
    EXPECT_TRUE(now.memory == before.memory);
}

// Every register a different value, so that a swapped pair or byte shows.
void DistinctRegisters() {
    Machine.SetAF(0x1122), Machine.SetBC(0x3344), Machine.SetDE(0x5566), Machine.SetHL(0x7788);
    Machine.SetAFAlt(0x99AA), Machine.SetBCAlt(0xBBCC), Machine.SetDEAlt(0xDDEE);
    Machine.SetHLAlt(0xF00F);
    Machine.ix = 0x1357, Machine.iy = 0x2468, Machine.pc = 0xBEEF, Machine.sp = 0x8642;
    Machine.i = 0x3F, Machine.r = 0xA5;
    for (uint32_t a = 0x4000; a < 0x10000; ++a) Machine.memory[a] = uint8_t(a * 13 + (a >> 9));
}

// A file laid out by hand, field by field, as the format defines it.
Bytes HandMadeSnapshot() {
    Bytes f(SnapshotSize, 0);
    const uint8_t header[27] = {0x3F, 0x01, 0xF0, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99,
                                0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x68, 0x24, 0x57,
                                0x13, 0x04, 0xA5, 0x22, 0x11, 0x00, 0x90, 0x02, 0x05};
    std::memcpy(f.data(), header, sizeof header);
    for (uint32_t i = 0; i < SnapshotRamSize; ++i)
        f[SnapshotHeaderSize + i] = uint8_t(i ^ (i >> 8));
    f[SnapshotHeaderSize + 0x9000 - 0x4000] = 0xEF; // PC low at SP
    f[SnapshotHeaderSize + 0x9001 - 0x4000] = 0xBE; // PC high
    return f;
}

TEST(Snapshot, HandMadeFileLoadsIntoTheRightRegisters) {
    ScratchDir dir;
    CleanMachine();
    WriteBytes(dir / "a.sna", HandMadeSnapshot());
    ASSERT_TRUE(LoadFileAs((dir / "a.sna").c_str(), MediaKind::Sna));
    EXPECT_EQ(Machine.i, 0x3F);
    EXPECT_EQ(Machine.HLAlt(), 0xF001);
    EXPECT_EQ(Machine.DEAlt(), 0xDDEE);
    EXPECT_EQ(Machine.BCAlt(), 0xBBCC);
    EXPECT_EQ(Machine.AFAlt(), 0x99AA);
    EXPECT_EQ(Machine.HL(), 0x7788);
    EXPECT_EQ(Machine.DE(), 0x5566);
    EXPECT_EQ(Machine.BC(), 0x3344);
    EXPECT_EQ(Machine.iy, 0x2468);
    EXPECT_EQ(Machine.ix, 0x1357);
    EXPECT_TRUE(Machine.Iff1());
    EXPECT_EQ(Machine.r, 0xA5);
    EXPECT_EQ(Machine.AF(), 0x1122);
    EXPECT_EQ(Machine.pc, 0xBEEF);
    EXPECT_EQ(Machine.sp, 0x9002);         // popped from 0x9000
    EXPECT_EQ(Machine.InterruptMode(), 3); // IM 2
    EXPECT_EQ(BorderLog.colour, 5);
    EXPECT_EQ(Machine.memory[0x4000], 0x00);
    EXPECT_EQ(Machine.memory[0x4101], 0x00); // i = 0x101: 0x01 ^ 0x01
    EXPECT_EQ(Machine.memory[0xFFFF], uint8_t(0xBFFF ^ 0xBF));
}

// The format has no halted state: the loaded program runs from its PC even when the machine
// it replaces was halted with interrupts off, which nothing else would ever wake.
TEST(Snapshot, LoadedProgramRunsOnAMachineLeftHalted) {
    ScratchDir dir;
    CleanMachine();
    LoadCode(0x8000, {0xF3, 0x76}); // DI; HALT
    FrameLoop();
    FrameLoop();
    ASSERT_EQ(Machine.halted, 1);

    Bytes f = HandMadeSnapshot();
    f[19] = 0x00; // interrupts off in the snapshot too
    // At the popped PC 0xBEEF: LD A,0x5A; LD (0x7000),A; JR to itself.
    const uint8_t code[] = {0x3E, 0x5A, 0x32, 0x00, 0x70, 0x18, 0xFE};
    std::memcpy(f.data() + SnapshotHeaderSize + 0xBEEF - 0x4000, code, sizeof code);
    WriteBytes(dir / "run.sna", f);
    ASSERT_TRUE(LoadFileAs((dir / "run.sna").c_str(), MediaKind::Sna));
    FrameLoop();
    EXPECT_EQ(Machine.memory[0x7000], 0x5A);
    EXPECT_EQ(Machine.pc, 0xBEEF + 5);
}

TEST(Snapshot, SaveThenLoadReproducesTheMachine) {
    ScratchDir dir;
    const std::string path = dir / "round.sna";
    // mode code 0 = IM 0, 2 = IM 1, 3 = IM 2; each with IFF1 off and on, and every border colour
    const uint8_t modes[] = {0, 2, 3};
    int colour = 0;
    for (uint8_t mode : modes)
        for (uint8_t iff : {uint8_t(0), Iff1Bit}) {
            SCOPED_TRACE(int(mode) + 10 * (iff != 0));
            CleanMachine();
            DistinctRegisters();
            Machine.interruptState = uint8_t(iff | mode);
            BorderLog.colour = uint8_t(colour++ % 8);
            const State saved = Capture();
            ASSERT_TRUE(SaveSnapshot(path.c_str()));
            ASSERT_EQ(ReadBytes(path).size(), SnapshotSize);
            // PC now sits below SP, high byte on top.
            EXPECT_EQ(Machine.memory[uint16_t(Machine.sp - 1)], 0xBE);
            EXPECT_EQ(Machine.memory[uint16_t(Machine.sp - 2)], 0xEF);
            const Bytes withPushedPc(Machine.memory + 0x4000, Machine.memory + 0x10000);

            // A different machine, then the file.
            std::memset(Machine.memory + 0x4000, 0x55, 0xC000);
            Machine.SetAF(0), Machine.SetHLAlt(0), Machine.ix = 0, Machine.pc = 0;
            Machine.sp = 0, Machine.interruptState = 1, BorderLog.colour = 7 - saved.border;
            ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Sna));
            ExpectSameRegisters(Machine, saved.regs);
            EXPECT_EQ(BorderLog.colour, saved.border);
            EXPECT_TRUE(Bytes(Machine.memory + 0x4000, Machine.memory + 0x10000) == withPushedPc);
        }
}

TEST(Snapshot, StackPointerZeroPushesToTheTopOfMemory) {
    ScratchDir dir;
    const std::string path = dir / "sp0.sna";
    CleanMachine();
    Machine.sp = 0x0000, Machine.pc = 0x1234;
    ASSERT_TRUE(SaveSnapshot(path.c_str()));
    EXPECT_EQ(Machine.memory[0xFFFF], 0x12);
    EXPECT_EQ(Machine.memory[0xFFFE], 0x34);
    EXPECT_EQ(Machine.sp, 0x0000);
    EXPECT_EQ(Machine.pc, 0x1234);
    const Bytes file = ReadBytes(path);
    EXPECT_EQ(file[23], 0xFE);
    EXPECT_EQ(file[24], 0xFF);
    Machine.sp = 0x5000, Machine.pc = 0;
    ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Sna));
    EXPECT_EQ(Machine.pc, 0x1234);
    EXPECT_EQ(Machine.sp, 0x0000);
}

TEST(Snapshot, PushIntoTheRomAreaLeavesTheRomAlone) {
    ScratchDir dir;
    CleanMachine();
    Machine.memory[0x3FFF] = 0xC9;
    Machine.sp = 0x4001, Machine.pc = 0xABCD;
    ASSERT_TRUE(SaveSnapshot((dir / "rom.sna").c_str()));
    EXPECT_EQ(Machine.memory[0x3FFF], 0xC9);
    EXPECT_EQ(Machine.memory[0x4000], 0xAB);
    EXPECT_EQ(Machine.sp, 0x4001);
    EXPECT_EQ(Machine.pc, 0xABCD);
    EXPECT_EQ(ReadBytes(dir / "rom.sna")[23], 0xFF); // SP after the push: 0x3FFF
}

TEST(Snapshot, HeaderBytesAreMaskedAndMapped) {
    ScratchDir dir;
    const std::string path = dir / "edge.sna";
    struct Case {
        uint8_t interrupt, mode, border;
        bool iff1;
        uint8_t modeCode, colour;
    };
    const Case cases[] = {
        {0xFF, 7, 0x0A, true, 0, 2}, {0x00, 1, 0xFF, false, 2, 7}, {0x03, 2, 0x08, false, 3, 0},
        {0x04, 0, 0x03, true, 0, 3}, {0xFB, 3, 0x0F, false, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.interrupt));
        Bytes f = HandMadeSnapshot();
        f[19] = c.interrupt, f[25] = c.mode, f[26] = c.border;
        WriteBytes(path, f);
        CleanMachine();
        ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Sna));
        EXPECT_EQ(Machine.Iff1(), c.iff1);
        EXPECT_EQ(Machine.InterruptMode(), c.modeCode);
        EXPECT_EQ(BorderLog.colour, c.colour);
    }
}

TEST(Snapshot, UndocumentedModeIsStoredAsImZero) {
    ScratchDir dir;
    CleanMachine();
    Machine.sp = 0x8000;
    Machine.interruptState = Iff1Bit | 1;
    ASSERT_TRUE(SaveSnapshot((dir / "m.sna").c_str()));
    const Bytes f = ReadBytes(dir / "m.sna");
    EXPECT_EQ(f[25], 0);
    EXPECT_EQ(f[19], 4);
}

TEST(Snapshot, FileLengthDecidesSuccess) {
    ScratchDir dir;
    const Bytes good = HandMadeSnapshot();

    Bytes longer = good;
    longer.resize(SnapshotSize + 100, 0x77);
    WriteBytes(dir / "long.sna", longer);
    CleanMachine();
    EXPECT_TRUE(LoadFileAs((dir / "long.sna").c_str(), MediaKind::Sna));
    EXPECT_EQ(Machine.pc, 0xBEEF);

    // Short, empty, missing and unreadable files change nothing at all.
    for (size_t size : {size_t(SnapshotSize - 1), size_t(27), size_t(10), size_t(0)}) {
        SCOPED_TRACE(size);
        Bytes shorter(good.begin(), good.begin() + long(size));
        WriteBytes(dir / "short.sna", shorter);
        CleanMachine();
        DistinctRegisters();
        BorderLog.colour = 6;
        const State before = Capture();
        EXPECT_FALSE(LoadFileAs((dir / "short.sna").c_str(), MediaKind::Sna));
        ExpectUnchanged(before);
    }
    CleanMachine();
    DistinctRegisters();
    const State before = Capture();
    EXPECT_FALSE(LoadFileAs((dir / "missing.sna").c_str(), MediaKind::Sna));
    std::filesystem::create_directory(dir / "folder.sna");
    EXPECT_FALSE(LoadFileAs((dir / "folder.sna").c_str(), MediaKind::Sna));
    ExpectUnchanged(before);

    WriteBytes(dir / "exact.sna", good);
    EXPECT_TRUE(LoadFileAs((dir / "exact.sna").c_str(), MediaKind::Sna));
}

// The reader over bytes in memory: a range one byte short, or none, changes nothing.
TEST(Snapshot, LoadsFromBytesInMemory) {
    const Bytes good = HandMadeSnapshot();
    CleanMachine();
    DistinctRegisters();
    const State before = Capture();
    // An exact-size copy, so that a read past its end is caught by the address sanitizer.
    const std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(LoadSnapshotBytes(cut.data(), cut.size()));
    EXPECT_EQ(LastLoadError, LoadError::TooShort);
    EXPECT_FALSE(LoadSnapshotBytes(nullptr, SnapshotSize));
    ExpectUnchanged(before);
    ASSERT_TRUE(LoadSnapshotBytes(good.data(), good.size()));
    EXPECT_EQ(Machine.pc, 0xBEEF);
    EXPECT_EQ(Machine.sp, 0x9002);
    EXPECT_EQ(Machine.HLAlt(), 0xF001);
}

size_t FilesIn(const std::filesystem::path& dir) {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir)) n += e.exists();
    return n;
}

TEST(Snapshot, SaveWhereNoFileCanBeCreatedChangesNothing) {
    ScratchDir dir;
    WriteBytes(dir / "plain", {1, 2, 3});
    std::filesystem::create_directory(dir / "existing.sna");
    CleanMachine();
    DistinctRegisters();
    const State before = Capture();
    // A folder that is a regular file cannot hold anything, even for root.
    EXPECT_FALSE(SaveSnapshot((dir / "plain/x.sna").c_str()));
    ExpectUnchanged(before);
    // A folder in the way of the target: refused, the folder stays and no stray file is left.
    EXPECT_FALSE(SaveSnapshot((dir / "existing.sna").c_str()));
    EXPECT_EQ(Machine.pc, before.regs.pc);
    EXPECT_EQ(Machine.sp, before.regs.sp);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "existing.sna"));
    EXPECT_EQ(FilesIn(dir.path), 2u);
    EXPECT_EQ(ReadBytes(dir / "plain"), (Bytes{1, 2, 3}));
}

TEST(Snapshot, FailedWriteLeavesTheOldFileIntact) {
    ScratchDir dir;
    const std::string path = dir / "keep.sna";
    const Bytes old = HandMadeSnapshot();
    WriteBytes(path, old);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file system refuses to let any file grow past 20000 bytes in this process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        CleanMachine();
        DistinctRegisters();
        const bool saved = SaveSnapshot(path.c_str());
        const bool restored = Machine.pc == 0xBEEF && Machine.sp == 0x8642;
        _exit(saved ? 1 : restored ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported success, 2: PC or SP not restored";
    EXPECT_TRUE(ReadBytes(path) == old);
    EXPECT_EQ(FilesIn(dir.path), 1u); // the partial temporary file is gone
}

TEST(Snapshot, SuccessfulSaveReplacesTheFileAndKeepsItsPermissions) {
    ScratchDir dir;
    const std::string path = dir / "over.sna";
    WriteBytes(path, Bytes(100, 0xAA));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    CleanMachine();
    DistinctRegisters();
    ASSERT_TRUE(SaveSnapshot(path.c_str()));
    EXPECT_EQ(ReadBytes(path).size(), SnapshotSize);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(FilesIn(dir.path), 1u);
}

// Renaming over a FIFO, a device or a socket would leave a plain file where it was: such an
// output is refused and stays what it is.
TEST(Snapshot, SaveNeverReplacesWhatIsNotARegularFile) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    CleanMachine();
    DistinctRegisters();
    const std::string fifo = dir / "fifo.sna", device = dir / "null.sna", sock = dir / "s.sna";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(SaveSnapshot(fifo.c_str()));
    EXPECT_TRUE(fs::is_fifo(fifo));
    // The null device's own numbers, under a name of our own (creating it needs privilege).
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_FALSE(SaveSnapshot(device.c_str()));
        EXPECT_TRUE(fs::is_character_file(device));
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, sock.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(SaveSnapshot(sock.c_str()));
    EXPECT_TRUE(fs::is_socket(sock));
    close(fd);
    EXPECT_EQ(Machine.pc, 0xBEEF);
    EXPECT_EQ(Machine.sp, 0x8642);
}

// A file nobody may write keeps its content, even for the administrator.
TEST(Snapshot, SaveLeavesAReadOnlyFileAlone) {
    ScratchDir dir;
    const std::string path = dir / "locked.sna";
    WriteBytes(path, {1, 2, 3});
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    CleanMachine();
    EXPECT_FALSE(SaveSnapshot(path.c_str()));
    EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(FilesIn(dir.path), 1u);
}

// A symbolic link is followed: the file it names gets the snapshot and the link stays a link,
// also when it names a file in another folder by a relative path.
TEST(Snapshot, SaveThroughASymbolicLinkWritesItsTarget) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    fs::create_directory(dir / "games");
    WriteBytes(dir / "games/real.sna", Bytes(10, 0));
    fs::create_symlink("games/real.sna", dir / "link.sna");
    fs::create_symlink(dir / "games/new.sna", dir / "dangling.sna");
    CleanMachine();
    DistinctRegisters();
    const State before = Capture();
    for (const char* name : {"link.sna", "dangling.sna"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SaveSnapshot((dir / name).c_str()));
        EXPECT_TRUE(fs::is_symlink(dir / name));
        EXPECT_EQ(ReadBytes(dir / name).size(), SnapshotSize);
        Machine.pc = 0, Machine.sp = 0;
        ASSERT_TRUE(LoadFileAs((dir / name).c_str(), MediaKind::Sna));
        EXPECT_EQ(Machine.pc, before.regs.pc);
        EXPECT_EQ(Machine.sp, before.regs.sp);
    }
    EXPECT_EQ(FilesIn(dir.path / "games"), 2u);
    EXPECT_EQ(FilesIn(dir.path), 3u);
}

} // namespace
