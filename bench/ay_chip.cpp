// The sound chip's share of a 128K frame: three tones synthesised at the chip's tick rate and
// resampled to 44100 Hz, frame after frame, as emulated time per wall time, in mono and in stereo.
// wendal-bench-ay-chip FRAMES mono|stereo: those frames only, printing nothing (for counting
// instructions).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "peripherals/ay_chip.h"
#include "peripherals/ay_sound.h"
#include "platform/wave_output.h"

constexpr uint32_t Frame128 = 70908;

static bool PlayChord(int frames, AyStereoMode mode) {
    static float out[WaveBlockFrames * WaveMaxChannels];
    if (!OpenAySound(mode == AyMono ? 1 : 2, Frame128)) return false;
    AyReset();
    const uint8_t chord[][2] = {{0, 212}, {2, 168}, {4, 141}, {7, 0x38},
                                {8, 15},  {9, 15},  {10, 15}};
    for (const auto& w : chord) AyLogWrite(w[0], w[1], 0);
    for (int f = 0; f < frames; ++f) AyFrameSound(Frame128, mode, out);
    CloseAySound();
    return true;
}

int main(int argc, char** argv) {
    if (argc == 3)
        return PlayChord(std::atoi(argv[1]), std::strcmp(argv[2], "mono") ? AyStereoAbc : AyMono)
                   ? 0
                   : 1;
    for (AyStereoMode mode : {AyMono, AyStereoAbc}) {
        const int frames = 5000;
        const auto start = std::chrono::steady_clock::now();
        if (!PlayChord(frames, mode)) {
            std::fprintf(stderr, "cannot make the resampler\n");
            return 1;
        }
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        std::printf("sound chip, three tones in %s: %.0f x real time\n",
                    mode == AyMono ? "mono" : "stereo", frames / 50.0 / wall.count());
    }
    return 0;
}
