#include "media/snapshot.h"

#include <cstdio>
#include <cstring>

#include "core/machine.h"
#include "media/load_error.h"
#include "media/snapshot_machine.h"
#include "peripherals/machine_model.h"
#include "peripherals/ports.h"
#include "platform/file_replacement.h"

// Header offsets, all pairs low byte first.
enum : uint32_t {
    OffI = 0,
    OffHLAlt = 1,
    OffDEAlt = 3,
    OffBCAlt = 5,
    OffAFAlt = 7,
    OffHL = 9,
    OffDE = 11,
    OffBC = 13,
    OffIY = 15,
    OffIX = 17,
    OffInterrupt = 19, // bit 2: the format's IFF2, which carries our one flip-flop IFF1
    OffR = 20,
    OffAF = 21,
    OffSP = 23,
    OffMode = 25, // 0, 1 or 2 for IM 0, IM 1, IM 2
    OffBorder = 26,
};
// After the 48K part of a 128K snapshot.
enum : uint32_t {
    OffPC128 = SnapshotSize,
    OffPaging = SnapshotSize + 2, // the last value written to 0x7FFD
    OffTrDos = SnapshotSize + 3,  // 1 while the TR-DOS ROM is paged in
    OffPages128 = SnapshotSize + 4,
};
constexpr uint8_t SnaIffBit = 0x04;
constexpr uint8_t ModeCodeIm1 = 2, ModeCodeIm2 = 3; // interruptState codes
constexpr uint32_t PageBytes = 16384;

// One byte more than the largest snapshot shows a file that is larger.
static uint8_t SnapshotBuffer[Snapshot128LongSize + 1];

static uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
static void PutWord(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }

// The registers, interrupt state and border of the 27-byte header.
static void ReadHeader(const uint8_t* h) {
    MachineRecord& m = Machine;
    m.i = h[OffI];
    m.SetHLAlt(Word(h + OffHLAlt));
    m.SetDEAlt(Word(h + OffDEAlt));
    m.SetBCAlt(Word(h + OffBCAlt));
    m.SetAFAlt(Word(h + OffAFAlt));
    m.SetHL(Word(h + OffHL));
    m.SetDE(Word(h + OffDE));
    m.SetBC(Word(h + OffBC));
    m.iy = Word(h + OffIY);
    m.ix = Word(h + OffIX);
    m.interruptState = (h[OffInterrupt] & SnaIffBit) ? Iff1Bit : 0;
    m.r = h[OffR];
    m.SetAF(Word(h + OffAF));
    m.sp = Word(h + OffSP);
    if (h[OffMode] == 1) m.interruptState |= ModeCodeIm1;
    if (h[OffMode] == 2) m.interruptState |= ModeCodeIm2;
    BorderLog.colour = h[OffBorder] & 7;
    m.halted = 0; // the format has no HALT in progress: the program goes on from its PC
}

// The pages a 128K snapshot holds after its 48K part, in order: all but 5, 2 and the one at
// 0xC000. Returns how many.
static int PagesAfter(int atC000, int pages[RamPageCount]) {
    int n = 0;
    for (int page = 0; page < RamPageCount; ++page)
        if (page != 5 && page != 2 && page != atC000) pages[n++] = page;
    return n;
}

static bool Load128(const uint8_t* data, size_t size) {
    const uint8_t paging = data[OffPaging];
    int pages[RamPageCount];
    const int count = PagesAfter(paging & PagingRamBits, pages);
    if (size != OffPages128 + count * PageBytes) {
        LastLoadError = LoadError::Damaged;
        return false;
    }
    if (data[OffTrDos] == 1) {
        LastLoadError = LoadError::OtherMachine;
        return false;
    }
    const MachineKind kind = IsPagedMachine() ? CurrentMachine : MachineKind::Spectrum128;
    if (!SnapshotMachineAvailable(kind)) return false;
    SwitchToSnapshotMachine(kind);
    ReadHeader(data);
    ResetPaging();
    WritePagingPort(paging);
    const uint8_t* ram = data + SnapshotHeaderSize;
    const int shown[3] = {5, 2, paging & PagingRamBits};
    for (int k = 0; k < 3; ++k) std::memcpy(RamPage(shown[k]), ram + k * PageBytes, PageBytes);
    for (int k = 0; k < count; ++k)
        std::memcpy(RamPage(pages[k]), data + OffPages128 + k * PageBytes, PageBytes);
    Machine.pc = Word(data + OffPC128);
    return true;
}

