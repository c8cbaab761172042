// The batch runner as a user runs it: the built program, its exit status, output and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "media/builtin_rom.h"
#include "tests/beeper_tone.h"
#include "tests/sound_spectrum.h"

#ifdef WENDAL_RUN_PATH

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status;
    std::string out, err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class WendalRun : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(WENDAL_TEST_BINARY_DIR) / "wendal_run" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    fs::path dir;
    // Runs the program in the test's folder with the arguments (already quoted for the shell
    // where needed).
    RunResult Run(const std::string& args, const std::string& program = WENDAL_RUN_PATH) const {
        std::string command = "cd '" + dir.string() + "' && '" + program + "' " + args + " >'" +
                              (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "out"), Slurp(dir / "err")};
    }
    std::string File(const char* name) const { return "'" + (dir / name).string() + "'"; }
    std::string Unwritable() const { return "'" + (dir / "missing" / "x").string() + "'"; }
};

std::string TopRow(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST_F(WendalRun, BootsTheRomAndPrintsTheScreen) {
    RunResult r = Run("--frames 200 --text");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 24);
    if (BuiltinRomKind == RomKind::Standard48) {
        EXPECT_NE(r.out.find("© 1982 Sinclair Research Ltd"), std::string::npos) << r.out;
    }
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(WendalRun, TypedLineIsRunByTheRom) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    RunResult r = Run("--frames 200 --type 'P 2 SS+K 2 ENTER' --text"); // PRINT 2+2
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TopRow(r.out), "4") << r.out;
    EXPECT_NE(r.out.find("0 OK, 0:1"), std::string::npos) << r.out;
}

// The screen bytes, the snapshot's copy of them and a reload of that snapshot all agree.
TEST_F(WendalRun, ScreenAndSnapshotAgreeAndTheSnapshotReloads) {
    RunResult r = Run("--frames 200 --type-at 50 --type 'P 2 SS+K 2 ENTER' --screen " +
                      File("screen.scr") + " --save " + File("end.sna"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string screen = Slurp(dir / "screen.scr"), snapshot = Slurp(dir / "end.sna");
    ASSERT_EQ(screen.size(), 6912u);
    ASSERT_EQ(snapshot.size(), 49179u);
    EXPECT_EQ(snapshot.substr(27, 6912), screen);
    EXPECT_NE(screen, std::string(6912, screen[0])); // something was drawn

    RunResult again = Run("--frames 1 --screen " + File("again.scr") + " " + File("end.sna"));
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Slurp(dir / "again.scr").substr(0, 6144), screen.substr(0, 6144));
}

// The ROM's key click is the only sound: none until a key is typed.
TEST_F(WendalRun, AudioRecordsEveryFrameAndTheKeyClick) {
    RunResult quiet = Run("--frames 150 --audio " + File("quiet.wav"));
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    std::string wav = Slurp(dir / "quiet.wav");
    ASSERT_EQ(wav.size(), 44u + 150 * 882 * 2);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.find_first_not_of('\0', 44), std::string::npos);

    // The 48K ROM clicks the speaker for every key it takes.
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "key click differs on this ROM";
    RunResult typed = Run("--frames 150 --type-at 120 --type A --audio " + File("click.wav"));
    ASSERT_EQ(typed.status, 0) << typed.err;
    wav = Slurp(dir / "click.wav");
    ASSERT_EQ(wav.size(), 44u + 150 * 882 * 2);
    size_t first = wav.find_first_not_of('\0', 44);
    ASSERT_NE(first, std::string::npos);
    EXPECT_GE((first - 44) / (882 * 2), 120u); // not before the key went down
}

