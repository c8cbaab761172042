// The sound chip as the output hears it: through the resampler into the 44100 Hz blocks, mixed
// with the speaker, in mono or stereo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/machine.h"
#include "peripherals/ay_chip.h"
#include "peripherals/ay_sound.h"
#include "peripherals/beeper.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/headless/headless.h"
#include "platform/wave_output.h"
#include "tests/rom_harness.h"
#include "tests/sound_spectrum.h"

namespace {

// The chip's clock as the output hears it: half the T-states of the frames that make its 50
// blocks of sound a second.
const double HeardClock = double(FrameTStates128) * 50.0 / 2.0;

struct Stereo {
    std::vector<double> left, right;
};

class AySound : public ::testing::Test {
  protected:
    MachineSwitch machine{MachineKind::Spectrum128};
    void SetUp() override {
        SKIP_WITHOUT(machine);
        Open(AyMono);
    }
    void TearDown() override {
        CloseSound();
        AyReset();
        BeeperLog.count = 0;
        SpeakerLevel = 0;
        Settings = SettingsRecord{};
    }
    static void Open(AyStereoMode mode) {
        CloseSound();
        Settings = SettingsRecord{};
        Settings.ayStereo = mode;
        HeadlessWaveRecordTo(nullptr);
        HeadlessWaveHold(false);
        AyReset();
        SpeakerLevel = 0;
        BeeperLog.count = 0;
        ASSERT_TRUE(OpenSound());
    }
    static void Write(uint8_t reg, uint8_t value, uint32_t tstate = 0) {
        AyLogWrite(reg, value, tstate);
    }
    // Plays `frames` frames and returns their samples.
    static Stereo Play(int frames) {
        Stereo out;
        const int channels = HeadlessWaveChannels();
        for (int f = 0; f < frames; ++f) {
            PlayFrameSound();
            BeeperLog.count = 0;
            const int16_t* block = HeadlessWaveLastBlock();
            for (int k = 0; k < WaveBlockFrames; ++k) {
                out.left.push_back(block[k * channels]);
                out.right.push_back(block[k * channels + channels - 1]);
            }
        }
        return out;
    }
};

double Mean(const std::vector<double>& s, size_t from) {
    double sum = 0;
    for (size_t i = from; i < s.size(); ++i) sum += s[i];
    return sum / double(s.size() - from);
}

// Root mean square about the mean: how much the sound moves.
double Swing(const std::vector<double>& s, size_t from) {
    const double mean = Mean(s, from);
    double sum = 0;
    for (size_t i = from; i < s.size(); ++i) sum += (s[i] - mean) * (s[i] - mean);
    return std::sqrt(sum / double(s.size() - from));
}

TEST_F(AySound, ATonesPitchIsHeardFromItsPeriod) {
    for (uint32_t period : {63u, 252u, 1000u}) {
        Open(AyMono);
        Write(0, uint8_t(period)), Write(1, uint8_t(period >> 8));
        Write(AyMixer, 0x3E);
        Write(AyVolumeA, 15);
        Play(1);
        const uint32_t delay = AySoundDelay();
        const Stereo out = Play(100);
        EXPECT_EQ(AySoundDelay(), delay) << "the stream ran dry";
        const std::vector<SpectrumPeak> peaks = StrongestTones(out.left, WaveRate, 1);
        ASSERT_EQ(peaks.size(), 1u);
        const double expected = HeardClock / (16.0 * period);
        EXPECT_NEAR(peaks[0].hertz, expected, expected * 1e-3) << period;
        std::printf("tone period %u: %.2f Hz measured, %.2f Hz by the formula\n", period,
                    peaks[0].hertz, 1773400.0 / (16.0 * period));
    }
}

// A repeating envelope on a steady channel is a tone of its own: a sawtooth (shapes 8 and 12)
// repeats every 256 * EP clock cycles, a triangle (10 and 14) every 512 * EP.
TEST_F(AySound, ARepeatingEnvelopeIsHeardAtItsPeriod) {
    for (uint8_t shape : {8, 10, 12, 14}) {
        for (uint32_t ep : {3u, 10u}) {
            Open(AyMono);
            Write(AyEnvelopeFine, uint8_t(ep));
            Write(AyMixer, 0x3F);
            Write(AyVolumeA, 0x10);
            Write(AyEnvelopeShape, shape);
            const Stereo out = Play(100);
            const std::vector<SpectrumPeak> peaks = StrongestTones(
                std::vector<double>(out.left.begin() + 882, out.left.end()), WaveRate, 1);
            ASSERT_EQ(peaks.size(), 1u);
            const double cycle = (shape == 8 || shape == 12 ? 256.0 : 512.0) * ep;
            const double expected = HeardClock / cycle;
            EXPECT_NEAR(peaks[0].hertz, expected, expected * 1e-3)
                << "shape " << int(shape) << " EP " << ep;
            std::printf("envelope shape %d, EP %u: %.2f Hz measured, %.2f Hz by the formula\n",
                        shape, ep, peaks[0].hertz, 1773400.0 / cycle);
        }
    }
}

// Tones above half the output's rate are filtered out, not folded back into the audible band.
TEST_F(AySound, TonesAboveTheOutputsBandDoNotAlias) {
    auto swing = [](uint32_t period) {
        Open(AyMono);
        Write(0, uint8_t(period));
        Write(AyMixer, 0x3E);
        Write(AyVolumeA, 15);
        return Swing(Play(20).left, 2 * WaveBlockFrames);
    };
    const double audible = swing(100);              // 1.1 kHz
    const double ultrasonic = swing(3);             // 36.9 kHz, which would fold to 7.2 kHz
    EXPECT_NEAR(audible, 0.9 * 12800 / 3 / 2, 100); // a square wave of the chip's third
    EXPECT_LT(ultrasonic, audible / 100.0);         // at least 40 dB down
}

// Each channel on its own at a steady level: in mono all three alike; in stereo ABC, A on the
// left, C on the right and B between; ACB exchanges B and C.
TEST_F(AySound, ChannelsArePlacedByTheStereoSetting) {
    struct Expect {
        AyStereoMode mode;
        double left[3], right[3]; // thirds of the full level for channels A, B, C
    };
    const Expect expects[] = {
        {AyMono, {1, 1, 1}, {1, 1, 1}},
        {AyStereoAbc, {2, 1, 0}, {0, 1, 2}},
        {AyStereoAcb, {2, 0, 1}, {0, 2, 1}},
    };
    const double full = 50 * 256 * 0.9; // Volume 50, the chip's share
    for (const Expect& e : expects) {
        for (int ch = 0; ch < 3; ++ch) {
            Open(e.mode);
            EXPECT_EQ(HeadlessWaveChannels(), e.mode == AyMono ? 1 : 2);
            Write(AyMixer, 0x3F);
            Write(uint8_t(AyVolumeA + ch), 15);
            const Stereo out = Play(5);
            EXPECT_NEAR(Mean(out.left, 3 * WaveBlockFrames), e.left[ch] * full / 3, 2)
                << "mode " << int(e.mode) << " channel " << ch;
            EXPECT_NEAR(Mean(out.right, 3 * WaveBlockFrames), e.right[ch] * full / 3, 2)
                << "mode " << int(e.mode) << " channel " << ch;
        }
    }
}

// The speaker at full volume with three loud square waves: no sample reaches the ends of the
// 16-bit range, and the speaker's level is as it was.
TEST_F(AySound, TheChipAndTheSpeakerMixWithoutClipping) {
    Settings.volume = 63;
    SpeakerLevel = 1;
    for (int ch = 0; ch < 3; ++ch) Write(uint8_t(2 * ch), uint8_t(40 + 17 * ch));
    Write(AyMixer, 0x38);
    for (int ch = 0; ch < 3; ++ch) Write(uint8_t(AyVolumeA + ch), 15);
    const Stereo out = Play(20);
    const double most = *std::max_element(out.left.begin(), out.left.end());
    const double least = *std::min_element(out.left.begin(), out.left.end());
    EXPECT_LT(most, 32767.0);
    EXPECT_GT(least, -32768.0);
    EXPECT_GT(most, 63 * 256 + 63 * 256 * 0.8); // the chip is heard above the speaker
    EXPECT_EQ(out.left[0], 63 * 256);           // before the chip's sound arrives
}

// A volume written at a T-state becomes the output's level at the sample of that T-state, the
// chip's sound coming the resampler's delay after the speaker's; the same after a tune and after
// a long silence, which the resampler is not asked to work through.
TEST_F(AySound, AWriteIsHeardAtItsSample) {
    for (uint32_t t : {1000u, 34944u, 60000u}) {
        Open(AyMono);
        Write(0, 99), Write(AyMixer, 0x3E), Write(AyVolumeA, 15);
        Play(3); // a tune, then silence
        Write(AyVolumeA, 0);
        Play(t == 1000u ? 2 : 10);
        Write(AyMixer, 0x3F);
        Write(AyVolumeA, 15, t);
        const Stereo out = Play(3);
        const double full = 50 * 256 * 0.9 / 3;
        size_t half = 0;
        while (half < out.left.size() && out.left[half] < full / 2) ++half;
        const double expected = double(t) * WaveBlockFrames / FrameTStates128 + AySoundDelay();
        EXPECT_NEAR(double(half), expected, 1.0) << "T-state " << t;
        EXPECT_NEAR(out.left.back(), full, 2);
    }
}

} // namespace