bool LoadSnapshotBytes(const uint8_t* data, size_t size) {
    // Every field of a 48K snapshot lies within the first SnapshotSize bytes: one check covers
    // every read, and a short range leaves the machine exactly as it was.
    if (!data || size < SnapshotSize) {
        LastLoadError = LoadError::TooShort;
        return false;
    }
    if (size == Snapshot128Size || size == Snapshot128LongSize) return Load128(data, size);
    if (!SnapshotMachineAvailable(MachineKind::Spectrum48)) return false;
    SwitchToSnapshotMachine(MachineKind::Spectrum48);
    ReadHeader(data);
    std::memcpy(Machine.memory + RomSize, data + SnapshotHeaderSize, SnapshotRamSize);
    Machine.pc = Pop(); // the format has no PC: the writer left it on the stack
    return true;
}

bool LoadSnapshot(std::FILE* file) {
    // The whole file is read before anything is stored, so a short or unreadable file leaves
    // the machine exactly as it was.
    const size_t got = std::fread(SnapshotBuffer, 1, sizeof SnapshotBuffer, file);
    if (std::ferror(file)) {
        LastLoadError = LoadError::Unreadable;
        return false;
    }
    return LoadSnapshotBytes(SnapshotBuffer, got);
}

// The 27-byte header and the memory at 0x4000-0xFFFF.
static void BuildSnapshot() {
    uint8_t* h = SnapshotBuffer;
    const MachineRecord& m = Machine;
    h[OffI] = m.i;
    PutWord(h + OffHLAlt, m.HLAlt());
    PutWord(h + OffDEAlt, m.DEAlt());
    PutWord(h + OffBCAlt, m.BCAlt());
    PutWord(h + OffAFAlt, m.AFAlt());
    PutWord(h + OffHL, m.HL());
    PutWord(h + OffDE, m.DE());
    PutWord(h + OffBC, m.BC());
    PutWord(h + OffIY, m.iy);
    PutWord(h + OffIX, m.ix);
    h[OffInterrupt] = m.Iff1() ? SnaIffBit : 0;
    h[OffR] = m.r;
    PutWord(h + OffAF, m.AF());
    PutWord(h + OffSP, m.sp);
    // Code 1 (ED 4E) has no value of its own; a real Z80 runs IM 0 there, so it is stored as 0.
    const uint8_t mode = m.InterruptMode();
    h[OffMode] = mode == ModeCodeIm1 ? 1 : mode == ModeCodeIm2 ? 2 : 0;
    h[OffBorder] = BorderLog.colour;
    std::memcpy(h + SnapshotHeaderSize, m.memory + RomSize, SnapshotRamSize);
}

// The 128K's part after the 48K one; returns the whole size.
static uint32_t Build128Part() {
    uint8_t* h = SnapshotBuffer;
    PutWord(h + OffPC128, Machine.pc);
    h[OffPaging] = PagingPort;
    h[OffTrDos] = 0;
    int pages[RamPageCount];
    const int count = PagesAfter(PagingPort & PagingRamBits, pages);
    for (int k = 0; k < count; ++k)
        std::memcpy(h + OffPages128 + k * PageBytes, RamPage(pages[k]), PageBytes);
    return OffPages128 + count * PageBytes;
}

bool SaveSnapshot(const char* path) {
    FileReplacement file;
    if (!BeginFileReplacement(path, file)) return false;
    uint32_t size = SnapshotSize;
    if (IsPagedMachine()) {
        BuildSnapshot();
        size = Build128Part();
    } else {
        const uint16_t pc = Machine.pc, sp = Machine.sp;
        Push(Machine.pc); // below 0x4000 the push is discarded, as the processor's would be
        BuildSnapshot();
        Machine.pc = pc, Machine.sp = sp;
    }
    return FinishFileReplacement(file, std::fwrite(SnapshotBuffer, 1, size, file.file) == size);
}