// BEEP 1,0 plays middle C, 261.63 Hz, for a second: the recording's level changes give its pitch.
TEST_F(WendalRun, BeepIsHeardAtItsPitch) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    // CAPS SHIFT + SYMBOL SHIFT selects extended mode, where SYMBOL SHIFT + Z is BEEP; SS+N is ",".
    RunResult r = Run("--frames 260 --type 'CS+SS SS+Z 1 SS+N 0 ENTER' --audio " + File("b.wav"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string wav = Slurp(dir / "b.wav");
    ASSERT_EQ(wav.size(), 44u + 260 * 882 * 2);
    const BeeperTone tone =
        LongestTone(Samples16(std::vector<uint8_t>(wav.begin(), wav.end()), 44));
    ASSERT_GT(tone.changes, 400u) << "no tone found";
    EXPECT_NEAR(tone.hertz, 261.63, 261.63 * 0.01);
    EXPECT_NEAR(tone.seconds, 1.0, 0.03);
    EXPECT_EQ(tone.gaps, 0);
}

// A recording of 221 x 40 loud samples is heard while its frame blocks last: blocks 2 to 40 at
// 11025 Hz (221 bytes each), 2 to 20 at 22050 Hz, 2 to 10 at 44100 Hz, one block a frame.
TEST_F(WendalRun, TapeRateSetsHowFastARecordingPlays) {
    std::ofstream(dir / "loud.raw", std::ios::binary) << std::string(221 * 40, '\xFF');
    auto loudFrames = [&](const char* rate) {
        RunResult r = Run(std::string("--frames 60 --tape-rate ") + rate + " --audio " +
                          File("t.wav") + " " + File("loud.raw"));
        EXPECT_EQ(r.status, 0) << r.err;
        std::string wav = Slurp(dir / "t.wav");
        int frames = 0;
        for (size_t at = 44; at + 2 * 882 <= wav.size(); at += 2 * 882) // 127 * 50 / 128 at Tape
            frames +=
                (uint8_t(wav[at]) | uint8_t(wav[at + 1]) << 8) == 49 * 256 ? 1 : 0; // Volume 50
        return frames;
    };
    int slow = loudFrames("11025"), middle = loudFrames("22050"), fast = loudFrames("44100");
    EXPECT_EQ(slow, 39);
    EXPECT_EQ(middle, 19);
    EXPECT_EQ(fast, 9);
}

// LOAD "" of the test BASIC program: from the TAP image through the loader trap, and from a
// recording of it through the ROM's own loader reading the EAR input.
TEST_F(WendalRun, ProgramsLoadFromTapeImagesAndRecordings) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    const std::string data = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";
    const std::string load = " --type 'J SS+P SS+P ENTER' --text ";
    for (const char* args : {"--frames 200", "--frames 800 --tape-rate 22050"}) {
        std::string file = std::strstr(args, "tape-rate") ? "basic-22050.wav" : "basic.tap";
        RunResult r = Run(args + load + "'" + data + file + "'");
        ASSERT_EQ(r.status, 0) << file << ": " << r.err;
        EXPECT_NE(r.out.find("BASIC PROGRAM RAN\n42\n"), std::string::npos) << file << r.out;
        EXPECT_NE(r.out.find("0 OK, 20:1"), std::string::npos) << file << r.out;
    }
}

// --autoload resets and types LOAD "" itself, for every kind of tape; without it the tape is
// only inserted and the ROM waits at its copyright line.
TEST_F(WendalRun, AutoloadRunsEveryKindOfTape) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    const std::string data = std::string(WENDAL_TEST_BINARY_DIR) + "/data/";
    for (const char* file : {"basic.tap", "basic.tzx", "basic-22050.wav", "basic-11025.raw"}) {
        const bool recording = std::strstr(file, ".wav") || std::strstr(file, ".raw");
        const std::string frames = recording ? "--frames 900 " : "--frames 300 ";
        RunResult r = Run(frames + "--autoload --text '" + data + file + "'");
        ASSERT_EQ(r.status, 0) << file << ": " << r.err;
        EXPECT_NE(r.out.find("BASIC PROGRAM RAN\n42\n"), std::string::npos) << file << r.out;
        r = Run(frames + "--text '" + data + file + "'");
        ASSERT_EQ(r.status, 0) << file << ": " << r.err;
        EXPECT_EQ(r.out.find("BASIC PROGRAM RAN"), std::string::npos) << file << r.out;
        EXPECT_NE(r.out.find("1982"), std::string::npos) << file << r.out;
    }
    // A snapshot is not a tape: nothing is typed over it.
    ASSERT_EQ(Run("--frames 150 --save " + File("s.sna")).status, 0);
    RunResult r = Run("--frames 300 --autoload --text " + File("s.sna"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("LOAD"), std::string::npos) << r.out;
}

