#include "peripherals/ay_sound.h"

#include <soxr.h>

#include <cstring>

#include "peripherals/ay_chip.h"
#include "platform/wave_output.h"

uint8_t AyFitted = 0;

namespace {

// What each of the channels A, B and C gives the left and right outputs, in thirds: mono hears
// them alike; stereo puts the outer two on their sides and the middle one on both.
struct Pan {
    float left[3], right[3];
};
constexpr Pan Pans[3] = {
    {{1, 1, 1}, {1, 1, 1}}, // mono
    {{2, 1, 0}, {0, 1, 2}}, // ABC: A left, B middle, C right
    {{2, 0, 1}, {0, 2, 1}}, // ACB: A left, C middle, B right
};

// Output frames kept between the resampler and the frames: a frame's worth, the resampler's
// delay and the pieces it hands its output on in (up to 240 frames).
constexpr int FifoFrames = 4 * WaveBlockFrames;
constexpr int FifoMargin = 256;

soxr_t Resampler = nullptr;
int Channels = 1;
uint32_t Delay = 0;
float Ticks[3 * AyMaxTicksPerFrame];
float Panned[WaveMaxChannels * AyMaxTicksPerFrame];
float Fifo[WaveMaxChannels * FifoFrames];
int FifoCount = 0; // frames in Fifo

void PanTicks(int ticks, AyStereoMode mode) {
    const Pan& pan = Pans[mode <= AyStereoAcb ? mode : AyMono];
    const float third = 1.0f / 3.0f;
    for (int k = 0; k < ticks; ++k) {
        const float* abc = Ticks + 3 * k;
        float* out = Panned + Channels * k;
        out[0] = (pan.left[0] * abc[0] + pan.left[1] * abc[1] + pan.left[2] * abc[2]) * third;
        if (Channels == 2)
            out[1] =
                (pan.right[0] * abc[0] + pan.right[1] * abc[1] + pan.right[2] * abc[2]) * third;
    }
}

} // namespace

bool OpenAySound(int channels, uint32_t frameTStates) {
    CloseAySound();
    Channels = channels == 2 ? 2 : 1;
    const double tickRate = double(frameTStates) / AyTickTStates * WaveRate / WaveBlockFrames;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_MQ, 0); // for a 16-bit output
    // Transforms of at most 1024 points: the resampler hands its output on in pieces of about
    // 240 frames rather than 650, which keeps the chip's delay behind the speaker near 10 ms.
    soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    runtime.log2_large_dft_size = 10;
    Resampler =
        soxr_create(tickRate, WaveRate, unsigned(Channels), &error, &io, &quality, &runtime);
    if (error) {
        soxr_delete(Resampler);
        Resampler = nullptr;
        return false;
    }
    FifoCount = 0;
    Delay = 0;
    return true;
}

void CloseAySound() {
    if (!Resampler) return;
    soxr_delete(Resampler);
    Resampler = nullptr;
}

void AyFrameSound(uint32_t frameTStates, AyStereoMode mode, float* out) {
    const int ticks = AyRunFrame(frameTStates, Ticks);
    if (Resampler) {
        PanTicks(ticks, mode);
        size_t used = 0, made = 0;
        soxr_process(Resampler, Panned, size_t(ticks), &used, Fifo + Channels * FifoCount,
                     size_t(FifoFrames - FifoCount), &made);
        FifoCount += int(made);
    }
    // The stream's start: silence ahead of the resampler's first output, and room for the
    // pieces it hands on to come early or late.
    if (FifoCount < WaveBlockFrames) {
        const int lead = WaveBlockFrames + FifoMargin - FifoCount;
        std::memmove(Fifo + Channels * lead, Fifo, size_t(Channels * FifoCount) * sizeof *Fifo);
        std::memset(Fifo, 0, size_t(Channels * lead) * sizeof *Fifo);
        FifoCount += lead;
        Delay += uint32_t(lead);
    }
    std::memcpy(out, Fifo, size_t(Channels * WaveBlockFrames) * sizeof *Fifo);
    FifoCount -= WaveBlockFrames;
    std::memmove(Fifo, Fifo + Channels * WaveBlockFrames,
                 size_t(Channels * FifoCount) * sizeof *Fifo);
}

uint32_t AySoundDelay() { return Delay; }
