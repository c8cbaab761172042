#include "media/z80_snapshot.h"

#include <cstdio>
#include <cstring>

#include "core/machine.h"
#include "media/load_error.h"
#include "media/snapshot_machine.h"
#include "peripherals/ay_registers.h"
#include "peripherals/machine_model.h"
#include "peripherals/ports.h"
#include "platform/file_replacement.h"

// Offsets of the 30-byte header every version starts with; pairs low byte first.
enum : uint32_t {
    OffA = 0,
    OffF = 1,
    OffBC = 2,
    OffHL = 4,
    OffPC = 6, // 0 in versions 2 and 3, whose PC is in the extra header
    OffSP = 8,
    OffI = 10,
    OffR = 11,     // bits 0-6; bit 7 is bit 0 of the flags byte
    OffFlags = 12, // bit 0 R bit 7, bits 1-3 border, bit 5 compressed memory (version 1)
    OffDE = 13,
    OffBCAlt = 15,
    OffDEAlt = 17,
    OffHLAlt = 19,
    OffAAlt = 21,
    OffFAlt = 22,
    OffIY = 23,
    OffIX = 25,
    OffIff1 = 27,
    OffIff2 = 28,
    OffMode = 29, // bits 0-1 interrupt mode
    BaseHeaderSize = 30,
    // Versions 2 and 3: the length of the extra header, then the extra header itself.
    OffExtraLength = 30,
    OffExtraPC = 32,
    OffHardware = 34,
    OffPaging = 35,        // 128K: the last value written to 0x7FFD
    OffHardwareFlags = 37, // bit 7: the machine is modified (48K becomes 16K, 128K becomes +2)
    OffAySelected = 38,    // the sound chip's register last selected at 0xFFFD
    OffAyRegisters = 39,   // its sixteen registers
    OffTStatesLow = 55,    // version 3: counts down from 17471 in each quarter of the frame
    OffTStatesHigh = 57,   // version 3: the quarter, 3 just after the interrupt
    OffRomPaged = 61,      // version 3: 0xFF while ROM (not RAM) is at 0x0000-0x1FFF
    OffRomPagedHigh = 62,  // and at 0x2000-0x3FFF
};
constexpr uint16_t ExtraV2 = 23, ExtraV3 = 54, ExtraV3Long = 55; // the long one adds port 0x1FFD
constexpr uint8_t CompressedBit = 0x20, ModifiedHardware = 0x80;
constexpr uint32_t PageSize = 16384, RamSize = 3 * PageSize;
constexpr uint16_t RawBlock = 0xFFFF; // version 3 block length of 16384 bytes stored as they are
constexpr uint8_t ModeCodeIm1 = 2, ModeCodeIm2 = 3;           // interruptState codes
static const uint8_t EndMarker[4] = {0x00, 0xED, 0xED, 0x00}; // after version 1 memory
// Hardware codes written: the 128K in version 3, and the +2.
constexpr uint8_t Hardware128V3 = 4, HardwarePlus2 = 12;

static uint8_t FileBuffer[Z80MaxFileSize + 1]; // one byte more shows an oversized file
// The 48K's 0x4000-0xFFFF, or the 128K's eight pages, until the whole file is good.
static uint8_t Staging[RamPageCount * PageSize];
static uint8_t RomImage[PageSize]; // ROM images in a file decode here, unused
static uint8_t OutBuffer[BaseHeaderSize + 2 + ExtraV3 + RamPageCount * (3 + PageSize)];

// A quarter of the machine's frame: version 3 counts the T-states in quarters.
static uint32_t QuarterTStatesOf(MachineKind kind) {
    return (kind == MachineKind::Spectrum48 ? FrameTStates : FrameTStates128) / 4;
}

static uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
static void PutWord(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }

static bool Refuse(LoadError why) {
    LastLoadError = why;
    return false;
}

// Expands [in, end) into exactly `size` bytes: ED ED nn bb is nn copies of bb, every other byte
// itself. Returns where the expansion stopped, or nullptr when the data ends first or a run has
// no bytes or overflows `size`.
static const uint8_t* Expand(const uint8_t* in, const uint8_t* end, uint8_t* out, size_t size) {
    size_t n = 0;
    while (n < size) {
        if (in == end) return nullptr;
        if (end - in >= 2 && in[0] == 0xED && in[1] == 0xED) {
            if (end - in < 4) return nullptr;
            const size_t count = in[2];
            if (count == 0 || count > size - n) return nullptr;
            std::memset(out + n, in[3], count);
            n += count, in += 4;
        } else {
            out[n++] = *in++;
        }
    }
    return in;
}