// --machine runs the 128K or the +2: --autoload chooses Tape Loader on its menu, the program
// pages its banks, and a saved snapshot is a 128K one that brings the machine back by itself.
TEST_F(WendalRun, TheMachinesRunAndAutoloadTheirTapes) {
    const std::string tape = "'" + std::string(WENDAL_TEST_BINARY_DIR) + "/data/banks128.tap'";
    for (const char* machine : {"128", "plus2"}) {
        RunResult r = Run(std::string("--machine ") + machine + " --frames 150 --text");
        if (r.status == 1 && r.err.find("unavailable") != std::string::npos) GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("Tape Loader"), std::string::npos) << r.out;
        r = Run(std::string("--machine ") + machine + " --frames 400 --autoload --text --save " +
                File("m.z80") + " " + tape);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("CRC B6CB"), std::string::npos) << machine << r.out;
        // Opened on the default 48K, the snapshot brings its own machine back: the program's
        // screen in page 5, and a save of it is a 128K .sna.
        r = Run("--frames 10 --text --save " + File("m.sna") + " " + File("m.z80"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("CRC B6CB"), std::string::npos) << machine << r.out;
        EXPECT_EQ(std::filesystem::file_size(dir / "m.sna"), 131103u);
    }
}

TEST_F(WendalRun, ScreenshotIsA320By240Png) {
    RunResult r = Run("--frames 100 --screenshot " + File("shot.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string png = Slurp(dir / "shot.png");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint8_t(png[at + 1]) << 16 |
               uint8_t(png[at + 2]) << 8 | uint8_t(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 320u);
    EXPECT_EQ(be32(20), 240u);
}

TEST_F(WendalRun, SpeedIsReportedWithOneDecimal) {
    RunResult r = Run("--frames 50 --speed");
    ASSERT_EQ(r.status, 0) << r.err;
    // "speed: N x real time", N with exactly one decimal.
    double n = 0;
    int used = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "speed: %lf x real time\n%n", &n, &used), 1) << r.out;
    EXPECT_EQ(size_t(used), r.out.size()) << r.out;
    size_t point = r.out.find('.');
    ASSERT_NE(point, std::string::npos) << r.out;
    EXPECT_EQ(r.out.compare(point + 2, std::string::npos, " x real time\n"), 0) << r.out;
    EXPECT_GT(n, 0.0);
}

// The message names the file on its own line, with the reason.
TEST_F(WendalRun, BadFilesAreReportedWithTheirReasonAndStatusOne) {
    std::ofstream(dir / "notes.txt") << "not a Spectrum file";
    std::ofstream(dir / "short.sna") << "too short";
    // A 16-bit recording: RIFF header, format chunk (PCM, mono, 16 bits), data chunk.
    std::ofstream(dir / "deep.wav", std::ios::binary)
        << std::string("RIFF\x28\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x11\x2B\0\0"
                       "\x22\x56\0\0\x02\0\x10\0data\x04\0\0\0\0\0\0\0",
                       48);
    fs::create_directory(dir / "folder.tap");
    struct Case {
        const char* name;
        const char* reason;
    };
    for (Case c : {Case{"nothing.sna", "not found"}, Case{"notes.txt", "unknown extension"},
                   Case{"short.sna", "too short"}, Case{"nothing.tap", "not found"},
                   Case{"deep.wav", "not a recording"}, Case{"folder.tap", "not a regular file"}}) {
        RunResult r = Run("--frames 5 --screen " + File("s.scr") + " " + File(c.name));
        EXPECT_EQ(r.status, 1) << c.name;
        const std::string first = "Error reading snapshot/tape file!\n" + (dir / c.name).string();
        EXPECT_EQ(r.err.substr(0, first.size()), first) << r.err;
        EXPECT_NE(r.err.find(c.reason, first.size()), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
        EXPECT_FALSE(fs::exists(dir / "s.scr")) << c.name;
    }
}

// A tape that stops at a block it cannot play has not loaded what it holds: the run fails.
TEST_F(WendalRun, ATapeThatCannotBePlayedFailsTheRun) {
    if (BuiltinRomKind != RomKind::Standard48) GTEST_SKIP() << "keyword entry differs on this ROM";
    std::string tzx("ZXTape!\x1A\x01\x14", 10);
    tzx += std::string("\x23\x9C\xFF", 3); // a jump 100 blocks back, off the tape
    std::ofstream(dir / "jump.tzx", std::ios::binary) << tzx;
    RunResult r = Run("--frames 200 --type 'J SS+P SS+P ENTER' " + File("jump.tzx"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error reading snapshot/tape file!\n" + (dir / "jump.tzx").string() +
                         ": block 1 (0x23, jump) cannot be played\n");
}

// A run whose file cannot be loaded writes nothing: an earlier recording stays as it was.
TEST_F(WendalRun, FailedLoadLeavesAnExistingRecordingAlone) {
    std::ofstream(dir / "old.wav") << "an earlier recording";
    RunResult r = Run("--frames 5 --audio " + File("old.wav") + " " + File("nothing.sna"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir / "old.wav"), "an earlier recording");
    size_t files = 0;
    for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 3u); // old.wav, out, err: no temporary left behind
}

// A copy of the program beside a "spectrum.rom" runs that ROM: here one that stores 0x42 at the
// first screen byte and loops (DI; LD A,0x42; LD (0x4000),A; JR $).
TEST_F(WendalRun, RomBesideTheProgramIsRun) {
    fs::create_directory(dir / "bin");
    fs::copy_file(WENDAL_RUN_PATH, dir / "bin/wendal-run");
    std::string rom(16384, '\0');
    rom.replace(0, 8, "\xF3\x3E\x42\x32\x00\x40\x18\xFE", 8);
    std::ofstream(dir / "bin/spectrum.rom", std::ios::binary) << rom;
    RunResult r = Run("--frames 5 --screen " + File("s.scr"), (dir / "bin/wendal-run").string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "s.scr")[0], '\x42');
    // The same run of the program beside no ROM file is the built-in ROM's.
    RunResult builtin = Run("--frames 5 --screen " + File("b.scr"));
    ASSERT_EQ(builtin.status, 0) << builtin.err;
    EXPECT_NE(Slurp(dir / "b.scr"), Slurp(dir / "s.scr"));
}

