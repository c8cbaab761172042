#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/machine.h"
#include "engine/frame_sequence.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "media_files.h"
#include "peripherals/ports.h"
#include "tests/cpu_harness.h"

namespace {

struct SampledFixture : MediaFixture {
    void Insert(const Bytes& samples, const char* name = "t.raw") {
        WriteBytes(dir / name, samples);
        ASSERT_TRUE(LoadFileAs((dir / name).c_str(), MediaKind::Raw));
    }
    // What bit 6 of port 0xFE reads at a T-state of the frame.
    int EarAt(uint32_t t) {
        Machine.tstates = t;
        return (PortRead(0xFE, 0xFF) >> 6) & 1;
    }
};

// The byte at each file offset names its own offset, so any block shows where it came from.
Bytes Numbered(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i % 251);
    return b;
}

TEST_F(SampledFixture, RatesCoverAFrameAndFeedTheSoundBlock) {
    for (uint32_t rate : {11025u, 22050u, 44100u}) {
        TapeRate = rate;
        SetTapeRate();
        // 50 frames a second take a little more than the rate; a frame's samples end just short
        // of its 69888 T-states; 882 sound samples at 44100 Hz span the frame's tape samples.
        EXPECT_NEAR(double(BytesPerFrame) * 50, double(rate), rate * 0.005);
        EXPECT_EQ(BytesPerFrame * TStatesPerSample, 69836u);
        EXPECT_EQ(rate << SoundShift, 44100u);
        EXPECT_LE(BytesPerFrame + 32, TapeFrameBufferSize);
    }
}

TEST_F(SampledFixture, AMinuteAt11025HzPlaysBlock2To2993ThenStops) {
    Insert(Numbered(661500));
    EXPECT_EQ(TapeKind, SampledTape);
    EXPECT_TRUE(SampledTapeIsPlaying());
    EXPECT_EQ(TapeBlock, 2u);
    int frames = 0;
    uint8_t lastFirst = 0;
    while (SampledTapeIsPlaying() && frames < 5000) {
        TapeFrameStep();
        if (SampledTapeIsPlaying()) {
            ++frames;
            lastFirst = TapeFrameBuffer[0];
        }
    }
    EXPECT_EQ(frames, 2992);
    EXPECT_EQ(TapeBlock, 2994u);
    EXPECT_EQ(lastFirst, 661453 % 251); // the last block starts at byte 661453
    EXPECT_EQ(TapePlaying, 0);
    // The last block was short: past the file's end the buffer keeps the block before's bytes.
    EXPECT_EQ(TapeFrameBuffer[46], 661499 % 251);
    EXPECT_EQ(TapeFrameBuffer[47], (661453 - 221 + 47) % 251);
}

TEST_F(SampledFixture, EarFollowsTheSampleUnderTheCurrentTState) {
    Bytes samples(4000, 0);
    Insert(samples);
    TapeRate = 22050;
    SetTapeRate();
    // Block 2 at 22050 Hz starts at byte 884; sample 10 of it decides T-state 1580 to 1737.
    samples[884 + 10] = 129;
    samples[884 + 11] = 128;
    samples[884 + 12] = 255;
    WriteBytes(dir / "t.raw", samples);
    ASSERT_TRUE(LoadFileAs((dir / "t.raw").c_str(), MediaKind::Raw));
    TapeFrameStep();
    EXPECT_EQ(EarAt(1579), 0);
    EXPECT_EQ(EarAt(1580), 1);
    EXPECT_EQ(EarAt(1737), 1);
    EXPECT_EQ(EarAt(1738), 0); // exactly 128 is low
    EXPECT_EQ(EarAt(1896), 1);
    EXPECT_EQ(EarLevel, 1); // the read leaves the level it saw
}

TEST_F(SampledFixture, LastInstructionOfAFrameReadsTheOvershootSamples) {
    TapeRate = 44100;
    Bytes samples(10000, 0);
    // Block 2 at 44100 Hz starts at byte 1768; its samples past 884 belong to the next frame.
    samples[1768 + 884] = 200;
    Insert(samples);
    SetTapeRate();
    TapeFrameStep();
    EXPECT_EQ(EarAt(69888 + 23), 1); // 69911 / 79 = sample 884
    EXPECT_EQ(EarAt(69835), 0);      // sample 883, the last of the frame's own
    // Far beyond any frame the last buffered sample is used, never memory past the buffer.
    TapeFrameBuffer[TapeFrameBufferSize - 1] = 255;
    EXPECT_EQ(EarAt(0xFFFFFFFFu), 1);
}

TEST_F(SampledFixture, StoppedOrEjectedTapeGivesTheEarBackToThePort) {
    Insert(Bytes(3000, 255));
    FinishFrame(FrameTarget{}); // the end of frame reads the next block
    EXPECT_EQ(TapeBlock, 3u);
    EXPECT_EQ(EarAt(100), 1);
    TapePlaying = 0;
    PortWrite(0xFE, 0x00); // MIC and speaker low
    EXPECT_EQ(EarAt(100), 0);
    FinishFrame(FrameTarget{});
    EXPECT_EQ(TapeBlock, 3u); // stopped where it was
    TapePlaying = 1;
    EXPECT_EQ(EarAt(100), 1);
    CloseTape();
    EXPECT_FALSE(SampledTapeIsPlaying());
    EXPECT_EQ(EarAt(100), 1); // the level last seen stays until a port write
}

