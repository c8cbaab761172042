#include "media/rom.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/machine.h"
#include "media/builtin_rom.h"
#include "media/load_error.h"
#include "media/tape.h"
#include "peripherals/machine_model.h"

std::string ProgramFolder;
std::string RomPath;

static uint8_t RomFileBuffer[65536];

void SetProgramFolder(const std::string& folder) {
    ProgramFolder = folder;
    while (ProgramFolder.size() > 1 &&
           (ProgramFolder.back() == '/' || ProgramFolder.back() == '\\'))
        ProgramFolder.pop_back();
    RomPath = ProgramFolder.empty()
                  ? std::string()
                  : (std::filesystem::path(ProgramFolder) / "spectrum.rom").string();
}

// The file's bytes from address 0 upward, at most the 16 KB ROM area: a longer file would
// overwrite RAM, a loaded program included, at every reload. Only a regular file is read: a
// FIFO of that name would hold start-up for ever.
static bool LoadRomFile() {
    if (RomPath.empty()) return false;
    const LoadError before = LastLoadError; // a missing ROM file is not the user's file error
    std::FILE* f = OpenLoadableFile(RomPath.c_str());
    LastLoadError = before;
    if (!f) return false;
    const size_t got = std::fread(RomFileBuffer, 1, RomSize, f);
    const bool failed = std::ferror(f); // a folder of that name opens but cannot be read
    std::fclose(f);
    if (failed) return false;
    std::memcpy(Machine.memory, RomFileBuffer, got);
    return true;
}

static const uint8_t (*BuiltinRomsOf(MachineKind kind))[16384] {
    return kind == MachineKind::Plus2 ? BuiltinPlus2Roms : Builtin128Roms;
}

const char* MissingRomsOf(MachineKind kind) {
    switch (kind) {
    case MachineKind::Spectrum48: return "";
    case MachineKind::Spectrum128: return Builtin128RomsMissing;
    case MachineKind::Plus2: return BuiltinPlus2RomsMissing;
    }
    return "";
}

// The built-in pair, with the trap in ROM 1, where 48K BASIC's loader is.
static void LoadPagedRoms() {
    const uint8_t(*roms)[16384] = BuiltinRomsOf(CurrentMachine);
    std::memcpy(RomPage(0), roms[0], RomSize);
    std::memcpy(RomPage(1), roms[1], RomSize);
    if (CurrentTape && TapeKind != SampledTape) {
        RomPage(1)[TapeTrapAddress] = 0xED;
        RomPage(1)[TapeTrapAddress + 1] = 0xFF;
    }
}

bool LoadRom() {
    if (IsPagedMachine()) {
        LoadPagedRoms();
        return false;
    }
    if (LoadRomFile()) {
        // No trap to start a .tzx when the ROM's loader asks: it plays at once, as a recording.
        if (CurrentTape && TapeKind == TzxTape) PlayTape();
        return true;
    }
    std::memcpy(Machine.memory, BuiltinRom, sizeof BuiltinRom);
    if (CurrentTape && TapeKind != SampledTape) {
        Machine.memory[TapeTrapAddress] = 0xED;
        Machine.memory[TapeTrapAddress + 1] = 0xFF;
    }
    return false;
}

void FillMemoryAtPowerOn() {
    uint32_t state = 1;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return uint8_t(state >> 16); // the low byte of (state >> 16) & 0x7FFF
    };
    if (!IsPagedMachine()) {
        for (uint32_t k = 0; k < 65536; ++k) Machine.memory[k] = next();
        return;
    }
    for (int page = 0; page < RamPageCount; ++page)
        for (uint32_t k = 0; k < RomSize; ++k) RamPage(page)[k] = next();
}
