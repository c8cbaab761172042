#include <gtest/gtest.h>

#include "core/machine.h"
#include "media/load_file.h"
#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"
#include "media_files.h"
#include "tests/cpu_harness.h"

namespace {

struct LoadFileFixture : ::testing::Test {
    ScratchDir dir;
    void SetUp() override {
        CloseTape();
        CleanMachine();
    }
    void TearDown() override { CloseTape(); }
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
        WriteBytes(dir / name, Bytes(5000, 128));
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
         {"x.Sna", "x.tAp", "x.Wav", "x.z80", "x.sna.bak", "noext", "folder.sna/file", "x."}) {
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
