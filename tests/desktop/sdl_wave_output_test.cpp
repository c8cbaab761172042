// The SDL wave output, on SDL's dummy driver (plays into nothing at the device's pace) and its
// disk driver (writes what it plays into a file).
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/machine.h"
#include "engine/frame_sequence.h"
#include "media/builtin_rom.h"
#include "peripherals/beeper.h"
#include "peripherals/input_state.h"
#include "peripherals/keyboard.h"
#include "peripherals/settings.h"
#include "platform/desktop/desktop_keyboard.h"
#include "platform/wave_output.h"
#include "tests/beeper_tone.h"

namespace {

using Clock = std::chrono::steady_clock;

void UseDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }

// Polls until the slot's block has played; false after two seconds.
bool WaitDone(int slot) {
    auto until = Clock::now() + std::chrono::seconds(2);
    while (!WaveSlotDone(slot)) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool AllDone() {
    for (int i = 0; i < WaveSlots; ++i)
        if (!WaveSlotDone(i)) return false;
    return true;
}

int16_t Blocks[WaveSlots][WaveBlockFrames * WaveMaxChannels];

TEST(SdlWaveOutput, WithoutADeviceOpeningFailsAndLeavesNothingOpen) {
    EXPECT_TRUE(AllDone()); // never queued
    UseDriver("no-such-driver");
    EXPECT_FALSE(WaveOpen(1));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    WaveQueue(0, Blocks[0]); // ignored while closed
    EXPECT_TRUE(AllDone());
    WaveClose();

    UseDriver("dummy"); // a device that appears later is opened
    ASSERT_TRUE(WaveOpen(1));
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    WaveClose();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST(SdlWaveOutput, BlocksPlayInTheOrderQueuedAtTheDevicesPace) {
    UseDriver("dummy");
    ASSERT_TRUE(WaveOpen(1));
    const int order[] = {4, 1, 7, 0, 9};
    auto start = Clock::now();
    for (int slot : order) WaveQueue(slot, Blocks[slot]);
    EXPECT_FALSE(WaveSlotDone(9)); // 100 ms of sound cannot have played yet
    WaveQueue(9, Blocks[9]);       // still queued: ignored, not queued twice

    std::vector<int> finished;
    while (finished.size() < std::size(order) && Clock::now() - start < std::chrono::seconds(3)) {
        for (int slot : order)
            if (WaveSlotDone(slot) &&
                std::find(finished.begin(), finished.end(), slot) == finished.end())
                finished.push_back(slot);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::chrono::duration<double> took = Clock::now() - start;
    EXPECT_EQ(finished, std::vector<int>(std::begin(order), std::end(order)));
    // Five blocks of 20 ms, less the last device buffer handed over early.
    EXPECT_GT(took.count(), 0.06);
    EXPECT_TRUE(AllDone());
    WaveClose();
}

TEST(SdlWaveOutput, ResetDiscardsTheQueueAndAClosedOutputOpensAgain) {
    UseDriver("dummy");
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(WaveOpen(1)) << "round " << round;
        for (int slot = 0; slot < WaveSlots; ++slot) WaveQueue(slot, Blocks[slot]);
        EXPECT_FALSE(WaveSlotDone(WaveSlots - 1)); // a second of sound is waiting
        WaveReset();
        EXPECT_TRUE(AllDone());
        WaveQueue(3, Blocks[3]); // the output goes on playing after a reset
        EXPECT_TRUE(WaitDone(3));
        for (int slot = 0; slot < 10; ++slot) WaveQueue(slot, Blocks[slot]);
        WaveClose(); // closing with blocks queued discards them too
        EXPECT_TRUE(AllDone());
    }
}

// Stereo blocks reach the device as 16-bit frames of left then right, in the order queued.
TEST(SdlWaveOutput, StereoBlocksReachTheDeviceLeftThenRight) {
    const std::string file = std::string(WENDAL_TEST_BINARY_DIR) + "/stereo-disk.raw";
    std::remove(file.c_str());
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    ASSERT_TRUE(WaveOpen(2));
    for (int slot = 0; slot < 4; ++slot) {
        for (int k = 0; k < WaveBlockFrames; ++k) {
            Blocks[slot][2 * k] = int16_t(1000 * (slot + 1)); // left: the block's number
            Blocks[slot][2 * k + 1] = int16_t(-k);            // right: the frame's
        }
        WaveQueue(slot, Blocks[slot]);
    }
    for (int slot = 0; slot < 4; ++slot) ASSERT_TRUE(WaitDone(slot)) << slot;
    WaveClose();
    std::ifstream in(file, std::ios::binary);
    const std::vector<int16_t> played =
        Samples16(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}));
    std::vector<int16_t> heard; // the frames of the queued blocks, after the starting silence
    size_t i = 0;
    while (i + 1 < played.size() && played[i] == 0) i += 2;
    for (; i + 1 < played.size() && played[i] != 0; i += 2)
        heard.push_back(played[i]), heard.push_back(played[i + 1]);
    ASSERT_EQ(heard.size(), size_t(4 * 2 * WaveBlockFrames));
    for (size_t f = 0; f < heard.size() / 2; ++f) {
        ASSERT_EQ(heard[2 * f], 1000 * int(f / WaveBlockFrames + 1)) << f;
        ASSERT_EQ(heard[2 * f + 1], -int(f % WaveBlockFrames)) << f;
    }
    unsetenv("SDL_DISKAUDIOFILE");
    std::remove(file.c_str());
}

