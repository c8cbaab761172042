#include "peripherals/ay_sound.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>

#include "peripherals/ay_chip.h"
#include "platform/wave_output.h"

namespace {

// What each of the channels A, B and C gives the left and right outputs, in thirds: mono hears
// them alike; stereo puts the outer two on their sides and the middle one on both.
constexpr float Third = 1.0f / 3.0f;
constexpr AyMix Mono = {1, {{Third, Third, Third}}};
constexpr AyMix Stereo[3] = {
    {2, {{Third, Third, Third}, {Third, Third, Third}}}, // mono on both sides
    {2, {{2 * Third, Third, 0}, {0, Third, 2 * Third}}}, // ABC: A left, B middle, C right
    {2, {{2 * Third, 0, Third}, {0, 2 * Third, Third}}}, // ACB: A left, C middle, B right
};

// Output frames kept between the resampler and the frames: a frame's worth, the resampler's
// delay and the pieces it hands its output on in (up to 240 frames).
constexpr int FifoFrames = 4 * WaveBlockFrames;
constexpr int FifoMargin = 256;

soxr_t Resampler = nullptr;
int Channels = 1;
uint32_t Delay = 0;
float Panned[WaveMaxChannels * AyMaxTicksPerFrame];
float Fifo[WaveMaxChannels * FifoFrames];
int FifoCount = 0;       // frames in Fifo
int SilentFramesFed = 0; // frames of silence given to the resampler in a row
// Two frames of silence take every sound out of the resampler's filter: its output is then 0 and
// stays 0 for as long as the chip is silent, so it need not be asked.
constexpr int FramesToSettle = 2;

} // namespace

bool OpenAySound(int channels, uint32_t frameTStates) {
    CloseAySound();
    Channels = channels == 2 ? 2 : 1;
    const double tickRate = double(frameTStates) / AyTickTStates * WaveRate / WaveBlockFrames;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_MQ, 0); // for 16-bit output
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
    SilentFramesFed = 0;
    Delay = 0;
    return true;
}

void CloseAySound() {
    if (!Resampler) return;
    soxr_delete(Resampler);
    Resampler = nullptr;
}

void AyFrameSound(uint32_t frameTStates, AyStereoMode mode, float* out) {
    const AyMix& mix = Channels == 1 ? Mono : Stereo[mode <= AyStereoAcb ? mode : AyMono];
    const int ticks = AyRunFrame(frameTStates, mix, Panned);
    const bool silent =
        std::all_of(Panned, Panned + Channels * ticks, [](float v) { return v == 0.0f; });
    SilentFramesFed = silent ? SilentFramesFed + 1 : 0;
    // Without a resampler the chip is not heard. With one, once what it holds and the frames
    // queued behind it are all silence, the stream goes on from them later as if these frames
    // had been through it.
    if (!Resampler || (silent && SilentFramesFed > FramesToSettle)) {
        std::memset(out, 0, size_t(Channels * WaveBlockFrames) * sizeof *out);
        return;
    }
    size_t used = 0, made = 0;
    soxr_process(Resampler, Panned, size_t(ticks), &used, Fifo + Channels * FifoCount,
                 size_t(FifoFrames - FifoCount), &made);
    FifoCount += int(made);
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
