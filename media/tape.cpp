#include "media/tape.h"

#include "core/machine.h"
#include "media/load_error.h"
#include "media/sampled_tape.h"
#include "media/tzx_player.h"
#include "peripherals/tape_input.h"

std::FILE* CurrentTape = nullptr;
uint8_t TapeKind = TapeImage;
uint32_t TapeLength = 0;

bool InsertTape(std::FILE* file, uint8_t kind) {
    CloseTape();
    // The length by seeking to the end: the same for a file on disk and for bytes in memory.
    const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        LastLoadError = LoadError::Unreadable;
        return false;
    }
    CurrentTape = file;
    TapeKind = kind;
    TapeLength = uint64_t(size) > UINT32_MAX ? UINT32_MAX : uint32_t(size);
    return true;
}

bool OpenTapeImage(std::FILE* file) { return InsertTape(file, TapeImage); }

void CloseTape() {
    if (!CurrentTape) return;
    std::fclose(CurrentTape);
    CurrentTape = nullptr;
    TapePlaying = 0; // the EAR input reads the recording only while one is open
    if (TapeKind == TzxTape) ForgetTzx();
}

void RewindTape() {
    if (!CurrentTape) return;
    std::rewind(CurrentTape);
    if (TapeKind == SampledTape) TapeBlock = 2;
    if (TapeKind == TzxTape) RewindTzx();
}

bool TapePlaysInRealTime() { return CurrentTape && TapeKind != TapeImage; }

void PlayTape() {
    if (!TapePlaysInRealTime()) return;
    if (TapeKind == TzxTape)
        PlayTzx();
    else
        TapePlaying = 1;
}

void StopTape() {
    if (TapeKind == TzxTape) StopTzx();
    TapePlaying = 0;
}

void RetimeTape() {
    if (!CurrentTape) return;
    if (TapeKind == SampledTape) SetTapeRate();
    if (TapeKind == TzxTape) TStatesPerSample = SoundSampleTStates();
}

void TapeFrameStep() {
    if (!CurrentTape) return;
    if (TapeKind == SampledTape) SampledTapeFrameStep();
    if (TapeKind == TzxTape) TzxFrameStep();
}

int TapePositionPermille() {
    if (CurrentTape && TapeKind == TzxTape) return TzxPositionPermille();
    if (!CurrentTape || TapeLength == 0) return 0;
    long p = std::ftell(CurrentTape);
    if (p < 0) return 0;
    double pos = uintmax_t(p) > TapeLength ? double(TapeLength) : double(p);
    return int(pos * 1000.0 / double(TapeLength));
}

namespace {

// A bounds-checked reader over the tape's bytes: past the end every byte reads as 0xFF, and a
// skip past the end stops at the end. Either marks the block as run out: such a block never
// loads successfully, however its 0xFF fill happens to check out.
struct TapeCursor {
    const uint8_t* data;
    size_t size;
    size_t at; // never beyond size
    bool ranOut;
    uint8_t Byte() {
        if (at < size) return data[at++];
        ranOut = true;
        return 0xFF;
    }
    void Skip(size_t count) {
        if (count <= size - at) {
            at += count;
            return;
        }
        at = size;
        ranOut = true;
    }
};

// One block as it lies on the tape: the length word, then as many bytes as it counts.
uint8_t TapBlockBuffer[2 + 0xFFFF];

} // namespace

uint8_t TapeTrapBytes(const uint8_t* tape, size_t size, size_t& position, uint8_t flag,
                      uint16_t start, uint16_t length) {
    // The ROM loader moved its carry into F': set for LOAD, clear for VERIFY.
    const bool verify = !(Machine.fAlt & FlagC);
    TapeCursor t{tape, tape ? size : 0, 0, false};
    t.at = position < t.size ? position : t.size;

    uint16_t blockLength = t.Byte();
    blockLength = uint16_t(blockLength | t.Byte() << 8);
    if (blockLength < 2) {
        // Too short to hold a flag and a checksum: passed over by itself, so that the block
        // after it is still there for the next call.
        t.Skip(blockLength);
        position = t.at;
        return 0;
    }
    const uint16_t dataLength = uint16_t(blockLength - 2); // the flag and checksum are counted
    const uint8_t blockFlag = t.Byte();
    if (blockFlag != flag) {
        t.Skip(uint32_t(dataLength) + 1);
        position = t.at;
        return 0;
    }

    const uint16_t count = length <= dataLength ? length : dataLength;
    uint8_t check = blockFlag;
    bool same = true;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t b = t.Byte();
        const uint16_t addr = uint16_t(start + i);
        if (verify)
            same = same && Machine.memory[addr] == b;
        else
            WriteByte(addr, b); // below 0x4000 discarded, as the ROM loader's own stores are
        check ^= b;
    }
    bool ok;
    if (length <= dataLength) {
        t.Skip(uint32_t(dataLength - length));
        ok = t.Byte() == check;
    } else {
        t.Byte(); // the block ended early: its checksum is dropped
        ok = false;
    }
    Machine.ix = uint16_t(Machine.ix + count);
    Machine.SetDE(0);
    position = t.at;
    return ok && same && !t.ranOut ? 1 : 0;
}

uint8_t TapeTrap(uint8_t flag, uint16_t start, uint16_t length) {
    if (CurrentTape && TapeKind == TzxTape) return TzxTrap(flag, start, length);
    if (!CurrentTape || TapeKind != TapeImage) return TrapFailed;
    // The file position is the tape position: read exactly the next block, however long it
    // says it is, and let the byte reader walk it.
    size_t got = std::fread(TapBlockBuffer, 1, 2, CurrentTape);
    if (got == 2) {
        const size_t counted = size_t(TapBlockBuffer[0] | TapBlockBuffer[1] << 8);
        got += std::fread(TapBlockBuffer + 2, 1, counted, CurrentTape);
    }
    size_t position = 0;
    return TapeTrapBytes(TapBlockBuffer, got, position, flag, start, length);
}
