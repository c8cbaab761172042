// .tzx tapes: the header and the blocks, every length checked against the file before anything
// is read. This is the one place that knows how the blocks are laid out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The block IDs that are played or acted on; any other ID is passed over by its length.
enum TzxId : uint8_t {
    TzxStandardData = 0x10, // ROM timing: pause, length, then the bytes as in a TAP block
    TzxTurboData = 0x11,    // the same with its own pilot, sync and bit timings
    TzxPureTone = 0x12,     // one pulse length, repeated
    TzxPulseSequence = 0x13,
    TzxPureData = 0x14, // bits with their timings, no pilot or sync
    TzxDirectRecording = 0x15,
    TzxCswRecording = 0x18, // pulses as a CSW recording's run lengths (media/csw_pulses.h)
    TzxGeneralized = 0x19,  // symbols of pulses: a pilot/sync stream and a data stream
    TzxPause = 0x20,        // 0 ms: stop the tape
    TzxGroupStart = 0x21,
    TzxGroupEnd = 0x22,
    TzxJump = 0x23, // to a block counted from this one
    TzxLoopStart = 0x24,
    TzxLoopEnd = 0x25,
    TzxCallSequence = 0x26, // plays each listed block on to a return block, then goes on
    TzxReturn = 0x27,
    TzxSelect = 0x28, // a menu of places on the tape: the first is taken
    TzxStopIf48K = 0x2A,
    TzxSetLevel = 0x2B,
    TzxText = 0x30,
    TzxMessage = 0x31,
    TzxArchiveInfo = 0x32,
    TzxHardwareType = 0x33,
    TzxCustomInfo = 0x35,
    TzxGlue = 0x5A, // where two files were joined: a second header
};

constexpr size_t TzxHeaderSize = 10;            // "ZXTape!", 0x1A, major and minor version
constexpr size_t TzxLargest = size_t(64) << 20; // bytes; the longest known tapes are far smaller

// Where the blocks lie, kept small: the offset of every 16th block's ID, so that memory stays a
// fraction of the file's however short its blocks are.
struct TzxIndex {
    std::vector<uint32_t> marks; // marks[k]: offset of block 16k's ID
    uint32_t count = 0;          // blocks on the tape
};
constexpr uint32_t TzxMarkEvery = 16;

// Checks the header and every block's lengths, and indexes the blocks. False, with
// LastLoadError set, when the header is not a version 1 header (NotTzx), the file is over
// TzxLargest (TooLarge), or a block's lengths reach past the end of the file or its own tables
// do not fit in it (Damaged).
bool ReadTzxBlocks(const uint8_t* data, size_t size, TzxIndex& index);
// Bytes from the ID at `at` to the next block's ID, for a block ReadTzxBlocks accepted.
uint32_t TzxBlockSize(const uint8_t* data, uint32_t at);
// The offset of block `n`'s ID (the file's end for n == index.count).
uint32_t TzxBlockOffset(const TzxIndex& index, const uint8_t* data, size_t size, uint32_t n);
// A short name for a block ID, e.g. "turbo data"; "unknown" for IDs without a name.
const char* TzxBlockName(uint8_t id);

// Little-endian fields within a block that ReadTzxBlocks accepted.
inline uint32_t TzxWord(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
inline uint32_t TzxTriple(const uint8_t* p) { return TzxWord(p) | uint32_t(p[2]) << 16; }
inline uint32_t TzxDword(const uint8_t* p) { return TzxTriple(p) | uint32_t(p[3]) << 24; }

// The layout of a generalized data block's tables, from the body after its length field.
struct TzxGeneralizedLayout {
    uint32_t pilotSymbols, dataSymbols;   // TOTP, TOTD: symbols in each stream
    uint32_t pilotMax, dataMax;           // NPP, NPD: pulses in each table's symbols
    uint32_t pilotAlphabet, dataAlphabet; // ASP, ASD: symbols in each table (1 to 256)
    uint32_t pilotTable, pilotStream;     // offsets within the body
    uint32_t dataTable, dataStream, bitsPerSymbol;
    uint64_t end; // bytes the tables and streams take
};
// Reads the layout of a generalized data block whose body (after the length) has `size` bytes.
TzxGeneralizedLayout TzxGeneralizedTables(const uint8_t* body);
