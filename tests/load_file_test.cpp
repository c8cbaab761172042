#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/machine.h"
#include "media/load_file.h"
#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"
#include "media_files.h"
#include "tests/cpu_harness.h"

namespace {

struct LoadFileFixture : MediaFixture {
    std::string Snapshot(const std::string& name, uint16_t pc) {
        Bytes f(SnapshotSize, 0);
        f[23] = 0x00, f[24] = 0x80; // SP 0x8000
        f[27 + 0x4000] = uint8_t(pc), f[27 + 0x4001] = uint8_t(pc >> 8);
        WriteBytes(dir / name, f);
        return dir / name;
    }
    std::string Tape(const std::string& name) {
        WriteBytes(dir / name, TapBlock(0xFF, {1, 2, 3}));
        return dir / name;
    }
};

TEST_F(LoadFileFixture, EightExtensionsChooseTheReader) {
    for (const char* name : {"a.sna", "b.SNA"}) {
        SCOPED_TRACE(name);
        Machine.pc = 0;
        EXPECT_TRUE(LoadFile(Snapshot(name, 0x6000).c_str()));
        EXPECT_EQ(Machine.pc, 0x6000);
    }
    for (const char* name : {"c.tap", "d.TAP"}) {
        EXPECT_TRUE(LoadFile(Tape(name).c_str()));
        EXPECT_NE(CurrentTape, nullptr);
        EXPECT_EQ(TapeKind, TapeImage);
    }
    for (const char* name : {"e.wav", "f.WAV", "g.raw", "h.RAW", "tape.tap.raw"}) {
        SCOPED_TRACE(name);
        const bool wave = std::strstr(name, ".wav") || std::strstr(name, ".WAV");
        WriteBytes(dir / name, wave ? WaveFile(Bytes(5000, 128)) : Bytes(5000, 128));
        EXPECT_TRUE(LoadFile((dir / name).c_str()));
        EXPECT_EQ(TapeKind, SampledTape);
        EXPECT_TRUE(SampledTapeIsPlaying());
    }
}

TEST_F(LoadFileFixture, AnythingElseIsRefusedWithNothingChanged) {
    ASSERT_TRUE(LoadFile(Tape("keep.tap").c_str()));
    std::FILE* tape = CurrentTape;
    std::filesystem::create_directory(dir / "folder.sna");
    // Mixed case, other extensions, no dot in the file name (the folder's does not count).
    for (const char* name :
         {"x.Sna", "x.tAp", "x.Wav", "x.z8", "x.sna.bak", "noext", "folder.sna/file", "x."}) {
        SCOPED_TRACE(name);
        const std::string path = Snapshot(name, 0x7000); // a valid snapshot under any name
        Machine.pc = 0x1111;
        EXPECT_FALSE(LoadFile(path.c_str()));
        EXPECT_EQ(Machine.pc, 0x1111);
        EXPECT_EQ(CurrentTape, tape);
    }
}

TEST_F(LoadFileFixture, SnapshotLoadEjectsTheTapeOnlyOnSuccess) {
    ASSERT_TRUE(LoadFile(Tape("t.tap").c_str()));
    WriteBytes(dir / "short.sna", Bytes(100, 0));
    EXPECT_FALSE(LoadFile((dir / "short.sna").c_str()));
    EXPECT_NE(CurrentTape, nullptr);
    EXPECT_TRUE(LoadFile(Snapshot("good.sna", 0x6000).c_str()));
    EXPECT_EQ(CurrentTape, nullptr);
}

TEST_F(LoadFileFixture, FailedTapeOpenEjectsTheOldTape) {
    ASSERT_TRUE(LoadFile(Tape("t.tap").c_str()));
    EXPECT_FALSE(LoadFile((dir / "missing.raw").c_str()));
    EXPECT_EQ(CurrentTape, nullptr);
}

// Only 8-bit mono PCM with sound data plays; the header's rate, when it is one of the three,
// becomes the tape rate. A .raw has no header and plays whatever it holds.
TEST_F(LoadFileFixture, WaveHeaderDecidesWhetherARecordingPlays) {
    const Bytes sound = Pattern(4000, 1);
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case refused[] = {
        {"16-bit", WaveFile(sound, 11025, 16)},
        {"stereo", WaveFile(sound, 11025, 8, 2)},
        {"compressed", WaveFile(sound, 11025, 8, 1, 2)},
        {"no data chunk", WaveFile(sound, 11025, 8, 1, 1, false)},
        {"empty data chunk", WaveFile({}, 11025)},
        {"no header", sound},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(LoadFile(Tape("keep.tap").c_str()));
        WriteBytes(dir / "r.wav", c.file);
        TapeRate = 22050;
        EXPECT_FALSE(LoadFile((dir / "r.wav").c_str()));
        EXPECT_EQ(CurrentTape, nullptr); // the tape before is out, as for any failed tape
        EXPECT_EQ(TapeRate, 22050u);
    }
    for (uint32_t rate : {11025u, 22050u, 44100u}) {
        TapeRate = rate == 11025 ? 44100 : 11025;
        WriteBytes(dir / "ok.wav", WaveFile(sound, rate));
        EXPECT_TRUE(LoadFile((dir / "ok.wav").c_str()));
        EXPECT_EQ(TapeRate, rate);
        EXPECT_NEAR(double(BytesPerFrame) * 50, double(rate), rate * 0.005); // rate values set
    }
    TapeRate = 22050;
    WriteBytes(dir / "odd.wav", WaveFile(sound, 8000)); // plays at the rate chosen
    EXPECT_TRUE(LoadFile((dir / "odd.wav").c_str()));
    EXPECT_EQ(TapeRate, 22050u);
    WriteBytes(dir / "s.raw", WaveFile(sound, 11025, 16));
    EXPECT_TRUE(LoadFile((dir / "s.raw").c_str()));
    EXPECT_EQ(TapeRate, 22050u);
}

// Opening a FIFO for reading waits for a writer, which may never come. A writer stands by here
// so that a loader that does open it gets a whole snapshot through and wrongly succeeds.
TEST_F(LoadFileFixture, AFifoIsRefusedWithoutWaiting) {
    const std::string fifo = dir / "x.sna";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string source = Snapshot("good.sna", 0x6000);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const Bytes bytes = ReadBytes(source);
        while (!done) {
            int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK); // fails until a reader is there
            if (fd < 0) {
                usleep(1000);
                continue;
            }
            fcntl(fd, F_SETFL, 0);
            ssize_t written = write(fd, bytes.data(), bytes.size());
            (void)written;
            close(fd);
            return;
        }
    });
    Machine.pc = 0x1111;
    EXPECT_FALSE(LoadFile(fifo.c_str()));
    done = true;
    writer.join();
    EXPECT_EQ(Machine.pc, 0x1111);
}

TEST_F(LoadFileFixture, SaveWritesASnapshotWhateverTheNameAndEjectsOnSuccess) {
    ASSERT_TRUE(LoadFile(Tape("t.tap").c_str()));
    Machine.sp = 0x9000, Machine.pc = 0x4321;
    EXPECT_FALSE(SaveFile((dir / "t.tap/inside.sna").c_str())); // under a regular file
    EXPECT_NE(CurrentTape, nullptr);
    EXPECT_TRUE(SaveFile((dir / "saved.bin").c_str()));
    EXPECT_EQ(CurrentTape, nullptr);
    Machine.pc = 0;
    std::filesystem::rename(dir / "saved.bin", dir / "saved.sna");
    EXPECT_TRUE(LoadFile((dir / "saved.sna").c_str()));
    EXPECT_EQ(Machine.pc, 0x4321);
    EXPECT_EQ(Machine.sp, 0x9000);
}

} // namespace
