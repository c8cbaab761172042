// .sna snapshots: the 48K machine's registers, interrupt state, border and RAM in 49179 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t SnapshotHeaderSize = 27;
constexpr uint32_t SnapshotRamSize = 49152; // 0x4000-0xFFFF; the ROM is never stored
constexpr uint32_t SnapshotSize = SnapshotHeaderSize + SnapshotRamSize;

// Reads a snapshot into the Machine and BorderLog.colour. PC comes off the loaded stack.
// A file that cannot be read whole changes nothing; bytes past 49179 are ignored. The file,
// opened by the caller, stays open. LastLoadError says why a load failed.
bool LoadSnapshot(std::FILE* file);
// The same from bytes in memory: fewer than SnapshotSize change nothing (LoadError::TooShort).
bool LoadSnapshotBytes(const uint8_t* data, size_t size);
// Writes the Machine to the file, PC pushed onto its stack first (those two bytes stay in
// memory below SP). An existing file is replaced only once the new one is complete; on any
// failure it is left as it was. PC and SP are the same afterwards whatever happens.
bool SaveSnapshot(const char* path);
