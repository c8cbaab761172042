// The loader by file name, on the bytes in memory: the first byte picks the extension, known or
// not, the rest is the file. A refused file leaves the machine as it was; a snapshot ejects the
// tape and leaves the ROM alone; a tape or recording changes nothing in the machine until it plays;
// the loader trap asked for a block (flag, start and length from the input's last five bytes)
// writes only inside that block's addresses and never below 0x4000; then the tape plays.
#include "fuzz/fuzz_harness.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/snapshot.h"

struct Extension {
    const char* name;
    enum { Unknown, Snapshot, Tape } kind;
};

static const Extension Extensions[] = {
    {".sna", Extension::Snapshot},    {".SNA", Extension::Snapshot}, {".tap", Extension::Tape},
    {".TAP", Extension::Tape},        {".wav", Extension::Tape},     {".WAV", Extension::Tape},
    {".raw", Extension::Tape},        {".RAW", Extension::Tape},     {".z80", Extension::Snapshot},
    {".Z80", Extension::Snapshot},    {".tzx", Extension::Tape},     {".TZX", Extension::Tape},
    {"", Extension::Unknown},         {".", Extension::Unknown},     {".Sna", Extension::Unknown},
    {".sna.txt", Extension::Unknown}, {".tapx", Extension::Unknown}, {".wa", Extension::Unknown},
    {".bin", Extension::Unknown},     {".z81", Extension::Unknown},  {".csw", Extension::Tape},
    {".CSW", Extension::Tape},        {".pzx", Extension::Tape},     {".PZX", Extension::Tape},
};
constexpr size_t ExtensionCount = sizeof Extensions / sizeof Extensions[0];

constexpr int PlayFrames = 3;

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const Extension& ext = Extensions[data[0] % ExtensionCount];
    PutState(StartState(0));
    // A tape is in the recorder beforehand, so that ejecting it shows.
    FUZZ_CHECK(LoadFileBytes("old.tap", nullptr, 0));
    const std::string name = std::string("file") + ext.name;

    TakeState(Before);
    LastLoadError = LoadError::None;
    const bool loaded = LoadFileBytes(name.c_str(), data + 1, size - 1);
    if (!loaded) {
        FUZZ_CHECK(LastLoadError != LoadError::None);
        FUZZ_CHECK(SameState(Before));
    } else if (ext.kind == Extension::Snapshot) {
        FUZZ_CHECK(!CurrentTape);
        if (IsPagedMachine()) LoadRom(); // the switch put its ROMs in with the tape's trap
        FUZZ_CHECK(RomIsTheMachinesOwn(Before));
    } else {
        FUZZ_CHECK(ext.kind == Extension::Tape && CurrentTape);
        FUZZ_CHECK(SameState(Before));
        if (size >= 6) CheckTrapLoad(data + size - 5, TapeTrap);
        // Played for a few frames: the pulses of a .tzx or the samples of a recording.
        LoadRom();
        PlayTape();
        for (int frame = 0; frame < PlayFrames; ++frame) FuzzFrame();
    }
    CloseTape();
    return 0;
}
