// The ROM in memory: the built-in image or "spectrum.rom" beside the program, the loader trap
// while a TAP image or a .tzx is open, and the power-on memory contents.
#pragma once
#include <cstdint>
#include <string>

// Where the ROM loader has its arguments in place and is about to wait for the tape: LD C,A and
// CP A, which no jump in the ROM lands on, so that a loader left to read the pulses itself never
// meets the trap's bytes again.
constexpr uint16_t TapeTrapAddress = 0x0569;

extern std::string ProgramFolder; // the program file's folder, without a trailing separator
extern std::string RomPath;       // ProgramFolder/spectrum.rom; empty until the folder is set

// Called once at start by the program with its executable's folder; builds RomPath.
void SetProgramFolder(const std::string& folder);

// On the 128K and the +2: their built-in ROM 0 and ROM 1, the trap in ROM 1 as below.
// On the 48K: puts a ROM into memory from address 0: "spectrum.rom" if it can be read (at most its
// first 16 KB, never patched), else the built-in 16 KB image, with ED FF at TapeTrapAddress while a
// TAP image or a .tzx is open. A .tzx under a ROM from the file is started, having no trap to start
// it. Returns true when the ROM came from the file.
bool LoadRom();
// Power-on memory: 64 KB (the 128K's eight RAM pages) of a linear congruential sequence, the
// same every start.
void FillMemoryAtPowerOn();
// Why the machine's built-in ROMs are missing, or "" when it has them.
enum class MachineKind : uint8_t;
const char* MissingRomsOf(MachineKind kind);
