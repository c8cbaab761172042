// .pzx tapes: a PZXT header block, then blocks of a four-letter tag, a 32-bit size and a body.
// Pulses are levels held for T-states (PULS), bits spelt as pulse sequences (DATA), pauses at a
// level (PAUS), browse points (BRWS) and stops (STOP); other tags are passed over by their size.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t PzxLargest = size_t(64) << 20; // bytes, as for a .tzx
constexpr uint32_t PzxBlockHeader = 8;          // the tag and the size

// A tag as the 32-bit little-endian word its four letters make.
constexpr uint32_t PzxTag(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

// Checks that the file opens with a PZXT block of major version 1 and that every block, and a
// DATA block's tables and bits, lie within the file. False, with LastLoadError set, otherwise
// (NotPzx, TooLarge or Damaged).
bool ReadPzxBlocks(const uint8_t* data, size_t size);

// The fields of a DATA block's body.
struct PzxData {
    uint32_t bits; // bits to play
    uint8_t level; // the first pulse's level
    uint32_t tail; // T-states of the pulse after the last bit, 0 for none
    uint8_t zeroPulses, onePulses;
    uint32_t zeroAt, oneAt, bitsAt; // offsets within the body
};
PzxData PzxDataFields(const uint8_t* body);
