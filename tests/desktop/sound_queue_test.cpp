// The sound queue between the frames and the device, driven the way the program drives it: a
// frame's block every 20 ms from the main loop, 441 samples every 10 ms taken by the device,
// either side stalling now and then.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/desktop/sound_queue.h"

namespace {

constexpr int Slots = 10; // "Sound Buffers" as set at first
constexpr int DeviceTake = 441;

struct Rig {
    SoundQueue q;
    int channels;
    int16_t blocks[Slots][WaveBlockFrames * WaveMaxChannels];
    std::vector<int16_t> played; // the left channel of two
    int pushed = 0, dropped = 0;
    explicit Rig(int channels = 1) : channels(channels) { ClearSoundQueue(q, channels); }

    // One frame's sound: an audible square wave whose first sample tells the frame's number
    // (1 to 100), or a speaker held at one level throughout (`steady`).
    void Frame(bool steady = false) {
        int slot = 0;
        while (slot < Slots && !SoundSlotDone(q, slot)) ++slot;
        if (slot == Slots) { // every block still playing: the frame's sound is dropped
            ++dropped;
            return;
        }
        int16_t* b = blocks[slot];
        for (int i = 0; i < WaveBlockFrames; ++i) {
            const int16_t level = steady ? 0 : (i / 84) % 2 ? 12800 : 256;
            const int16_t mark = int16_t(20000 + (pushed + 1) % 50);
            for (int c = 0; c < channels; ++c) // the right channel the left's negative
                b[i * channels + c] = int16_t((c ? -1 : 1) * (i == 0 && !steady ? mark : level));
        }
        if (!steady) ++pushed;
        PushSoundBlock(q, slot, b);
    }
    void DeviceTakes() {
        int16_t taken[DeviceTake * WaveMaxChannels];
        TakeSoundSamples(q, taken, DeviceTake);
        for (int i = 0; i < DeviceTake; ++i) {
            played.push_back(taken[i * channels]);
            if (channels == 2) {
                EXPECT_EQ(taken[2 * i + 1], -taken[2 * i]) << "frames kept whole";
            }
        }
    }
    // `ms` of real time in steps of 10 ms: the device takes every step, a frame comes every
    // second one unless the main loop is stalled; a stalled loop catches up its frames after.
    void Run(int ms, bool steady = false, bool loopStalled = false) {
        if (!loopStalled)
            for (; owed > 0; --owed) Frame(steady);
        for (int t = 0; t < ms; t += 10) {
            if (t % 20 == 0) {
                if (loopStalled)
                    ++owed;
                else
                    Frame(steady);
            }
            DeviceTakes();
        }
    }
    // The numbers of the audible frames in the order played.
    std::vector<int> FramesHeard() const {
        std::vector<int> heard;
        for (size_t i = 0; i + WaveBlockFrames <= played.size(); ++i)
            if (played[i] >= 20000) heard.push_back(played[i] - 20000), i += WaveBlockFrames - 1;
        return heard;
    }
    uint32_t QueuedMs() const {
        return uint32_t((q.count * WaveBlockFrames - q.headPosition) * 1000 / WaveRate);
    }
    int owed = 0;
};

std::vector<int> Counting(int from, int n) {
    std::vector<int> v;
    for (int i = from; i < from + n; ++i) v.push_back(i % 50);
    return v;
}

} // namespace

TEST(SoundQueue, SteadyFramesPlayInOrderAfterAShortCushion) {
    Rig rig;
    rig.Run(2000);
    EXPECT_EQ(rig.q.underruns.load(), 0u);
    EXPECT_EQ(rig.FramesHeard(), Counting(1, rig.pushed - rig.q.count));
    size_t lead = 0;
    while (rig.played[lead] == 0) ++lead;
    EXPECT_LE(lead, size_t(3 * WaveBlockFrames)); // at most the 60 ms cushion ahead
    EXPECT_LE(rig.QueuedMs(), 60u);
}

// Stereo blocks are handed on a whole frame (left and right) at a time, the device's takes
// ending in the middle of blocks.
TEST(SoundQueue, StereoFramesPlayInOrderAndWhole) {
    Rig rig(2);
    rig.Run(2000);
    EXPECT_EQ(rig.q.underruns.load(), 0u);
    EXPECT_EQ(rig.FramesHeard(), Counting(1, rig.pushed - rig.q.count));
}

TEST(SoundQueue, StallsOfOneLengthGapUntilTheCushionCoversThem) {
    Rig rig;
    rig.Run(1000);
    int gappingStalls = 0;
    for (int stall = 0; stall < 8; ++stall) {
        const uint32_t before = rig.q.underruns.load();
        rig.Run(90, false, true); // a busy machine holds the main loop for 90 ms
        rig.Run(500);
        gappingStalls += rig.q.underruns.load() > before;
    }
    EXPECT_GE(gappingStalls, 1);
    EXPECT_LE(gappingStalls, 4);
    EXPECT_EQ(rig.q.underruns.load(), uint32_t(gappingStalls));
    const std::vector<int> heard = rig.FramesHeard();
    EXPECT_EQ(heard, Counting(1, int(heard.size()))); // late, never lost or out of order
    EXPECT_EQ(rig.dropped, 0);

    // Once the stalls end, five quiet seconds at a time bring the cushion and latency back.
    const int grown = rig.q.cushion;
    EXPECT_GT(grown, BaseCushionBlocks);
    rig.Run(30000, true);
    EXPECT_EQ(rig.q.cushion, BaseCushionBlocks);
    EXPECT_LE(rig.QueuedMs(), 60u);
    EXPECT_EQ(rig.FramesHeard(), Counting(1, rig.pushed)); // only steady blocks were skipped
}

TEST(SoundQueue, APauseIsNotAStallToPlanFor) {
    Rig rig;
    rig.Run(1000);
    rig.Run(1000, false, true);
    rig.owed = 0; // paused: the frames are not run later
    rig.Run(1000);
    EXPECT_EQ(rig.q.underruns.load(), 1u);
    EXPECT_EQ(rig.q.cushion, BaseCushionBlocks);
}

TEST(SoundQueue, ADeviceThatStallsLosesNothingQueued) {
    Rig rig;
    rig.Run(1000);
    for (int t = 0; t < 300; t += 20) rig.Frame(); // the device takes nothing for 300 ms
    EXPECT_GT(rig.dropped, 0);                     // the ten blocks filled; the rest dropped
    rig.Run(1000);
    const std::vector<int> heard = rig.FramesHeard();
    EXPECT_EQ(heard, Counting(1, int(heard.size())));
    EXPECT_EQ(rig.q.underruns.load(), 0u);
    rig.Run(10000, true); // the surplus goes with steady blocks
    EXPECT_LE(rig.QueuedMs(), 60u);
    EXPECT_EQ(rig.FramesHeard(), Counting(1, rig.pushed));
}
