#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/load_file.h"
#include "media/sampled_tape.h"
#include "media/tape.h"
#include "peripherals/beeper.h"
#include "peripherals/ports.h"
#include "peripherals/settings.h"
#include "platform/headless/headless.h"
#include "platform/wave_output.h"

namespace {

class Beeper : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        ASSERT_TRUE(OpenSound());
    }
    void TearDown() override {
        CloseSound();
        Reset();
    }
    static void Reset() {
        Settings = SettingsRecord{};
        HeadlessWaveRecordTo(nullptr);
        HeadlessWaveHold(false);
        SpeakerLevel = 0;
        BeeperLog.count = 0;
    }
    static void Event(uint32_t tstate, uint8_t level) {
        BeeperLog.tstate[BeeperLog.count] = tstate;
        BeeperLog.level[BeeperLog.count] = level;
        ++BeeperLog.count;
    }
    // Plays the logged events as one frame and returns its samples.
    static std::vector<uint8_t> Play() {
        uint32_t before = HeadlessWaveBlocksQueued();
        PlayFrameSound();
        BeeperLog.count = 0;
        if (HeadlessWaveBlocksQueued() == before) return {};
        const uint8_t* block = HeadlessWaveLastBlock();
        return std::vector<uint8_t>(block, block + WaveBlockBytes);
    }
    // Sample index of the first sample at each level change, and the level values in between.
    static std::string Runs(const std::vector<uint8_t>& s) {
        std::string out;
        for (size_t k = 0; k < s.size(); ++k)
            if (k == 0 || s[k] != s[k - 1])
                out += std::to_string(k) + ":" + std::to_string(s[k]) + " ";
        return out;
    }
};

TEST_F(Beeper, AFrameWithoutEventsHoldsTheLevel) {
    EXPECT_EQ(Runs(Play()), "0:128 ");
    SpeakerLevel = 1;
    EXPECT_EQ(Runs(Play()), "0:178 "); // Volume 50
}

// One event in the middle of the frame: 69888 / 2 T-states is sample 882 / 2.
TEST_F(Beeper, AnEventAtHalfAFrameChangesTheSecondHalf) {
    Event(34944, 1);
    EXPECT_EQ(Runs(Play()), "0:128 441:178 ");
    EXPECT_EQ(SpeakerLevel, 1);
    EXPECT_EQ(Runs(Play()), "0:178 "); // the level carries into the next frame
}

// Events crowded onto one sample take effect one sample apart.
TEST_F(Beeper, EventsAtOneTStateTakeConsecutiveSamples) {
    Event(7924, 1); // 7924 T-states at 69888 / 882 = 79.24 per sample: sample 100
    Event(7924, 0);
    Event(7924, 1);
    EXPECT_EQ(Runs(Play()), "0:128 100:178 101:128 102:178 ");
}

TEST_F(Beeper, EventsPastTheFrameAreNotPlayed) {
    Event(69887, 1); // the last sample
    EXPECT_EQ(Runs(Play()), "0:128 881:178 ");
    Event(200, 0);   // sample 2
    Event(69888, 1); // sample 882
    Event(69900, 1);
    EXPECT_EQ(Runs(Play()), "0:178 2:128 ");
    EXPECT_EQ(SpeakerLevel, 0);
}

TEST_F(Beeper, VolumeSetsTheAmplitude) {
    Settings.volume = 0;
    for (uint32_t t = 0; t < 69888; t += 700) Event(t, uint8_t(t / 700 % 2));
    EXPECT_EQ(Runs(Play()), "0:128 ");
    Settings.volume = 63;
    Event(0, 1);
    EXPECT_EQ(Runs(Play()), "0:191 ");
    Settings.volume = 200; // out of range: clipped, never wrapped round to a low value
    EXPECT_EQ(Runs(Play()), "0:255 ");
}

TEST_F(Beeper, AFrameIsDroppedWhileEveryBufferPlays) {
    CloseSound();
    Settings.soundBuffers = 3;
    ASSERT_TRUE(OpenSound());
    HeadlessWaveHold(true);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Play().size(), size_t(WaveBlockBytes)) << i;
    for (int slot = 0; slot < 3; ++slot) EXPECT_FALSE(WaveSlotDone(slot));
    Event(0, 1);
    EXPECT_TRUE(Play().empty());
    EXPECT_EQ(SpeakerLevel, 0); // the dropped frame's events are not taken
    HeadlessWaveFinishAll();
    EXPECT_EQ(Runs(Play()), "0:128 ");
}

TEST_F(Beeper, TheNumberOfBuffersIsKeptWithinOneToFifty) {
    for (int stored : {0, 51, 255}) {
        CloseSound();
        Settings.soundBuffers = uint8_t(stored);
        ASSERT_TRUE(OpenSound());
        int expected = stored == 0 ? 1 : 50;
        EXPECT_EQ(Settings.soundBuffers, expected);
        HeadlessWaveFinishAll();
        HeadlessWaveHold(true);
        int queued = 0;
        while (!Play().empty() && queued <= WaveSlots) ++queued;
        EXPECT_EQ(queued, expected) << "stored " << stored;
        HeadlessWaveHold(false);
    }
}

TEST_F(Beeper, NothingIsPlayedWhileClosed) {
    CloseSound();
    CloseSound(); // a second close frees nothing twice
    SpeakerLevel = 1;
    EXPECT_TRUE(Play().empty());
}

