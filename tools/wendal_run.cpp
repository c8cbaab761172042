// wendal-run: runs the machine without a window for a number of frames, typing keys on the way,
// and writes what was asked for at the end. Exit status 0 when everything asked for was done,
// 1 when a file could not be read or written or a tape stopped at a block it cannot play, 2 for
// a bad command line.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/headless/headless.h"
#include "tools/key_chords.h"

namespace {

constexpr int HoldFrames = 4; // each typed chord is held this long, then released as long
constexpr uint32_t MaxFrames = 100'000'000; // about 23 days of Spectrum time
constexpr int FrameWidth = 320, FrameHeight = 240;

const char Usage[] =
    "usage: wendal-run [options] [--] [FILE]\n"
    "Runs the Spectrum without a window, on its ROM or on FILE (.sna, .z80, .tap, .tzx, .csw,\n"
    ".pzx, .wav, .raw). A .tzx, .csw or .pzx starts when the ROM's loader asks for it (at once\n"
    "under a spectrum.rom); one that stops at a block it cannot play makes the exit status 1.\n"
    "A \"spectrum.rom\" beside the program replaces the built-in ROM. -- ends the options.\n"
    "  --machine M       the machine: 48 (the default), 128 or plus2 (the +2)\n"
    "  --frames N        frames to run (default 250, 50 a second of Spectrum time)\n"
    "  --type KEYS       type key chords, e.g. \"J SS+P SS+P ENTER\"; keys are A-Z, 0-9, ENTER,\n"
    "                    SPACE, CS (CAPS SHIFT), SS (SYMBOL SHIFT); each chord is held 4 frames\n"
    "  --type-at F       frame at which typing starts (default 100)\n"
    "  --autoload        when FILE is a tape, reset and type LOAD \"\" (the 48K) or choose Tape\n"
    "                    Loader (the 128K, the +2), then start a recording\n"
    "  --tape-rate HZ    sampling rate of a .raw recording: 11025 (default), 22050, 44100;\n"
    "                    a .wav header naming one of these rates overrides it\n"
    "  --screen FILE     write the 6912 bytes of screen memory at the end\n"
    "  --screenshot FILE write the final frame as a 320 x 240 PNG\n"
    "  --audio FILE      record the sound as a 44100 Hz 16-bit WAV, mono unless --stereo\n"
    "  --stereo ORDER    the 128K's sound chip in stereo, its channels from left to right\n"
    "                    abc (A-B-C) or acb (A-C-B); the beeper in the middle\n"
    "  --save FILE       save a snapshot at the end (.z80 if FILE ends so, else .sna)\n"
    "  --text            print the text on the screen at the end\n"
    "  --speed           print the speed against real time at the end\n"
    "  --help, -h        print this and end\n"
    "  --version, -v     print the program's version and end\n";

struct Options {
    const char* file = nullptr;
    SpectrumModel machine = SpectrumModel::Spectrum48;
    uint8_t stereo = 0; // "AY Stereo": 0 mono, 1 A-B-C, 2 A-C-B
    uint32_t frames = 250;
    uint32_t typeAt = 100;
    uint32_t tapeRate = 11025;
    KeyChords chords; // PC keys held together, chord by chord
    const char* screen = nullptr;
    const char* screenshot = nullptr;
    const char* audio = nullptr;
    const char* save = nullptr;
    bool text = false;
    bool speed = false;
    bool autoload = false;
};

bool ParseCount(const char* option, const char* text, uint32_t& value) {
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (!*text || *text < '0' || *text > '9' || *end || errno || v > MaxFrames) {
        std::fprintf(stderr, "wendal-run: %s needs a whole number from 0 to %u, not \"%s\"\n",
                     option, unsigned(MaxFrames), text);
        return false;
    }
    value = uint32_t(v);
    return true;
}

// The chords of --type, or a message on standard error.
bool ParseTypedChords(const char* text, KeyChords& chords) {
    std::string error;
    if (ParseChords(text, chords, error)) return true;
    std::fprintf(stderr, "wendal-run: %s\n", error.c_str());
    return false;
}

// The machine of --machine, or a message on standard error.
bool ParseMachine(const char* text, SpectrumModel& machine) {
    static const struct {
        const char* name;
        SpectrumModel kind;
    } names[] = {{"48", SpectrumModel::Spectrum48},
                 {"128", SpectrumModel::Spectrum128},
                 {"plus2", SpectrumModel::Plus2}};
    for (const auto& n : names)
        if (!std::strcmp(text, n.name)) {
            machine = n.kind;
            return true;
        }
    std::fprintf(stderr, "wendal-run: --machine is 48, 128 or plus2, not \"%s\"\n", text);
    return false;
}

// The channel order of --stereo, or a message on standard error.
bool ParseStereo(const char* text, uint8_t& stereo) {
    stereo = !std::strcmp(text, "abc") ? 1 : !std::strcmp(text, "acb") ? 2 : 0;
    if (stereo) return true;
    std::fprintf(stderr, "wendal-run: --stereo is abc or acb, not \"%s\"\n", text);
    return false;
}

// 0 to go on, otherwise the exit status (2 for a bad command line, -1 for 0 after --help or
// --version).
int ParseOptions(int argc, char** argv, Options& o) {
    bool optionsEnded = false; // after "--" every argument is a file name
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && !std::strcmp(arg, "--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
            if (o.file) {
                std::fprintf(stderr,
                             "wendal-run: only one file can be loaded (\"%s\" and \"%s\")\n",
                             o.file, arg);
                return 2;
            }
            o.file = arg;
            continue;
        }
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            std::fputs(Usage, stdout);
            return -1;
        }
        if (!std::strcmp(arg, "--version") || !std::strcmp(arg, "-v")) {
            std::printf("wendal-run %s\n", WENDAL_VERSION);
            return -1;
        }
        if (!std::strcmp(arg, "--text")) {
            o.text = true;
            continue;
        }
        if (!std::strcmp(arg, "--speed")) {
            o.speed = true;
            continue;
        }
        if (!std::strcmp(arg, "--autoload")) {
            o.autoload = true;
            continue;
        }
        static const char* const withValue[] = {
            "--machine", "--frames",     "--type",  "--type-at", "--tape-rate",
            "--screen",  "--screenshot", "--audio", "--stereo",  "--save"};
        bool known = false;
        for (const char* name : withValue) known = known || !std::strcmp(arg, name);
        if (!known) {
            std::fprintf(stderr, "wendal-run: unknown option %s (--help lists them)\n", arg);
            return 2;
        }
        // A value never starts with "--": that is the next option, the value was left out.
        if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) {
            std::fprintf(stderr, "wendal-run: %s needs a value\n", arg);
            return 2;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (!std::strcmp(arg, "--frames"))
            ok = ParseCount(arg, value, o.frames);
        else if (!std::strcmp(arg, "--type-at"))
            ok = ParseCount(arg, value, o.typeAt);
        else if (!std::strcmp(arg, "--type"))
            ok = ParseTypedChords(value, o.chords);
        else if (!std::strcmp(arg, "--machine"))
            ok = ParseMachine(value, o.machine);
        else if (!std::strcmp(arg, "--stereo"))
            ok = ParseStereo(value, o.stereo);
        else if (!std::strcmp(arg, "--tape-rate")) {
            ok = !std::strcmp(value, "11025") || !std::strcmp(value, "22050") ||
                 !std::strcmp(value, "44100");
            if (ok)
                o.tapeRate = uint32_t(std::atoi(value));
            else
                std::fprintf(stderr,
                             "wendal-run: --tape-rate is 11025, 22050 or 44100, not "
                             "\"%s\"\n",
                             value);
        } else if (!*value) {
            std::fprintf(stderr, "wendal-run: %s needs a file name\n", arg);
            ok = false;
        } else if (!std::strcmp(arg, "--screen"))
            o.screen = value;
        else if (!std::strcmp(arg, "--screenshot"))
            o.screenshot = value;
        else if (!std::strcmp(arg, "--audio"))
            o.audio = value;
        else
            o.save = value;
        if (!ok) return 2;
    }
    uint64_t typingEnds = o.typeAt + uint64_t(2 * HoldFrames) * o.chords.size();
    if (!o.chords.empty() && typingEnds > o.frames) {
        std::fprintf(stderr,
                     "wendal-run: the typed keys need frames %u to %llu, but --frames is %u\n",
                     unsigned(o.typeAt), (unsigned long long)typingEnds, unsigned(o.frames));
        return 2;
    }
    return 0;
}