// What the numbered blocks of a snapshot hold: the place in Staging of a RAM page, a ROM image
// (checked and dropped: the machine keeps its own ROM), or a page of another machine.
constexpr int8_t RomBlock = -1, OtherBlock = -2;
// The 48K: 8, 4, 5 are 0x4000, 0x8000, 0xC000; 0 the 48K ROM, 1 Interface 1, DISCiPLE or Plus
// D, 11 Multiface; the SamRam's pages (2, 3, 6, 7) and the 128K's (9, 10) mean another machine.
static const int8_t Blocks48[12] = {RomBlock, RomBlock,   OtherBlock, OtherBlock,
                                    1,        2,          OtherBlock, OtherBlock,
                                    0,        OtherBlock, OtherBlock, RomBlock};
// The 128K: 3 to 10 are RAM pages 0 to 7; 0 the 48K BASIC ROM, 1 Interface 1 and the like, 2
// the 128K editor ROM, 11 Multiface.
static const int8_t Blocks128[12] = {RomBlock, RomBlock, RomBlock, 0, 1, 2,
                                     3,        4,        5,        6, 7, RomBlock};

// The memory blocks of a version 2 or 3 file, up to the end of the data, into Staging: every
// RAM page of the machine once.
static bool ReadBlocks(const uint8_t* p, const uint8_t* end, bool version3, MachineKind kind) {
    const bool is48K = kind == MachineKind::Spectrum48;
    const int8_t* uses = is48K ? Blocks48 : Blocks128;
    const unsigned all = is48K ? 0x07 : 0xFF;
    unsigned found = 0; // one bit per RAM page
    while (p != end) {
        if (end - p < 3) return Refuse(LoadError::Damaged);
        const uint16_t length = Word(p);
        const uint8_t page = p[2];
        p += 3;
        if (page >= sizeof Blocks48) return Refuse(LoadError::Damaged);
        uint8_t* target = RomImage;
        const int8_t use = uses[page];
        if (use == OtherBlock) return Refuse(LoadError::OtherMachine);
        if (use != RomBlock) {
            const unsigned bit = 1u << use;
            if (found & bit) return Refuse(LoadError::Damaged); // the same page twice
            found |= bit;
            target = Staging + use * PageSize;
        }
        if (version3 && length == RawBlock) {
            if (size_t(end - p) < PageSize) return Refuse(LoadError::Damaged);
            std::memcpy(target, p, PageSize);
            p += PageSize;
            continue;
        }
        if (size_t(end - p) < length) return Refuse(LoadError::Damaged);
        const uint8_t* blockEnd = p + length;
        // The block must expand to one page using every one of its bytes.
        if (Expand(p, blockEnd, target, PageSize) != blockEnd) return Refuse(LoadError::Damaged);
        p = blockEnd;
    }
    return found == all ? true : Refuse(LoadError::Damaged);
}

// Version 1: 48K of memory straight after the header, compressed when the flags say so.
static bool ReadVersion1Memory(const uint8_t* p, const uint8_t* end, uint8_t flags) {
    if (flags & CompressedBit) {
        p = Expand(p, end, Staging, RamSize);
        if (!p || end - p < 4 || std::memcmp(p, EndMarker, 4) != 0)
            return Refuse(LoadError::Damaged);
        return true;
    }
    if (size_t(end - p) < RamSize) return Refuse(LoadError::Damaged);
    std::memcpy(Staging, p, RamSize);
    return true;
}

// Version 3's place in the frame: the quarter after the interrupt (the byte holds 3 for the
// first) and the T-states left in that quarter. A count beyond a quarter is taken as its start,
// so the machine is always within the frame.
static uint32_t FrameTStatesOf(const uint8_t* data, MachineKind kind) {
    const uint32_t quarterTStates = QuarterTStatesOf(kind);
    const uint32_t quarter = (data[OffTStatesHigh] + 1u) % 4;
    const uint16_t left = Word(data + OffTStatesLow);
    const uint32_t into = left < quarterTStates ? quarterTStates - 1 - left : 0;
    return quarter * quarterTStates + into;
}

