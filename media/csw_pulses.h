// CSW recordings: pulses stored as run lengths of a sampled square wave, in .csw files and in
// .tzx CSW blocks. One stream is read at a time, as the tape plays; Z-RLE data is inflated by
// zlib a few kilobytes at a time, so that a recording of hours never sits in memory.
#pragma once
#include <cstddef>
#include <cstdint>

// What a .csw file's header says.
struct CswHeader {
    uint32_t rate;   // samples a second
    bool zrle;       // the run lengths are deflated (version 2 only)
    uint8_t level;   // the first pulse's level
    uint32_t dataAt; // offset of the first run length
};
constexpr size_t CswLargest = size_t(64) << 20; // bytes, as for a .tzx

// Checks a .csw header (versions 1.00, 1.01 and 2.0, RLE or Z-RLE). False, with LastLoadError
// set, when it is not one (NotCsw), is over CswLargest (TooLarge) or is cut short or names a rate
// of 0 or another compression (Damaged).
bool ReadCswHeader(const uint8_t* data, size_t size, CswHeader& header);

// Starts reading the run lengths in `size` bytes at `data`, which stay where they are.
void CswStart(const uint8_t* data, size_t size, bool zrle);
// The next pulse's length in samples. False at the end of the data, or when Z-RLE data is
// damaged (CswFailed then says so).
bool CswNextPulse(uint32_t& samples);
bool CswFailed();
// Bytes of the data read so far.
size_t CswOffset();