// A 22050 Hz recording: each tape sample lasts two output samples, weighted by "Tape Volume" in
// 128ths, truncated toward zero.
TEST_F(Beeper, APlayingRecordingIsMixedIn) {
    std::string path = std::string(WENDAL_TEST_BINARY_DIR) + "/beeper_tape.raw";
    std::vector<uint8_t> raw(2 * 442 + 442 + 32, 128); // playback starts two frame blocks in
    const uint8_t first[] = {0, 255, 127, 129, 192};
    std::copy(std::begin(first), std::end(first), raw.begin() + 2 * 442);
    raw[2 * 442 + 440] = 64;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(raw.data()), std::streamsize(raw.size()));
    TapeRate = 22050;
    ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Raw));
    TapeFrameStep(); // what FrameEnd does: the samples for the next frame

    // 0 -> -50, 255 -> +49, 127 -> 0 (not -1), 129 -> 0, 192 -> +25, 64 -> -25
    EXPECT_EQ(Runs(Play()), "0:78 2:177 4:128 8:153 10:128 880:103 ");
    SpeakerLevel = 1;
    Settings.volume = 10;
    EXPECT_EQ(Runs(Play()), "0:88 2:187 4:138 8:163 10:138 880:113 ");
    Settings.tapeVolume = 0;
    EXPECT_EQ(Runs(Play()), "0:138 ");
    Settings.tapeVolume = 50;
    TapePlaying = 0; // stopped: not heard
    EXPECT_EQ(Runs(Play()), "0:138 ");
    CloseTape();
    TapeRate = 11025;
    std::filesystem::remove(path);
}

// The same sound recorded at the three rates (each 11025 Hz sample held for two samples at
// 22050 Hz and four at 44100 Hz) mixes into the same output block: the tape sample under each
// sound sample follows the rate, checked against the 22050 Hz mix above.
TEST_F(Beeper, RecordingsMixAlikeAtEveryRate) {
    std::string path = std::string(WENDAL_TEST_BINARY_DIR) + "/beeper_rates.raw";
    std::vector<std::vector<uint8_t>> mixed;
    for (uint32_t rate : {22050u, 11025u, 44100u}) {
        TapeRate = rate;
        SetTapeRate();
        const uint32_t hold = 44100 / rate; // sound samples per tape sample
        std::vector<uint8_t> raw(2 * BytesPerFrame, 128);
        for (uint32_t j = 0; j < BytesPerFrame + 32; ++j) {
            const uint32_t slow = j * hold / 4; // index of the 11025 Hz sample
            raw.push_back(uint8_t(slow * 73 + (slow >> 3) * 29));
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(raw.data()), std::streamsize(raw.size()));
        ASSERT_TRUE(LoadFileAs(path.c_str(), MediaKind::Raw));
        TapeFrameStep();
        mixed.push_back(Play());
        CloseTape();
    }
    size_t changes = 0;
    for (size_t k = 1; k < mixed[0].size(); ++k) changes += mixed[0][k] != mixed[0][k - 1];
    EXPECT_GT(changes, 150u); // the tape is heard, changing every few samples
    EXPECT_TRUE(mixed[1] == mixed[0]) << "11025 Hz: " << Runs(mixed[1]);
    EXPECT_TRUE(mixed[2] == mixed[0]) << "44100 Hz: " << Runs(mixed[2]);
    TapeRate = 11025;
    SetTapeRate();
    std::filesystem::remove(path);
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// The headless output's recording reads back as a PCM WAV of exactly the frames played.
TEST_F(Beeper, TheRecordingIsAWavFileOfThePlayedFrames) {
    std::string path = std::string(WENDAL_TEST_BINARY_DIR) + "/beeper_recording.wav";
    std::filesystem::remove(path);
    CloseSound();
    HeadlessWaveRecordTo(path.c_str());
    ASSERT_TRUE(OpenSound());
    Event(34944, 1);
    std::vector<uint8_t> first = Play();
    std::vector<uint8_t> second = Play();
    EXPECT_FALSE(std::filesystem::exists(path)); // put in place only when complete
    CloseSound();
    EXPECT_TRUE(HeadlessWaveRecordingOk());

    std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 44u + 2 * WaveBlockBytes);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Le32(file, 16), 16u);
    EXPECT_EQ(file[20] | file[21] << 8, 1); // PCM
    EXPECT_EQ(file[22] | file[23] << 8, 1); // mono
    EXPECT_EQ(Le32(file, 24), 44100u);
    EXPECT_EQ(Le32(file, 28), 44100u);
    EXPECT_EQ(file[32] | file[33] << 8, 1);
    EXPECT_EQ(file[34] | file[35] << 8, 8);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Le32(file, 40), 2u * WaveBlockBytes);
    std::vector<uint8_t> played = first;
    played.insert(played.end(), second.begin(), second.end());
    EXPECT_TRUE(std::equal(played.begin(), played.end(), file.begin() + 44));
    std::filesystem::remove(path);
}

TEST_F(Beeper, AnUnwritableRecordingFailsTheOpeningAndLeavesNoFile) {
    std::string dir = std::string(WENDAL_TEST_BINARY_DIR) + "/no_such_dir";
    std::filesystem::remove_all(dir);
    std::string path = dir + "/out.wav";
    CloseSound();
    HeadlessWaveRecordTo(path.c_str());
    EXPECT_FALSE(OpenSound());
    EXPECT_FALSE(HeadlessWaveRecordingOk());
    EXPECT_TRUE(Play().empty());
    EXPECT_FALSE(std::filesystem::exists(dir));
}

} // namespace
