#include "media/snapshot.h"

#include <cstdio>
#include <cstring>

#include "core/machine.h"
#include "media/load_error.h"
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
constexpr uint8_t SnaIffBit = 0x04;
constexpr uint8_t ModeCodeIm1 = 2, ModeCodeIm2 = 3; // interruptState codes

static uint8_t SnapshotBuffer[SnapshotSize];

static uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
static void PutWord(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }

bool LoadSnapshotBytes(const uint8_t* data, size_t size) {
    // Every field lies within the first SnapshotSize bytes: one check covers every read, and
    // a short range leaves the machine exactly as it was.
    if (!data || size < SnapshotSize) {
        LastLoadError = LoadError::TooShort;
        return false;
    }
    const uint8_t* h = data;
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
    std::memcpy(m.memory + RomSize, h + SnapshotHeaderSize, SnapshotRamSize);
    m.pc = Pop(); // the format has no PC: the writer left it on the stack
    m.halted = 0; // nor a HALT in progress: the program goes on from that PC
    return true;
}

bool LoadSnapshot(std::FILE* file) {
    // The whole file is read before anything is stored, so a short or unreadable file leaves
    // the machine exactly as it was.
    const size_t got = std::fread(SnapshotBuffer, 1, SnapshotSize, file);
    if (std::ferror(file)) {
        LastLoadError = LoadError::Unreadable;
        return false;
    }
    return LoadSnapshotBytes(SnapshotBuffer, got);
}

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

bool SaveSnapshot(const char* path) {
    FileReplacement file;
    if (!BeginFileReplacement(path, file)) return false;
    const uint16_t pc = Machine.pc, sp = Machine.sp;
    Push(Machine.pc); // below 0x4000 the push is discarded, as the processor's would be
    BuildSnapshot();
    Machine.pc = pc, Machine.sp = sp;
    return FinishFileReplacement(file, std::fwrite(SnapshotBuffer, 1, SnapshotSize, file.file) ==
                                           SnapshotSize);
}