// A FIFO named "spectrum.rom" is not opened for reading, which would wait for a writer for
// ever: the built-in ROM runs. `timeout` ends a run that hangs (status 124).
TEST_F(WendalRun, AFifoBesideTheProgramIsNotARom) {
    fs::create_directory(dir / "bin");
    fs::copy_file(WENDAL_RUN_PATH, dir / "bin/wendal-run");
    ASSERT_EQ(mkfifo((dir / "bin/spectrum.rom").c_str(), 0600), 0);
    RunResult r =
        Run("20 '" + (dir / "bin/wendal-run").string() + "' --frames 5 --screen " + File("f.scr"),
            "timeout");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(Run("--frames 5 --screen " + File("b.scr")).status, 0);
    EXPECT_EQ(Slurp(dir / "f.scr"), Slurp(dir / "b.scr"));
}

// A name of the longest length a folder takes is saved, and saved over: the temporary name
// beside it must fit too.
TEST_F(WendalRun, ANameOfTheLongestLengthIsSavedAndSavedOver) {
    const std::string name = std::string(NAME_MAX - 4, 'n') + ".sna";
    for (int k = 0; k < 2; ++k) {
        RunResult r = Run("--frames 5 --save " + File(name.c_str()));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(fs::file_size(dir / name), 49179u);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 3u); // the snapshot, out, err: no temporary left behind
}

// A write onto a full disk says why it failed. A small tmpfs, filled up, is the full disk;
// mounting one needs the administrator.
TEST_F(WendalRun, AFullDiskIsGivenAsTheReason) {
    if (geteuid() != 0) GTEST_SKIP() << "not run as root: no tmpfs can be mounted for a full disk";
    const fs::path disk = dir / "disk";
    fs::create_directory(disk);
    if (mount("wendal-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    {
        std::ofstream fill(disk / "fill", std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), std::streamsize(block.size())) && fill.flush()) {}
    }
    RunResult r = Run("--frames 5 --save " + File("disk/full.sna"));
    const bool leftover =
        fs::exists(disk / "full.sna") ||
        std::distance(fs::directory_iterator(disk), fs::directory_iterator()) != 1;
    umount(disk.c_str());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("full.sna: no space left on the device"), std::string::npos) << r.err;
    EXPECT_FALSE(leftover);
}

// After "--" an argument that starts with "-" is the file.
TEST_F(WendalRun, DoubleDashEndsTheOptions) {
    ASSERT_EQ(Run("--frames 60 --save " + File("-odd.sna")).status, 0);
    RunResult r = Run("--frames 1 --screen " + File("s.scr") + " -- -odd.sna");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "s.scr"), Slurp(dir / "-odd.sna").substr(27, 6912));
    r = Run("--frames 1 -- --frames.sna");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--frames.sna: file not found"), std::string::npos) << r.err;
}

