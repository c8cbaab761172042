// What every fuzz target shares: a machine switched on once and put back before each input, a
// byte-for-byte record of its state, a private temporary folder, and the invariant check.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/machine.h"
#include "engine/frame_sequence.h"
#include "engine/power_on.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/ports.h"
#include "platform/headless/headless.h"

// A broken invariant is a finding: the fuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__,           \
                         __LINE__);                                                                \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (0)

// True when `addr` lies in the `length` bytes from `start`, counted round the 64 KB.
inline bool InRange(uint32_t addr, uint16_t start, uint16_t length) {
    return uint16_t(addr - start) < length;
}

// Everything a reader may change: the register file, the 64 KB and the border colour.
struct MachineState {
    uint8_t record[sizeof(MachineRecord)];
    uint8_t memory[65536];
    uint8_t border;
};

inline void TakeState(MachineState& s) {
    std::memcpy(s.record, &Machine, sizeof Machine);
    std::memcpy(s.memory, Machine.memory, sizeof s.memory);
    s.border = BorderLog.colour;
}

inline void PutState(const MachineState& s) {
    std::memcpy(&Machine, s.record, sizeof Machine);
    std::memcpy(Machine.memory, s.memory, sizeof s.memory);
    BorderLog.colour = s.border;
}

inline bool SameState(const MachineState& s) {
    return std::memcmp(s.record, &Machine, sizeof Machine) == 0 &&
           std::memcmp(s.memory, Machine.memory, sizeof s.memory) == 0 &&
           s.border == BorderLog.colour;
}

// The machine every input starts from: the built-in ROM (no "spectrum.rom" is looked for),
// run for `frames` frames from power-on, no keys down, the recorder empty.
inline const MachineState& StartState(int frames) {
    static MachineState* start = nullptr;
    if (!start) {
        SetProgramFolder("");
        HeadlessReleaseAllKeys();
        PowerOnMachine();
        for (int i = 0; i < frames; ++i) RunFrame(FrameTarget{});
        start = new MachineState;
        TakeState(*start);
    }
    return *start;
}

// A folder of this process's own under the system's temporary folder, removed at exit.
inline const std::string& TempFolder() {
    static std::string folder;
    if (folder.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wendal-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
    }
    return folder;
}

// Writes the bytes to `name` in the temporary folder and returns its path.
inline std::string WriteTempFile(const std::string& name, const uint8_t* data, size_t size) {
    std::string path = TempFolder() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
    return path;
}
