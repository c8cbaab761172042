// The machines: the 48K, and the 128K and +2 with their eight 16 KB RAM pages and two ROMs
// paged through port 0x7FFD. Each has its frame, its clock and its memory.
#pragma once
#include <cstdint>
#include <string>

enum class MachineKind : uint8_t { Spectrum48, Spectrum128, Plus2 };

extern MachineKind CurrentMachine;
extern uint8_t PagingPort; // the last value 0x7FFD took since reset; 0 on the 48K

// Port 0x7FFD.
constexpr uint8_t PagingRamBits = 0x07;   // the RAM page at 0xC000
constexpr uint8_t PagingScreenBit = 0x08; // the screen in page 7 instead of page 5
constexpr uint8_t PagingRomBit = 0x10;    // ROM 1 (48K BASIC) instead of ROM 0 (the editor)
constexpr uint8_t PagingLockBit = 0x20;   // no more paging until reset

constexpr int RamPageCount = 8;

// "48K", "128K" or "+2".
const char* MachineName(MachineKind kind);
inline bool IsPagedMachine() { return CurrentMachine != MachineKind::Spectrum48; }
// T-states a second: 3.5 MHz on the 48K, 3.5469 MHz on the 128K and the +2.
uint32_t MachineClockHz();

// Creates the 128K's pages the first time. False, with the reason in `why`, when the system
// cannot provide them: the paged machines are then unavailable.
bool PreparePagedMemory(std::string& why);
// Makes `kind` the machine running: its memory (the 128K's pages are created the first time),
// its frame length, and paging as at reset; what the memory holds is left to the caller. False,
// with the reason in `why`, when the pages cannot be created: the machine is then unchanged.
// The 48K's memory is the one Machine.memory held when this was first called.
bool SelectMachineMemory(MachineKind kind, std::string& why);
// A write to 0x7FFD. Ignored on the 48K and once bit 5 has locked the paging.
void WritePagingPort(uint8_t value);
// Paging at reset: ROM 0, page 0 at 0xC000, the screen in page 5, unlocked.
void ResetPaging();

// The paged machines' pages, 16 KB each: RAM 0-7, ROM 0-1. Null on the 48K.
uint8_t* RamPage(int page);
uint8_t* RomPage(int rom);
// The 6912 bytes of the screen the display shows: 0x4000 on the 48K, page 5 or 7 on the 128K.
const uint8_t* ScreenMemory();
// The 16 KB of 48K BASIC (ROM 1 on the 128K), whose character set the screen text reads.
const uint8_t* BasicRom();