TEST_F(WendalRun, UnwritableOutputsFailWithAMessage) {
    for (const char* option : {"--screen", "--screenshot", "--audio", "--save"}) {
        RunResult r = Run(std::string("--frames 5 ") + option + " " + Unwritable());
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_NE(r.err.find("cannot write"), std::string::npos) << option << ": " << r.err;
    }
    // An output that fails does not stop the others.
    RunResult r = Run("--frames 5 --save " + Unwritable() + " --screen " + File("s.scr"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(fs::file_size(dir / "s.scr"), 6912u);
}

// Command-line mistakes are found before anything runs or is written.
TEST_F(WendalRun, BadCommandLinesAreRefusedWithAMessage) {
    struct Case {
        const char* args;
        const char* message;
    };
    for (Case c :
         {Case{"--type 'P Q+X2 ENTER'", "unknown key \"X2\""},
          Case{"--type 'p'", "unknown key \"p\""}, Case{"--type 'A++B'", "unknown key \"\""},
          Case{"--type ' '", "at least one key"},
          Case{"--frames abc", "--frames needs a whole number"},
          Case{"--frames -1", "--frames needs a whole number"},
          Case{"--frames 12x", "--frames needs a whole number"},
          Case{"--frames 99999999999999999999", "--frames needs a whole number"},
          Case{"--type-at", "--type-at needs a value"},
          Case{"--tape-rate 8000", "11025, 22050 or 44100"},
          Case{"--tape-rate abc", "11025, 22050 or 44100"},
          Case{"--stereo bac", "--stereo is abc or acb"},
          Case{"--machine 16", "--machine is 48, 128 or plus2"},
          Case{"--machine", "--machine needs a value"},
          Case{"--frames 103 --type 'A'", "--frames is 103"},
          Case{"--colour", "unknown option --colour"}, Case{"a.sna b.sna", "only one file"}}) {
        RunResult r = Run(std::string(c.args) + " --screen " + File("s.scr"));
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.args << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir / "s.scr")) << c.args;
    }
    RunResult fits = Run("--frames 108 --type A");
    EXPECT_EQ(fits.status, 0) << fits.err;
}

// 128 BASIC's PLAY drives the sound chip: PLAY "c","e","g" sounds a C major chord from middle C
// for half a second, one note a channel (A, B, C). The recording's strongest tones are the notes'
// pitches (equal temperament, A above them at 440 Hz), within the ROM's rounding of its periods.
class PlayedChord : public WendalRun {
  protected:
    // The chord's middle 20 frames as wendal-run records them with `options`, channel by channel.
    std::vector<std::vector<double>> Record(const std::string& options) {
        // Down to 128 BASIC on the start-up menu; the SYMBOL SHIFTs give the editor time to appear.
        RunResult r = Run("--machine 128 --frames 400 --type-at 120 --type 'CS+6 ENTER SS SS SS SS "
                          "P L A Y SPACE SS+P C SS+P SS+N SS+P E SS+P SS+N SS+P G SS+P ENTER' " +
                          options + " --audio " + File("play.wav"));
        EXPECT_EQ(r.status, 0) << r.err;
        // The chord: the first frame after the typing (frame 300) where the sound swings widely.
        for (size_t frame = 300; frame + 25 <= 400; ++frame) {
            const std::vector<std::vector<double>> one = Frames("play.wav", frame, frame + 1);
            if (one.empty()) return {};
            const auto [low, high] = std::minmax_element(one[0].begin(), one[0].end());
            if (*high - *low >= 4000) return Frames("play.wav", frame + 2, frame + 22);
        }
        return {};
    }
    // The frames from `first` up to `end` of a recording, channel by channel; none when the
    // recording is shorter.
    std::vector<std::vector<double>> Frames(const char* name, size_t first, size_t end) const {
        const std::string wav = Slurp(dir / name);
        if (wav.size() < 44) return {};
        const size_t channels = uint8_t(wav[22]);
        const std::vector<int16_t> samples =
            Samples16(std::vector<uint8_t>(wav.begin(), wav.end()), 44);
        if (end * 882 * channels > samples.size()) return {};
        std::vector<std::vector<double>> sound(channels);
        for (size_t i = first * 882 * channels; i < end * 882 * channels; ++i)
            sound[i % channels].push_back(samples[i]);
        return sound;
    }
    // The `count` strongest tones, lowest first.
    static std::vector<double> Tones(const std::vector<double>& sound, size_t count) {
        std::vector<double> hertz;
        for (const SpectrumPeak& p : StrongestTones(sound, 44100, count)) hertz.push_back(p.hertz);
        std::sort(hertz.begin(), hertz.end());
        return hertz;
    }
    static double Note(int semitonesFromA) { return 440.0 * std::pow(2.0, semitonesFromA / 12.0); }
    const double c = Note(-9), e = Note(-5), g = Note(-2);
};

