#include "media/tape.h"

#include <filesystem>
#include <system_error>

#include "core/machine.h"
#include "media/sampled_tape.h"
#include "peripherals/tape_input.h"

std::FILE* CurrentTape = nullptr;
uint8_t TapeKind = TapeImage;
uint32_t TapeLength = 0;

bool InsertTape(const char* path, uint8_t kind) {
    CloseTape();
    // Only a regular file is a tape: a folder opens for reading on some systems but never reads.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return false;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    CurrentTape = f;
    TapeKind = kind;
    TapeLength = size > UINT32_MAX ? UINT32_MAX : uint32_t(size);
    return true;
}

bool OpenTapeImage(const char* path) { return InsertTape(path, TapeImage); }

void CloseTape() {
    if (!CurrentTape) return;
    std::fclose(CurrentTape);
    CurrentTape = nullptr;
    TapePlaying = 0; // the EAR input reads the recording only while one is open
}

void RewindTape() {
    if (!CurrentTape) return;
    std::rewind(CurrentTape);
    if (TapeKind == SampledTape) TapeBlock = 2;
}

int TapePositionPermille() {
    if (!CurrentTape || TapeLength == 0) return 0;
    long p = std::ftell(CurrentTape);
    if (p < 0) return 0;
    double pos = uintmax_t(p) > TapeLength ? double(TapeLength) : double(p);
    return int(pos * 1000.0 / double(TapeLength));
}

// Set when a block ran past the end of the image: such a block never loads successfully,
// however its 0xFF fill happens to check out.
static bool TapeRanOut;

// Past the end of the image the tape reads as 0xFF for ever.
static uint8_t TapeByte() {
    int c = std::getc(CurrentTape);
    if (c != EOF) return uint8_t(c);
    TapeRanOut = true;
    return 0xFF;
}

// Skipping reads, so a skip past the end stops at the end.
static void SkipTape(uint32_t count) {
    while (count--)
        if (std::getc(CurrentTape) == EOF) {
            TapeRanOut = true;
            return;
        }
}

uint8_t TapeTrap(uint8_t flag, uint16_t start, uint16_t length) {
    if (!CurrentTape || TapeKind != TapeImage) return 0;
    // The ROM loader moved its carry into F': set for LOAD, clear for VERIFY.
    const bool verify = !(Machine.fAlt & FlagC);
    TapeRanOut = false;

    uint16_t blockLength = TapeByte();
    blockLength = uint16_t(blockLength | TapeByte() << 8);
    const uint16_t dataLength = uint16_t(blockLength - 2); // the flag and checksum are counted
    const uint8_t blockFlag = TapeByte();
    if (blockFlag != flag) {
        SkipTape(uint32_t(dataLength) + 1);
        return 0;
    }

    const uint16_t count = length <= dataLength ? length : dataLength;
    uint8_t check = blockFlag;
    bool same = true;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t b = TapeByte();
        const uint16_t addr = uint16_t(start + i);
        if (verify)
            same = same && Machine.memory[addr] == b;
        else
            Machine.memory[addr] = b; // loaders write straight into the image, ROM area included
        check ^= b;
    }
    bool ok;
    if (length <= dataLength) {
        SkipTape(uint32_t(dataLength - length));
        ok = TapeByte() == check;
    } else {
        TapeByte(); // the block ended early: its checksum is dropped
        ok = false;
    }
    Machine.ix = uint16_t(Machine.ix + count);
    Machine.SetDE(0);
    return ok && same && !TapeRanOut ? 1 : 0;
}
