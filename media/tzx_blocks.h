// .tzx tapes: the header and the table of blocks, every length checked against the file before
// anything is read. This is the one place that knows how the blocks are laid out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The block IDs that are played or passed over. Any other ID ends the table.
enum TzxId : uint8_t {
    TzxStandardData = 0x10, // ROM timing: pause, length, then the bytes as in a TAP block
    TzxTurboData = 0x11,    // the same with its own pilot, sync and bit timings
    TzxPureTone = 0x12,     // one pulse length, repeated
    TzxPulseSequence = 0x13,
    TzxPureData = 0x14, // bits with their timings, no pilot or sync
    TzxDirectRecording = 0x15,
    TzxPause = 0x20, // 0 ms: stop the tape
    TzxGroupStart = 0x21,
    TzxGroupEnd = 0x22,
    TzxLoopStart = 0x24,
    TzxLoopEnd = 0x25,
    TzxStopIf48K = 0x2A,
    TzxSetLevel = 0x2B,
    TzxText = 0x30,
    TzxMessage = 0x31,
    TzxArchiveInfo = 0x32,
    TzxHardwareType = 0x33,
    TzxCustomInfo = 0x35,
    TzxGlue = 0x5A, // where two files were joined: a second header
};

struct TzxBlock {
    uint32_t body;   // file offset of the block's first byte after its ID
    uint32_t length; // bytes from `body` to the next block's ID
    uint8_t id;
    bool playable; // false for the table's last entry when its ID is one this reader lacks
};

constexpr size_t TzxHeaderSize = 10;            // "ZXTape!", 0x1A, major and minor version
constexpr size_t TzxLargest = size_t(64) << 20; // bytes; the longest known tapes are far smaller

// Checks the header and lists the blocks in file order. The list stops at the first block whose
// ID this reader does not play or pass over; that block is listed with `playable` false and its
// body's length unknown (0). False, with LastLoadError set, when the header is not a version 1
// header (NotTzx) or a block's lengths reach past the end of the file (Damaged).
bool ReadTzxBlocks(const uint8_t* data, size_t size, std::vector<TzxBlock>& blocks);
// A short name for a block ID, e.g. "turbo data"; "unknown" for IDs without a name.
const char* TzxBlockName(uint8_t id);

// Little-endian fields within a block that ReadTzxBlocks accepted.
inline uint32_t TzxWord(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
inline uint32_t TzxTriple(const uint8_t* p) { return TzxWord(p) | uint32_t(p[2]) << 16; }
inline uint32_t TzxDword(const uint8_t* p) { return TzxTriple(p) | uint32_t(p[3]) << 24; }
