// The sound chip at its own tick rate: each generator measured from the levels it puts out, against
// the data sheet's formulas (tone f = clock / (16 * TP), envelope cycle 256 * EP / clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <string>
#include <vector>

#include "peripherals/ay_chip.h"

namespace {

constexpr uint32_t Frame128 = 70908;      // T-states in a frame of the 128K
constexpr double Clock = 3546900.0 / 2.0; // the chip's clock: half the 128K's processor's

struct Channels {
    std::vector<float> a, b, c;
};

class AyChipTest : public ::testing::Test {
  protected:
    void SetUp() override { AyReset(); }
    void TearDown() override { AyReset(); }
    static void Write(uint8_t reg, uint8_t value, uint32_t tstate = 0) {
        AyLogWrite(reg, value, tstate);
    }
    static void Tone(int channel, uint32_t period) {
        Write(uint8_t(2 * channel), uint8_t(period));
        Write(uint8_t(2 * channel + 1), uint8_t(period >> 8));
    }
    // Runs whole frames until at least `ticks` ticks have been put out.
    static Channels Run(size_t ticks) {
        static float levels[3 * AyMaxTicksPerFrame];
        constexpr AyMix EachChannel = {3, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
        Channels out;
        while (out.a.size() < ticks) {
            const int n = AyRunFrame(Frame128, EachChannel, levels);
            for (int k = 0; k < n; ++k) {
                out.a.push_back(levels[3 * k]);
                out.b.push_back(levels[3 * k + 1]);
                out.c.push_back(levels[3 * k + 2]);
            }
        }
        return out;
    }
    // Ticks at which the level rises.
    static std::vector<size_t> Rises(const std::vector<float>& s) {
        std::vector<size_t> at;
        for (size_t k = 1; k < s.size(); ++k)
            if (s[k] > s[k - 1]) at.push_back(k);
        return at;
    }
    // The level's number 0-15, read back from the DAC level put out.
    static int LevelOf(float v) { return int(std::find(AyLevels, AyLevels + 16, v) - AyLevels); }
};

// The mean distance between rises of a square wave, as a frequency at the chip's tick rate.
double MeasuredHertz(const std::vector<size_t>& rises) {
    const double ticks = double(rises.back() - rises.front()) / double(rises.size() - 1);
    return Clock / 8.0 / ticks;
}

TEST_F(AyChipTest, ToneFrequencyFollowsItsTwelveBitPeriod) {
    struct Case {
        uint16_t written; // coarse:fine as written
        uint32_t period;  // what the chip holds: 12 bits, 0 acting as 1
    };
    for (Case c : {Case{1, 1}, Case{0, 1}, Case{2, 2}, Case{253, 253}, Case{0x0FFF, 0x0FFF},
                   Case{0xF123, 0x0123}}) {
        AyReset();
        Write(1, uint8_t(c.written >> 8));
        Write(0, uint8_t(c.written));
        Write(AyMixer, 0x3E); // tone A only
        Write(AyVolumeA, 15);
        const Channels out = Run(size_t(2 * c.period) * 40 + 100);
        const std::vector<size_t> rises = Rises(out.a);
        ASSERT_GE(rises.size(), 20u) << c.written;
        const double expected = Clock / (16.0 * c.period);
        EXPECT_NEAR(MeasuredHertz(rises), expected, expected * 1e-6) << c.written;
        EXPECT_EQ(*std::max_element(out.a.begin(), out.a.end()), 1.0f);
        EXPECT_EQ(*std::min_element(out.a.begin(), out.a.end()), 0.0f);
    }
}

TEST_F(AyChipTest, EachChannelHasItsOwnToneAndVolume) {
    Tone(0, 100), Tone(1, 150), Tone(2, 225);
    Write(AyMixer, 0x38); // three tones, no noise
    Write(AyVolumeA, 15), Write(AyVolumeA + 1, 12), Write(AyVolumeA + 2, 9);
    const Channels out = Run(20000);
    const std::vector<float>* channels[] = {&out.a, &out.b, &out.c};
    const uint32_t periods[] = {100, 150, 225};
    const int volumes[] = {15, 12, 9};
    for (int ch = 0; ch < 3; ++ch) {
        const std::vector<float>& s = *channels[ch];
        const double expected = Clock / (16.0 * periods[ch]);
        EXPECT_NEAR(MeasuredHertz(Rises(s)), expected, expected * 1e-6) << ch;
        EXPECT_EQ(*std::max_element(s.begin(), s.end()), AyLevels[volumes[ch]]) << ch;
    }
}

// A shape drawn as four 16-step cycles: '\' falls 15 to 0, '/' rises 0 to 15, '_' holds 0 and
// '-' holds 15; the data sheet's drawings of register 13.
std::vector<int> ShapeSteps(const std::string& cycles) {
    std::vector<int> steps;
    for (char c : cycles)
        for (int i = 0; i < 16; ++i)
            steps.push_back(c == '\\' ? 15 - i : c == '/' ? i : c == '-' ? 15 : 0);
    return steps;
}

TEST_F(AyChipTest, EveryEnvelopeShapeHasItsFormAndPeriod) {
    const char* const shapes[16] = {"\\___", "\\___", "\\___",    "\\___", "/___",   "/___",
                                    "/___",  "/___",  "\\\\\\\\", "\\___", "\\/\\/", "\\---",
                                    "////",  "/---",  "/\\/\\",   "/___"};
    for (uint32_t ep : {1u, 3u, 40u}) {
        for (int shape = 0; shape < 16; ++shape) {
            AyReset();
            Write(AyEnvelopeFine, uint8_t(ep));
            Write(AyMixer, 0x3F); // tone and noise off: the channel gives its level steadily
            Write(AyVolumeA, 0x10);
            Write(AyEnvelopeShape, uint8_t(shape));
            // A step lasts 16 * EP clocks: 2 * EP ticks of 8 clocks; four cycles of 16 steps.
            const uint32_t stepTicks = 2 * ep;
            const Channels out = Run(64 * stepTicks);
            std::vector<int> steps;
            for (size_t k = 0; k < 64 * size_t(stepTicks); k += stepTicks) {
                for (size_t j = k; j < k + stepTicks; ++j) // steady through the step
                    ASSERT_EQ(out.a[j], out.a[k]) << "shape " << shape << " tick " << j;
                steps.push_back(LevelOf(out.a[k]));
            }
            EXPECT_EQ(steps, ShapeSteps(shapes[shape])) << "shape " << shape << " EP " << ep;
            // The cycle's length as 256 * EP clocks.
            if (shape == 8 || shape == 12) {
                const std::vector<size_t> jumps = Rises(shape == 8 ? out.a : [&] {
                    std::vector<float> inverted;
                    for (float v : out.a) inverted.push_back(-v);
                    return inverted;
                }());
                ASSERT_GE(jumps.size(), 2u);
                EXPECT_EQ((jumps[1] - jumps[0]) * 8, 256u * ep) << "shape " << shape;
            }
        }
    }
}

TEST_F(AyChipTest, WritingTheShapeRestartsTheEnvelope) {
    Write(AyEnvelopeFine, 2);
    Write(AyMixer, 0x3F);
    Write(AyVolumeA, 0x10);
    Write(AyEnvelopeShape, 12);
    const uint32_t restart = 40 * AyTickTStates; // tick 40: ten steps of 4 ticks into the rise
    Write(AyEnvelopeShape, 12, restart);
    const Channels out = Run(200);
    EXPECT_EQ(LevelOf(out.a[39]), 9);
    EXPECT_EQ(LevelOf(out.a[40]), 0);
    EXPECT_EQ(LevelOf(out.a[44]), 1);
}

// The envelope runs on while no channel hears it: heard from any moment, it is where it would
// have been, for every shape and long or short stretches unheard.
TEST_F(AyChipTest, TheEnvelopeRunsOnUnheard) {
    for (uint8_t shape : {8, 10, 13, 14}) {
        for (uint32_t ep : {1u, 7u, 300u}) {
            std::vector<float> heard[2];
            for (int unheard = 0; unheard < 2; ++unheard) {
                AyReset();
                Write(AyEnvelopeFine, uint8_t(ep)), Write(AyEnvelopeCoarse, uint8_t(ep >> 8));
                Write(AyMixer, 0x3F);
                Write(AyEnvelopeShape, shape);
                Write(AyVolumeA, unheard ? 0 : 0x10);
                Write(AyVolumeA, 0x10, 50000); // tick 3125: up to 1562 steps unheard
                heard[unheard] = Run(4 * 4432).a;
            }
            const size_t from = 50000 / AyTickTStates;
            EXPECT_TRUE(
                std::equal(heard[0].begin() + from, heard[0].end(), heard[1].begin() + from))
                << "shape " << int(shape) << " EP " << ep;
        }
    }
}

// 17 bits of shift register, taking bit 0 XOR bit 3: the noise repeats only after all 131071
// non-zero states, each met once.
TEST_F(AyChipTest, NoiseIsNotPeriodicWithinItsBound) {
    constexpr size_t Bound = (1u << 17) - 1;
    Write(AyNoisePeriod, 0); // acts as 1: a new bit every 2 ticks
    Write(AyMixer, 0x37);    // noise on A only
    Write(AyVolumeA, 15);
    const Channels out = Run(2 * (Bound + 17) + 2);
    std::vector<uint8_t> bits;
    for (size_t k = 0; k + 1 < out.a.size(); k += 2) {
        ASSERT_EQ(out.a[k], out.a[k + 1]) << k;
        bits.push_back(out.a[k] > 0);
    }
    ASSERT_GE(bits.size(), Bound + 17);
    std::bitset<(1u << 17)> seen;
    size_t ones = 0;
    for (size_t i = 0; i < Bound; ++i) {
        uint32_t window = 0;
        for (int j = 0; j < 17; ++j) window |= uint32_t(bits[i + size_t(j)]) << j;
        ASSERT_FALSE(seen[window]) << "the noise repeated after " << i << " bits";
        seen[window] = true;
        ones += bits[i];
    }
    EXPECT_FALSE(seen[0]);
    EXPECT_EQ(ones, (Bound + 1) / 2); // a maximal sequence has one more 1 than 0s
    for (size_t i = 0; i < 17; ++i) EXPECT_EQ(bits[i + Bound], bits[i]) << i;

    // Noise period 31 shifts every 62 ticks.
    AyReset();
    Write(AyNoisePeriod, 0xFF); // 5 bits: 31
    Write(AyMixer, 0x37);
    Write(AyVolumeA, 15);
    const Channels slow = Run(62 * 200);
    for (size_t k = 0; k < slow.a.size(); ++k) ASSERT_EQ(slow.a[k], slow.a[k - k % 62]) << k;
}

// Bits 0-2 enable the tones of A, B and C and bits 3-5 their noise, active low; a channel with
// both off holds its volume's level, with both on it is high only when both are.
TEST_F(AyChipTest, TheMixerEnablesToneAndNoisePerChannel) {
    for (uint8_t mixer = 0; mixer < 64; ++mixer) {
        AyReset();
        Tone(0, 8), Tone(1, 8), Tone(2, 8);
        Write(AyNoisePeriod, 5);
        Write(AyMixer, uint8_t(mixer | 0xC0)); // the port direction bits change nothing
        Write(AyVolumeA, 13), Write(AyVolumeA + 1, 13), Write(AyVolumeA + 2, 13);
        const Channels out = Run(60000);
        const std::vector<float>* channels[] = {&out.a, &out.b, &out.c};
        for (int ch = 0; ch < 3; ++ch) {
            const bool tone = !(mixer & (1 << ch)), noise = !(mixer & (8 << ch));
            const std::vector<float>& s = *channels[ch];
            double high = 0;
            for (float v : s) {
                ASSERT_TRUE(v == 0.0f || v == AyLevels[13]);
                high += v > 0;
            }
            high /= double(s.size());
            const double expected = tone && noise ? 0.25 : tone || noise ? 0.5 : 1.0;
            EXPECT_NEAR(high, expected, 0.03) << "mixer " << int(mixer) << " channel " << ch;
            // A tone alone rises every 16 ticks.
            if (tone && !noise) {
                const std::vector<size_t> rises = Rises(s);
                for (size_t r : rises) ASSERT_EQ(r % 16, rises[0] % 16);
            }
        }
    }
}

// Level 0 is silence and 15 the loudest; every step up is louder, by about 3 dB on average.
TEST_F(AyChipTest, TheVolumeLevelsRiseInOrder) {
    EXPECT_EQ(AyLevels[0], 0.0f);
    EXPECT_EQ(AyLevels[15], 1.0f);
    for (int v = 1; v < 16; ++v) EXPECT_GT(AyLevels[v], AyLevels[v - 1]) << v;
    const double dbPerStep = 20.0 * std::log10(AyLevels[15] / AyLevels[1]) / 14.0;
    EXPECT_NEAR(dbPerStep, 3.0, 0.3);

    // As the channel puts them out, register 8's low 4 bits; bits 5-7 are not kept.
    for (int v = 0; v < 16; ++v) {
        AyReset();
        Write(AyMixer, 0x3F);
        Write(AyVolumeA, uint8_t(0xE0 | v));
        EXPECT_EQ(Run(10).a[0], AyLevels[v]) << v;
    }
}

// A write takes effect at the first tick at or after its T-state, in whichever frame.
TEST_F(AyChipTest, AWriteIsHeardFromItsTState) {
    for (uint32_t t : {0u, 1u, 15u, 16u, 17u, 1000u, 70895u}) {
        AyReset();
        Write(AyMixer, 0x3F);
        Write(AyVolumeA, 15, t);
        const Channels out = Run(1);
        const size_t first = (t + AyTickTStates - 1) / AyTickTStates; // ticks at 0, 16, 32...
        for (size_t k = 0; k < out.a.size(); ++k)
            ASSERT_EQ(out.a[k], k < first ? 0.0f : 1.0f) << "T-state " << t << " tick " << k;
    }
    // The frame of 70908 T-states is 4431.75 ticks: the ticks carry on across frames at 16
    // T-states apart, so the next frame's first tick is at its T-state 4.
    AyReset();
    Run(1);
    EXPECT_EQ(AyChip.nextTick, 16 - Frame128 % 16);
    Write(AyMixer, 0x3F);
    Write(AyVolumeA, 15, 4);
    EXPECT_EQ(Run(1).a[0], 1.0f);
    AyReset();
    Run(1);
    Write(AyMixer, 0x3F);
    Write(AyVolumeA, 15, 5);
    const Channels late = Run(1);
    EXPECT_EQ(late.a[0], 0.0f);
    EXPECT_EQ(late.a[1], 1.0f);

    // A write past the frame's end (the last instruction's overshoot) is kept for the next.
    AyReset();
    Write(AyMixer, 0x3F);
    Write(AyVolumeA, 15, Frame128 + 10);
    EXPECT_EQ(Run(1).a.back(), 0.0f);
    EXPECT_EQ(Run(1).a[0], 1.0f);
}

// A snapshot's registers bring the tune back: the chip loaded with them plays as one given the
// same registers by writes from power-on, envelope restarted from its shape's beginning.
TEST_F(AyChipTest, LoadedRegistersPlayAtOnce) {
    const uint8_t regs[AyRegisterCount] = {200,  0xF1, 90, 0, 0, 0,    0, 0x3C,
                                           0x1F, 12,   0,  4, 0, 0x0E, 0, 0};
    for (uint8_t r = 0; r < AyRegisterCount; ++r) Write(r, regs[r]);
    const Channels written = Run(20000);

    AyReset();
    Tone(0, 77), Write(AyMixer, 0x38), Write(AyVolumeA, 15); // a tune already playing
    Run(3000);
    AyChip = AyChipRecord{}; // the generators as at power-on, as a loaded machine's are
    AyChip.noiseShift = 1;
    Write(AyVolumeA, 3); // a write of the frame before the load is not heard after it
    AyLoadRegisters(regs);
    EXPECT_EQ(AyChip.reg[1], 0x01); // masked to 12 bits: period 456
    EXPECT_EQ(AyLog.count, 0);
    const Channels loaded = Run(20000);
    EXPECT_TRUE(loaded.a == written.a);
    EXPECT_TRUE(loaded.b == written.b);
    const double expected = Clock / (16.0 * 90);
    EXPECT_NEAR(MeasuredHertz(Rises(loaded.b)), expected, expected * 1e-6);
    EXPECT_GT(*std::max_element(loaded.a.begin(), loaded.a.end()), 0.8f);
}

} // namespace
