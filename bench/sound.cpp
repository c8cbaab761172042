// What sound costs: the sound chip alone (three tones synthesised at its tick rate and resampled
// to 44100 Hz), and whole frames (the CPU-heavy workload, the sound and the picture, as the runner
// makes them) on the 48K without and with its sound, and on the 128K with the chip playing three
// tones, as emulated time per wall time.
// wendal-bench-sound FRAMES MODE: those frames of one mode only, printing nothing (for counting
// instructions); MODE is chip-mono, chip-stereo, 48k, 48k-sound, 128k-mono or 128k-stereo.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/machine.h"
#include "engine/engine.h"
#include "peripherals/ay_chip.h"
#include "peripherals/ay_sound.h"
#include "peripherals/ports.h"
#include "platform/headless/headless.h"
#include "platform/wave_output.h"

namespace {

// C5, E5 and G5 on channels A, B and C at full volume, tones only: register, value.
constexpr uint8_t Chord[][2] = {{0, 212}, {2, 168}, {4, 141}, {7, 0x38},
                                {8, 15},  {9, 15},  {10, 15}};

struct Mode {
    const char* name;
    bool wholeFrame;
    SpectrumModel model;
    bool sound;
    AyStereoMode stereo;
};
constexpr Mode Modes[] = {
    {"chip-mono", false, SpectrumModel::Spectrum128, true, AyMono},
    {"chip-stereo", false, SpectrumModel::Spectrum128, true, AyStereoAbc},
    {"48k", true, SpectrumModel::Spectrum48, false, AyMono},
    {"48k-sound", true, SpectrumModel::Spectrum48, true, AyMono},
    {"128k-mono", true, SpectrumModel::Spectrum128, true, AyMono},
    {"128k-stereo", true, SpectrumModel::Spectrum128, true, AyStereoAbc},
};

constexpr int Width = 320, Height = 240; // the runner's 32-bit picture
alignas(4) uint8_t Pixels[Width * Height * 4];
const FrameTarget Target{PictureWriter(32, PictureSize::Single), Pixels, Width * 4};

// The chip alone, fed the chord at the start.
bool PlayChord(int frames, AyStereoMode stereo) {
    static float out[WaveBlockFrames * WaveMaxChannels];
    if (!OpenAySound(stereo == AyMono ? 1 : 2, FrameTStates128)) return false;
    AyReset();
    for (const auto& w : Chord) AyLogWrite(w[0], w[1], 0);
    for (int f = 0; f < frames; ++f) AyFrameSound(FrameTStates128, stereo, out);
    CloseAySound();
    return true;
}

// The model started as the runner starts it, past its ROM's start-up, then the workload running
// with interrupts off and, on the 128K, the chord playing.
bool StartWorkload(const Mode& m) {
    std::ifstream in(WENDAL_BENCH_BINARY_DIR "/workload.bin", std::ios::binary);
    const std::vector<char> code((std::istreambuf_iterator<char>(in)), {});
    if (code.empty() || code.size() > 0x7000) return false;
    HeadlessWaveRecordTo(nullptr);
    SetEngineSetting(EngineSetting::AyStereo, m.stereo);
    const MachineStarted started = StartMachine("", m.sound, m.model);
    if (!started.unavailable.empty() || started.soundOpen != m.sound) return false;
    SetPixelFormat(PixelFormat{32, 0, 0xFF0000, 0x00FF00, 0x0000FF});
    for (int i = 0; i < 200; ++i) RunFrame(Target);
    std::memcpy(Machine.memory + 0x8000, code.data(), code.size());
    Machine.pc = 0x8000;
    Machine.interruptState &= ModeBits;
    if (m.model != SpectrumModel::Spectrum48)
        for (const auto& w : Chord) PortWrite(0xFFFD, w[0]), PortWrite(0xBFFD, w[1]);
    return true;
}

bool Run(const Mode& m, int frames) {
    if (!m.wholeFrame) return PlayChord(frames, m.stereo);
    if (!StartWorkload(m)) return false;
    for (int f = 0; f < frames; ++f) RunFrame(Target);
    StopMachine();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        for (const Mode& m : Modes)
            if (!std::strcmp(argv[2], m.name)) return Run(m, std::atoi(argv[1])) ? 0 : 1;
        std::fprintf(stderr, "unknown mode %s\n", argv[2]);
        return 2;
    }
    for (const Mode& m : Modes) {
        const int frames = 3000;
        const auto start = std::chrono::steady_clock::now();
        if (!Run(m, frames)) {
            std::fprintf(stderr, "%s: cannot start\n", m.name);
            return 1;
        }
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        std::printf("sound, %-12s %8.1f x real time\n", m.name, frames / 50.0 / wall.count());
    }
    return 0;
}
