// .z80 snapshots of the 48K, the 128K and the +2: read in versions 1 (48K), 2 and 3, compressed
// or not; written as version 3 with compressed memory blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// Larger files are refused unread (LoadError::TooLarge): a 48K snapshot is about 49 KB, a
// 128K one with every page uncompressed about 130 KB.
constexpr size_t Z80MaxFileSize = 256 * 1024;

// Reads a .z80 file into the Machine and BorderLog.colour, switching to the machine it was made
// for (the 128K's and +2's paging and sound chip registers with it); halted is cleared, and
// tstates is the file's place in the frame (version 3) or kept (versions 1 and 2, which have
// none). The file, opened by the caller and left open, is read whole before anything is stored.
bool LoadZ80Snapshot(std::FILE* file);
// The same from bytes in memory. A damaged or cut-short file (LoadError::Damaged), one without
// every RAM page of its machine (Damaged), one made for another machine (OtherMachine: 16K,
// SamRam, +3) or for one this program was built without (MachineUnavailable) changes nothing.
bool LoadZ80Bytes(const uint8_t* data, size_t size);
// Writes the Machine as a version 3 file for the machine running (hardware 0 the 48K, 4 the
// 128K, 12 the +2). The machine is not changed (PC is in the header); an existing file is
// replaced only once the new one is complete.
bool SaveZ80Snapshot(const char* path);