// The machine of a version 2 or 3 header; OtherMachine for any other. The 48K alone or with an
// interface that keeps its memory: 0 plain, 1 Interface 1, and in version 3 also 3 with an MGT
// disc interface. The 128K likewise: 3 and 4 in version 2, 4, 5 and 6 in version 3. The +2 is
// 12, or the 128K marked as modified.
static bool MachineOf(const uint8_t* data, bool version3, MachineKind& kind) {
    const uint8_t hardware = data[OffHardware];
    const bool modified = data[OffHardwareFlags] & ModifiedHardware;
    const bool is48K = hardware == 0 || hardware == 1 || (version3 && hardware == 3);
    const bool is128K = version3 ? hardware >= 4 && hardware <= 6 : hardware == 3 || hardware == 4;
    if (is48K && !modified)
        kind = MachineKind::Spectrum48;
    else if (is128K)
        kind = modified ? MachineKind::Plus2 : MachineKind::Spectrum128;
    else if (version3 && hardware == HardwarePlus2 && !modified)
        kind = MachineKind::Plus2;
    else
        return Refuse(LoadError::OtherMachine);
    return true;
}

// Everything has been checked and the memory is in Staging: now the machine changes, to the
// snapshot's own. Versions 1 and 2 have no T-state count: the machine keeps its own
// (`tstates` < 0).
static void Commit(const uint8_t* h, uint8_t flags, uint16_t pc, int32_t tstates,
                   MachineKind kind) {
    SwitchToSnapshotMachine(kind);
    MachineRecord& m = Machine;
    m.a = h[OffA], m.f = h[OffF];
    m.SetBC(Word(h + OffBC));
    m.SetHL(Word(h + OffHL));
    m.pc = pc;
    m.sp = Word(h + OffSP);
    m.i = h[OffI];
    m.r = uint8_t((h[OffR] & 0x7F) | (flags & 1) << 7);
    m.SetDE(Word(h + OffDE));
    m.SetBCAlt(Word(h + OffBCAlt));
    m.SetDEAlt(Word(h + OffDEAlt));
    m.SetHLAlt(Word(h + OffHLAlt));
    m.aAlt = h[OffAAlt], m.fAlt = h[OffFAlt];
    m.iy = Word(h + OffIY);
    m.ix = Word(h + OffIX);
    // IM 0, 1, 2 as mode codes 0, 2, 3; the value 3 names no mode and reads as IM 0.
    static const uint8_t modeCode[4] = {0, ModeCodeIm1, ModeCodeIm2, 0};
    m.interruptState = uint8_t((h[OffIff1] ? Iff1Bit : 0) | modeCode[h[OffMode] & 3]);
    BorderLog.colour = (flags >> 1) & 7;
    if (kind == MachineKind::Spectrum48) {
        std::memcpy(m.memory + RomSize, Staging, RamSize);
    } else {
        for (int page = 0; page < RamPageCount; ++page)
            std::memcpy(RamPage(page), Staging + page * PageSize, PageSize);
        ResetPaging();
        WritePagingPort(h[OffPaging]);
        AyRegisters.selected = h[OffAySelected];
        std::memcpy(AyRegisters.reg, h + OffAyRegisters, sizeof AyRegisters.reg);
    }
    m.halted = 0; // the format has no HALT in progress: the program goes on from PC
    if (tstates >= 0) m.tstates = uint32_t(tstates);
}

bool LoadZ80Bytes(const uint8_t* data, size_t size) {
    if (!data || size < BaseHeaderSize) return Refuse(LoadError::Damaged);
    const uint8_t* end = data + size;
    // Some old writers leave 255 in the flags byte; it means 1.
    const uint8_t flags = data[OffFlags] == 0xFF ? 1 : data[OffFlags];
    uint16_t pc = Word(data + OffPC);
    int32_t tstates = -1;
    MachineKind kind = MachineKind::Spectrum48;
    if (pc != 0) {
        if (!ReadVersion1Memory(data + BaseHeaderSize, end, flags)) return false;
    } else {
        if (size < OffExtraPC) return Refuse(LoadError::Damaged);
        const uint16_t extra = Word(data + OffExtraLength);
        if (extra != ExtraV2 && extra != ExtraV3 && extra != ExtraV3Long)
            return Refuse(LoadError::Damaged);
        if (size - OffExtraPC < extra) return Refuse(LoadError::Damaged);
        const bool version3 = extra != ExtraV2;
        if (!MachineOf(data, version3, kind)) return false;
        pc = Word(data + OffExtraPC);
        if (!ReadBlocks(data + OffExtraPC + extra, end, version3, kind)) return false;
        if (version3) tstates = int32_t(FrameTStatesOf(data, kind));
    }
    if (!SnapshotMachineAvailable(kind)) return false;
    Commit(data, flags, pc, tstates, kind);
    return true;
}

bool LoadZ80Snapshot(std::FILE* file) {
    const size_t got = std::fread(FileBuffer, 1, sizeof FileBuffer, file);
    if (std::ferror(file)) return Refuse(LoadError::Unreadable);
    if (got > Z80MaxFileSize) return Refuse(LoadError::TooLarge);
    return LoadZ80Bytes(FileBuffer, got);
}

