// What every fuzz target shares: a machine switched on once and put back before each input, a
// byte-for-byte record of its state, a private temporary folder, and the invariant check.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/machine.h"
#include "engine/frame_sequence.h"
#include "engine/power_on.h"
#include "media/builtin_rom.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/ay_registers.h"
#include "peripherals/machine_model.h"
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

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `step` and checks that it took at most a second of CPU time. A frame is 20 ms of
// Spectrum time and takes about a millisecond even under the sanitizers: one that takes a second
// is caught in a loop that does not end with the frame, long before the fuzzer's own per-input
// limit would notice.
template <typename Step> void WithinASecond(Step step) {
    const double start = CpuSeconds();
    step();
    FUZZ_CHECK(CpuSeconds() - start < 1.0);
}

// One frame of the whole machine, timed.
inline void FuzzFrame() {
    WithinASecond([] { RunFrame(FrameTarget{}); });
}

// True when `addr` lies in the `length` bytes from `start`, counted round the 64 KB.
inline bool InRange(uint32_t addr, uint16_t start, uint16_t length) {
    return uint16_t(addr - start) < length;
}

// Everything a reader may change: the machine, the register file, the 64 KB the processor sees
// and the border colour; on the 128K machines also the eight RAM pages, the paging and the
// sound chip's registers.
struct MachineState {
    uint8_t record[sizeof(MachineRecord)];
    uint8_t memory[65536];
    uint8_t border;
    MachineKind machine;
    uint8_t paging;
    AyRegisterFile ay;
    uint8_t pages[RamPageCount][16384];
};

inline void TakeState(MachineState& s) {
    std::memcpy(s.record, &Machine, sizeof Machine);
    std::memcpy(s.memory, Machine.memory, sizeof s.memory);
    s.border = BorderLog.colour;
    s.machine = CurrentMachine;
    s.paging = PagingPort;
    s.ay = AyRegisters;
    if (IsPagedMachine())
        for (int page = 0; page < RamPageCount; ++page)
            std::memcpy(s.pages[page], RamPage(page), sizeof s.pages[page]);
}

// The state's machine comes back first: its memory and frame, its ROMs, its paging.
inline void PutState(const MachineState& s) {
    if (CurrentMachine != s.machine) {
        std::string why;
        FUZZ_CHECK(SelectMachineMemory(s.machine, why));
        LoadRom();
    }
    ResetPaging();
    WritePagingPort(s.paging);
    std::memcpy(&Machine, s.record, sizeof Machine);
    std::memcpy(Machine.memory, s.memory, sizeof s.memory);
    BorderLog.colour = s.border;
    AyRegisters = s.ay;
    if (IsPagedMachine())
        for (int page = 0; page < RamPageCount; ++page)
            std::memcpy(RamPage(page), s.pages[page], sizeof s.pages[page]);
}

inline bool SameState(const MachineState& s) {
    bool same = std::memcmp(s.record, &Machine, sizeof Machine) == 0 &&
                std::memcmp(s.memory, Machine.memory, sizeof s.memory) == 0 &&
                s.border == BorderLog.colour && s.machine == CurrentMachine;
    if (!same || !IsPagedMachine()) return same;
    for (int page = 0; page < RamPageCount; ++page)
        same = same && std::memcmp(s.pages[page], RamPage(page), sizeof s.pages[page]) == 0;
    return same && s.paging == PagingPort &&
           std::memcmp(&s.ay, &AyRegisters, sizeof AyRegisters) == 0;
}

// The ROM at 0 is the machine's own: the one before the load on the 48K, the built-in image
// of the ROM paged in on the 128K machines (no tape is in, so no trap either).
inline bool RomIsTheMachinesOwn(const MachineState& before) {
    if (!IsPagedMachine()) return std::memcmp(Machine.memory, before.memory, RomSize) == 0;
    const int rom = PagingPort & PagingRomBit ? 1 : 0;
    const uint8_t* image =
        CurrentMachine == MachineKind::Plus2 ? BuiltinPlus2Roms[rom] : Builtin128Roms[rom];
    return std::memcmp(Machine.memory, image, RomSize) == 0;
}

// The loader trap asked for a block as LOAD asks, the flag, start and length (low byte first)
// taken from the five bytes at `request`: it takes less than a second, changes memory only
// inside start..start+length, never below 0x4000, and nothing at all when it leaves the block
// to the ROM. Returns what the trap returned.
template <class Trap> inline uint8_t CheckTrapLoad(const uint8_t* request, Trap trap) {
    static MachineState before;
    const uint8_t flag = request[0];
    const uint16_t start = uint16_t(request[1] | request[2] << 8);
    const uint16_t length = uint16_t(request[3] | request[4] << 8);
    Machine.fAlt |= FlagC; // LOAD, not VERIFY
    TakeState(before);
    uint8_t result = 0;
    WithinASecond([&] { result = trap(flag, start, length); });
    FUZZ_CHECK(result == TrapLoaded || result == TrapFailed || result == TrapDeclined);
    for (uint32_t a = 0; a < 65536; ++a) {
        if (Machine.memory[a] == before.memory[a]) continue;
        FUZZ_CHECK(result != TrapDeclined);
        FUZZ_CHECK(a >= RomSize);
        FUZZ_CHECK(InRange(a, start, length));
    }
    return result;
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