// The PC keys down during frame `frame`: the chord whose held frames include it, or none.
void SetTypedKeys(const Options& o, uint32_t frame) {
    HeadlessReleaseAllKeys();
    if (o.chords.empty() || frame < o.typeAt) return;
    uint64_t step = (frame - o.typeAt) / HoldFrames;
    if (step % 2 != 0 || step / 2 >= o.chords.size()) return;
    for (uint8_t vk : o.chords[size_t(step / 2)]) HeadlessKeyDown(vk, true);
}

// The folder of this program's file, where a "spectrum.rom" may lie beside it.
std::string ExecutableFolder(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty()) program = fs::absolute(argv0 ? argv0 : "", ec);
    return ec ? std::string() : program.parent_path().string();
}

// One line for an output that could not be written, with the reason when it is known.
void ReportUnwritable(const char* what, const char* path) {
    std::fprintf(stderr, "wendal-run: cannot write the %s %s%s%s\n", what, path,
                 *FileProblem() ? ": " : "", FileProblem());
}

alignas(4) uint8_t FramePixels[FrameWidth * FrameHeight * 4]; // the last frame, 32-bit

// The machine started as the desktop starts it, with the headless devices and a 32-bit frame.
bool Start(const Options& o, const char* argv0) {
    // Without an audio file nothing would hear the sound, so none is made.
    HeadlessWaveRecordTo(o.audio);
    SetEngineSetting(EngineSetting::AyStereo, o.stereo);
    const MachineStarted started =
        StartMachine(ExecutableFolder(argv0), o.audio != nullptr, o.machine);
    if (!started.unavailable.empty()) {
        std::fprintf(stderr, "wendal-run: the %s is unavailable: %s\n", ModelName(o.machine),
                     started.unavailable.c_str());
        return false;
    }
    SetPixelFormat(PixelFormat{32, 0, 0xFF0000, 0x00FF00, 0x0000FF});
    if (o.audio && !started.soundOpen) {
        ReportUnwritable("audio file", o.audio);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (int status = ParseOptions(argc, argv, o)) return status < 0 ? 0 : status;
    if (!Start(o, argc > 0 ? argv[0] : nullptr)) return 1;
    if (o.file) {
        SetRecordingRate(o.tapeRate);
        const MediaLoaded loaded = LoadMedia(o.file, o.autoload);
        if (!loaded.ok) {
            std::fprintf(stderr, "Error reading snapshot/tape file!\n%s: %s\n", o.file,
                         loaded.why.c_str());
            HeadlessWaveDiscard(); // a run that failed writes nothing
            CloseSound();
            return 1;
        }
    }

    const FrameTarget target{PictureWriter(32, PictureSize::Single), FramePixels, FrameWidth * 4};
    auto start = std::chrono::steady_clock::now();
    for (uint32_t frame = 0; frame < o.frames; ++frame) {
        SetTypedKeys(o, frame);
        RunFrame(target);
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    // A tape that stopped at a block it cannot play did not load what follows that block.
    int status = 0;
    const TapeStatus tape = CurrentTapeStatus();
    if (tape.stops) {
        std::fprintf(stderr, "Error reading snapshot/tape file!\n%s: %s\n", o.file,
                     tape.stopReason);
        status = 1;
    }
    CloseSound();
    if (o.audio && !HeadlessWaveRecordingOk()) {
        ReportUnwritable("audio file", o.audio);
        status = 1;
    }
    if (o.screen && !SaveScreenMemory(o.screen)) {
        ReportUnwritable("screen file", o.screen);
        status = 1;
    }
    if (o.screenshot && !SaveScreenPicture(o.screenshot, 1)) {
        ReportUnwritable("screenshot", o.screenshot);
        status = 1;
    }
    if (o.save && !SaveFile(o.save)) {
        ReportUnwritable("snapshot", o.save);
        status = 1;
    }
    if (o.text) std::fputs(ScreenText().c_str(), stdout);
    if (o.speed) {
        double seconds = elapsed.count() > 0 ? elapsed.count() : 1e-9;
        std::printf("speed: %.1f x real time\n", o.frames / 50.0 / seconds);
    }
    return status;
}