// Compresses one page into `out`. A run of five or more equal bytes, or of two or more 0xED,
// becomes ED ED count byte; the byte after a single 0xED is never the start of a run, so that
// no ED ED appears that is not one. Returns the length, or 0 when the result would not be
// shorter than the page (the page is then stored as it is).
static size_t CompressPage(const uint8_t* in, uint8_t* out) {
    size_t i = 0, o = 0;
    while (i < PageSize) {
        if (o + 4 >= PageSize) return 0;
        const uint8_t b = in[i];
        size_t run = 1;
        while (i + run < PageSize && in[i + run] == b && run < 255) ++run;
        if (run >= 5 || (b == 0xED && run >= 2)) {
            out[o++] = 0xED, out[o++] = 0xED, out[o++] = uint8_t(run), out[o++] = b;
            i += run;
            continue;
        }
        out[o++] = in[i++];
        if (b == 0xED && i < PageSize) out[o++] = in[i++];
    }
    return o;
}

static size_t BuildZ80() {
    uint8_t* h = OutBuffer;
    std::memset(h, 0, BaseHeaderSize + 2 + ExtraV3);
    const MachineRecord& m = Machine;
    h[OffA] = m.a, h[OffF] = m.f;
    PutWord(h + OffBC, m.BC());
    PutWord(h + OffHL, m.HL());
    PutWord(h + OffSP, m.sp); // OffPC stays 0: version 3 keeps PC in the extra header
    h[OffI] = m.i;
    h[OffR] = m.r & 0x7F;
    h[OffFlags] = uint8_t(m.r >> 7 | (BorderLog.colour & 7) << 1);
    PutWord(h + OffDE, m.DE());
    PutWord(h + OffBCAlt, m.BCAlt());
    PutWord(h + OffDEAlt, m.DEAlt());
    PutWord(h + OffHLAlt, m.HLAlt());
    h[OffAAlt] = m.aAlt, h[OffFAlt] = m.fAlt;
    PutWord(h + OffIY, m.iy);
    PutWord(h + OffIX, m.ix);
    h[OffIff1] = h[OffIff2] = m.Iff1() ? 1 : 0;
    // Code 1 (ED 4E) has no value of its own; a real Z80 runs IM 0 there, so it is stored as 0.
    const uint8_t mode = m.InterruptMode();
    h[OffMode] = mode == ModeCodeIm1 ? 1 : mode == ModeCodeIm2 ? 2 : 0;
    PutWord(h + OffExtraLength, ExtraV3);
    PutWord(h + OffExtraPC, m.pc);
    const bool paged = IsPagedMachine(); // hardware 0 (a 48K Spectrum) unless set here
    if (paged) {
        h[OffHardware] = CurrentMachine == MachineKind::Plus2 ? HardwarePlus2 : Hardware128V3;
        h[OffPaging] = PagingPort;
        h[OffAySelected] = AyRegisters.selected;
        std::memcpy(h + OffAyRegisters, AyRegisters.reg, sizeof AyRegisters.reg);
    }
    const uint32_t quarterTStates = QuarterTStatesOf(CurrentMachine);
    const uint32_t t = m.tstates % MachineFrameTStates;
    PutWord(h + OffTStatesLow, uint16_t(quarterTStates - 1 - t % quarterTStates));
    h[OffTStatesHigh] = uint8_t((t / quarterTStates + 3) % 4);
    h[OffRomPaged] = h[OffRomPagedHigh] = 0xFF;

    size_t size = BaseHeaderSize + 2 + ExtraV3;
    // The 48K's 0x4000, 0x8000, 0xC000 as blocks 8, 4, 5; the 128K's pages 0-7 as 3-10.
    const int count = paged ? RamPageCount : 3;
    for (int k = 0; k < count; ++k) {
        const uint8_t* ram = paged ? RamPage(k) : m.memory + RomSize + k * PageSize;
        uint8_t* block = OutBuffer + size;
        size_t length = CompressPage(ram, block + 3);
        if (length) {
            PutWord(block, uint16_t(length));
        } else {
            PutWord(block, RawBlock);
            std::memcpy(block + 3, ram, PageSize);
            length = PageSize;
        }
        block[2] = paged ? uint8_t(3 + k) : uint8_t(k == 0 ? 8 : 3 + k);
        size += 3 + length;
    }
    return size;
}

bool SaveZ80Snapshot(const char* path) {
    FileReplacement file;
    if (!BeginFileReplacement(path, file)) return false;
    const size_t size = BuildZ80();
    return FinishFileReplacement(file, std::fwrite(OutBuffer, 1, size, file.file) == size);
}