// A 128K .sna: the 27-byte header, banks 5, 2 and 0 (paged at 0xC000), PC, port 0x7FFD and the
// TR-DOS flag, then banks 1, 3, 4, 6 and 7. `code` goes to `at` in bank 2, interrupts off.
std::string Snapshot128(const std::string& code, uint16_t at) {
    std::string s(27 + 3 * 16384 + 4 + 5 * 16384, '\0');
    s[23] = char(0xF0), s[24] = char(0x7F); // SP 0x7FF0
    s[25] = 1;                              // IM 1
    s[26] = 7;                              // white border
    s.replace(27 + 16384 + (at - 0x8000), code.size(), code);
    const size_t extra = 27 + 3 * 16384;
    s[extra] = char(at & 0xFF), s[extra + 1] = char(at >> 8);
    s[extra + 2] = 0x10; // the 48K BASIC ROM, bank 0 at 0xC000
    return s;
}

// An assembled program (tests/data/ay_chord.asm) writes a C major chord to the chip from its
// 128K snapshot; the recording's three strongest tones are the chip's pitches for its periods,
// f = 1773400 / (16 * period), within 0.1% (the output's 50 frames of 70908 T-states a second
// make the clock 0.04% slower). Saved as a .z80 while it plays, the snapshot keeps the chip's
// registers: loaded in another run, with the program only waiting, the chord plays on.
TEST_F(PlayedChord, AnAssembledProgramsChordPlaysAndResumesFromASnapshot) {
    std::ofstream(dir / "chord.sna", std::ios::binary)
        << Snapshot128(Slurp(fs::path(WENDAL_TEST_BINARY_DIR) / "data" / "ay_chord.bin"), 0x8000);
    RunResult played = Run("--frames 60 --audio " + File("chord.wav") + " " + File("chord.sna"));
    ASSERT_EQ(played.status, 0) << played.err;
    RunResult saved = Run("--frames 20 --save " + File("mid.z80") + " " + File("chord.sna"));
    ASSERT_EQ(saved.status, 0) << saved.err;
    RunResult resumed = Run("--frames 60 --audio " + File("resumed.wav") + " " + File("mid.z80"));
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    const int periods[] = {212, 168, 141}; // C5, E5 and G5 as the program writes them
    for (const char* wav : {"chord.wav", "resumed.wav"}) {
        const std::vector<std::vector<double>> sound = Frames(wav, 10, 60);
        ASSERT_EQ(sound.size(), 1u) << wav;
        const std::vector<double> tones = Tones(sound[0], 3);
        ASSERT_EQ(tones.size(), 3u) << wav;
        for (int i = 0; i < 3; ++i) {
            const double expected = 1773400.0 / (16.0 * periods[i]);
            EXPECT_NEAR(tones[size_t(i)], expected, expected * 0.001) << wav << " tone " << i;
            std::printf("%s tone %d: period %d, %.2f Hz measured, %.2f Hz by the formula\n", wav, i,
                        periods[i], tones[size_t(i)], expected);
        }
    }
}

TEST_F(PlayedChord, The128KRomPlaysAChordOnTheSoundChip) {
    const std::vector<std::vector<double>> chord = Record("");
    ASSERT_EQ(chord.size(), 1u) << "no chord heard, or not in mono";
    const std::vector<double> tones = Tones(chord[0], 3);
    const double notes[] = {c, e, g};
    ASSERT_EQ(tones.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(tones[size_t(i)], notes[i], notes[i] * 0.005) << "note " << i;
        std::printf("PLAY note %d: %.2f Hz measured, %.2f Hz equal-tempered\n", i, tones[size_t(i)],
                    notes[i]);
    }
}

// In stereo A-C-B the left hears channels A and C, the right B and C: c and g on the left, e and
// g on the right.
TEST_F(PlayedChord, StereoPlacesTheChipsChannels) {
    const std::vector<std::vector<double>> chord = Record("--stereo acb");
    ASSERT_EQ(chord.size(), 2u) << "no chord heard, or not in stereo";
    const std::vector<double> left = Tones(chord[0], 2), right = Tones(chord[1], 2);
    ASSERT_EQ(left.size(), 2u);
    ASSERT_EQ(right.size(), 2u);
    EXPECT_NEAR(left[0], c, c * 0.005);
    EXPECT_NEAR(left[1], g, g * 0.005);
    EXPECT_NEAR(right[0], e, e * 0.005);
    EXPECT_NEAR(right[1], g, g * 0.005);
}

} // namespace

#endif