TEST_F(SampledFixture, RewindAndRateChangeMoveThePosition) {
    Insert(Numbered(50000));
    for (int i = 0; i < 10; ++i) TapeFrameStep();
    EXPECT_EQ(TapeBlock, 12u);
    // 44100 Hz after playing at 11025 Hz: the same block number lies four times further in.
    TapeRate = 44100;
    SetTapeRate();
    TapeFrameStep();
    EXPECT_EQ(TapeFrameBuffer[0], (884 * 12) % 251);
    TapePlaying = 0;
    RewindTape();
    EXPECT_EQ(TapeBlock, 2u);
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TapePositionPermille(), 0);
    TapePlaying = 1;
    TapeFrameStep();
    EXPECT_EQ(TapeFrameBuffer[0], (884 * 2) % 251);
    EXPECT_EQ(TapePositionPermille(), int((884 * 2 + 916) * 1000.0 / 50000));
}

TEST_F(SampledFixture, AFileShorterThanTheSkippedHeaderStopsAtOnce) {
    TapeFrameBuffer[5] = 77;
    Insert(Bytes(300, 200), "tiny.wav");
    TapeFrameStep(); // block 2 starts at 442: past the end
    EXPECT_EQ(TapePlaying, 0);
    EXPECT_EQ(TapeFrameBuffer[5], 77);
}

// The .wav header check over bytes in memory, each case in a buffer of exactly its size.
TEST(WaveHeader, OnlyEightBitMonoPcmWithDataPasses) {
    auto check = [](const Bytes& b, uint32_t& rate) {
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[b.empty() ? 1 : b.size()]);
        if (!b.empty()) std::memcpy(exact.get(), b.data(), b.size());
        return ReadWaveHeader(exact.get(), b.size(), rate);
    };
    const Bytes good = WaveFile(Bytes(100, 128), 22050);
    uint32_t rate = 0;
    EXPECT_TRUE(check(good, rate));
    EXPECT_EQ(rate, 22050u);
    // Every cut before the data chunk's header is complete fails, reading only what is there.
    for (size_t n = 0; n < 44; ++n)
        EXPECT_FALSE(check(Bytes(good.begin(), good.begin() + long(n)), rate)) << n;

    // Other chunks before the data, an odd-sized one padded to even length, are passed over.
    Bytes padded(good.begin(), good.begin() + 36);
    const Bytes list{'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    padded.insert(padded.end(), list.begin(), list.end());
    padded.insert(padded.end(), good.begin() + 36, good.end());
    EXPECT_TRUE(check(padded, rate));
    // The extensible form naming PCM passes; one naming floating point does not.
    Bytes extensible = WaveFile(Bytes(100, 128), 44100, 8, 1, 0xFFFE);
    extensible[16] = 40;
    Bytes extra{22, 0, 8, 0, 4, 0, 0, 0, 1, 0};
    extra.resize(24, 0);
    extensible.insert(extensible.begin() + 36, extra.begin(), extra.end());
    EXPECT_TRUE(check(extensible, rate));
    EXPECT_EQ(rate, 44100u);
    extensible[36 + 8] = 3;
    EXPECT_FALSE(check(extensible, rate));
    // A chunk claiming 4 GB ends the walk instead of wrapping round.
    Bytes huge = good;
    huge[16] = huge[17] = huge[18] = huge[19] = 0xFF;
    EXPECT_FALSE(check(huge, rate));
    Bytes notWave = good;
    notWave[8] = 'X';
    EXPECT_FALSE(check(notWave, rate));
}

// A metadata chunk of any size before the data is walked over in the file, however far the data
// then lies; a chunk claiming more than the file holds ends the walk.
TEST_F(SampledFixture, ChunksOfAnySizeBeforeTheDataArePassedOver) {
    const Bytes good = WaveFile(Bytes(5000, 128), 22050);
    for (uint32_t size : {4500u, 70001u}) {
        Bytes file(good.begin(), good.begin() + 36);
        const Bytes list{'L', 'I', 'S', 'T', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16),
                         0};
        file.insert(file.end(), list.begin(), list.end());
        file.insert(file.end(), size + (size & 1), 'm');
        file.insert(file.end(), good.begin() + 36, good.end());
        WriteBytes(dir / "meta.wav", file);
        TapeRate = 11025;
        EXPECT_TRUE(LoadFileAs((dir / "meta.wav").c_str(), MediaKind::Wav)) << size;
        EXPECT_EQ(TapeRate, 22050u) << size;
        // The same chunk claiming one byte more than there is.
        file.resize(36 + 8 + size + (size & 1) + 8);
        for (int k = 0; k < 4; ++k) file[40 + k] = uint8_t((size + 9) >> 8 * k);
        WriteBytes(dir / "cut.wav", file);
        LastLoadError = LoadError::None;
        EXPECT_FALSE(LoadFileAs((dir / "cut.wav").c_str(), MediaKind::Wav)) << size;
        EXPECT_EQ(LastLoadError, LoadError::NotPlayable);
    }
}

TEST_F(SampledFixture, FailedOpenEjectsThePreviousTape) {
    Insert(Bytes(1000, 1));
    EXPECT_FALSE(LoadFileAs((dir / "missing.wav").c_str(), MediaKind::Raw));
    EXPECT_EQ(CurrentTape, nullptr);
    EXPECT_FALSE(SampledTapeIsPlaying());
}

} // namespace
