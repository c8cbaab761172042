// .sna snapshots: the 48K machine's registers, interrupt state, border and RAM in 49179 bytes;
// the 128K's add PC, the 0x7FFD byte, the TR-DOS byte and the pages not at 0x4000-0xFFFF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t SnapshotHeaderSize = 27;
constexpr uint32_t SnapshotRamSize = 49152; // 0x4000-0xFFFF; the ROM is never stored
constexpr uint32_t SnapshotSize = SnapshotHeaderSize + SnapshotRamSize;
// A 128K snapshot holds the five pages besides 5, 2 and the one at 0xC000, or six when that
// one is 5 or 2.
constexpr uint32_t Snapshot128Size = SnapshotSize + 4 + 5 * 16384; // 131103
constexpr uint32_t Snapshot128LongSize = Snapshot128Size + 16384;  // 147487

// Reads a snapshot into the Machine and BorderLog.colour. A file of exactly 131103 or 147487
// bytes is a 128K one (the +2 running stays the +2, any other machine becomes the 128K); any
// other of 49179 bytes or more is a 48K one, whose bytes past 49179 are ignored and whose PC
// comes off the loaded stack. A file that cannot be read whole, or a 128K one whose size does
// not match its paging or that needs the TR-DOS ROM, changes nothing. The file, opened by the
// caller, stays open. LastLoadError says why a load failed.
bool LoadSnapshot(std::FILE* file);
// The same from bytes in memory: fewer than SnapshotSize change nothing (LoadError::TooShort).
bool LoadSnapshotBytes(const uint8_t* data, size_t size);
// Writes the Machine to the file. On the 48K PC is pushed onto its stack first (those two bytes
// stay in memory below SP); the 128K's format holds PC itself. An existing file is replaced only
// once the new one is complete; on any failure it is left as it was. PC and SP are the same
// afterwards whatever happens.
bool SaveSnapshot(const char* path);