// ---- A BEEP typed at the ROM, played through the disk driver ---------------------------------

void RunFrames(int n) {
    for (int i = 0; i < n; ++i) RunFrame(FrameTarget{});
}

// Holds each chord ("CS+SS", "1") for 4 frames and releases it for 4.
void Type(const std::string& chords) {
    std::istringstream in(chords);
    std::string chord;
    while (in >> chord) {
        std::stringstream parts(chord);
        std::string key;
        while (std::getline(parts, key, '+'))
            DesktopKeyDown(uint8_t(VirtualKeyOfSpectrumKey(key.c_str())), true);
        ScanKeyboard();
        RunFrames(4);
        DesktopReleaseAllKeys();
        ScanKeyboard();
        RunFrames(4);
    }
}

// Waits until one of the first n blocks is free, as a main loop running at 100% would find one.
bool WaitForFreeBlock(int n) {
    auto until = Clock::now() + std::chrono::seconds(2);
    for (;;) {
        for (int i = 0; i < n; ++i)
            if (WaveSlotDone(i)) return true;
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

TEST(SdlWaveOutput, BeepPlaysAtMiddleCForASecondWithoutGaps) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    const std::string file = std::string(WENDAL_TEST_BINARY_DIR) + "/beep-disk.raw";
    std::remove(file.c_str());
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);

    Settings = SettingsRecord{}; // Volume 50, 10 sound buffers
    AllocateMemory();
    std::memset(Machine.memory, 0, 65536);
    std::memcpy(Machine.memory, BuiltinRom, sizeof BuiltinRom);
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
    DesktopReleaseAllKeys();
    ResetMachine();
    SoundOn = 0;
    RunFrames(150);
    // Extended mode (CAPS SHIFT + SYMBOL SHIFT), then SYMBOL SHIFT + Z is BEEP, SS + N a comma.
    Type("CS+SS SS+Z 1 SS+N 0");

    ASSERT_TRUE(OpenSound());
    SoundOn = 1;
    const int buffers = Settings.soundBuffers;
    DesktopKeyDown(uint8_t(VirtualKeyOfSpectrumKey("ENTER")), true);
    ScanKeyboard();
    auto start = Clock::now();
    for (int frame = 0; frame < 100; ++frame) {
        ASSERT_TRUE(WaitForFreeBlock(buffers)) << "frame " << frame;
        RunFrame(FrameTarget{});
        if (frame == 4) DesktopReleaseAllKeys();
    }
    // The queue is full: how long it takes to play out is the latency the buffers add (printed
    // as a measurement; the pace of the disk driver's thread is not the test's business).
    auto queued = Clock::now();
    for (int i = 0; i < buffers; ++i) ASSERT_TRUE(WaitDone(i));
    std::chrono::duration<double> drain = Clock::now() - queued;
    std::chrono::duration<double> all = Clock::now() - start;
    CloseSound();
    SoundOn = 0;
    std::printf("sound: %d buffers played out in %.0f ms; 100 frames in %.0f ms\n", buffers,
                drain.count() * 1000, all.count() * 1000);

    std::ifstream in(file, std::ios::binary);
    const std::vector<int16_t> played =
        Samples16(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}));
    ASSERT_GE(played.size(), 100u * WaveBlockFrames);
    const BeeperTone tone = LongestTone(played);
    ASSERT_GT(tone.changes, 400u) << "no tone found";
    EXPECT_NEAR(tone.hertz, 261.63, 261.63 * 0.01);
    EXPECT_NEAR(tone.seconds, 1.0, 0.03);
    // A half period is 84 samples; a block played late would leave a longer stretch at one level.
    EXPECT_EQ(tone.gaps, 0);
    std::printf("sound: %.2f Hz for %.3f s, %d gaps\n", tone.hertz, tone.seconds, tone.gaps);
    std::remove(file.c_str());
}

} // namespace
