// How fast the frame loop runs, as emulated time per wall time. Real time is 50 frames of
// 69888 T-states a second, so "500 x" means a 1.75 GHz emulated Z80.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/machine.h"
#include "engine/power_on.h"
#include "media/snapshot.h"
#include "peripherals/ports.h"

static void RunFrame() {
    FrameLoop();
    FrameEnd();
    BeeperLog.count = 0;
}

static double TimesRealTime(int frames) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) RunFrame();
    std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return frames / 50.0 / wall.count();
}

static void BootBuiltinRom() {
    PowerOnMachine();
    for (int i = 0; i < 200; ++i) RunFrame(); // past the memory test to the start-up screen
}

static bool LoadWorkload(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return false;
    if (code.empty() || code.size() > 0x7000) return false;
    BootBuiltinRom();
    std::memcpy(Machine.memory + 0x8000, code.data(), code.size());
    Machine.pc = 0x8000;
    Machine.interruptState &= ModeBits; // the workload runs with interrupts off
    return true;
}

// wendal-bench-core [FRAMES] [rom|workload]: both workloads unless one is named (for profiling).
// wendal-bench-core --save-workload FILE: the workload as a snapshot, for the runner's speed.
int main(int argc, char** argv) {
    const char* workload = WENDAL_BENCH_BINARY_DIR "/workload.bin";
    if (argc == 3 && std::strcmp(argv[1], "--save-workload") == 0) {
        if (LoadWorkload(workload) && SaveSnapshot(argv[2])) return 0;
        std::fprintf(stderr, "cannot write the workload snapshot %s\n", argv[2]);
        return 1;
    }
    int frames = argc > 1 ? std::atoi(argv[1]) : 5000;
    const char* only = argc > 2 ? argv[2] : "";
    if (std::strcmp(only, "workload") != 0) {
        BootBuiltinRom();
        std::printf("rom start-up screen: %8.1f x real time\n", TimesRealTime(frames));
    }
    if (std::strcmp(only, "rom") == 0) return 0;
    if (!LoadWorkload(workload)) {
        std::fprintf(stderr, "cannot read %s\n", workload);
        return 1;
    }
    std::printf("cpu-heavy workload:  %8.1f x real time\n", TimesRealTime(frames));
    return 0;
}
