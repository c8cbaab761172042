// A recording: the .wav header reader on the bytes, then the bytes as a tape in the recorder,
// as a .wav when its header reads and as a headerless .raw otherwise, played for some frames.
#include "fuzz/fuzz_harness.h"
#include "media/load_file.h"
#include "media/sampled_tape.h"

constexpr int PlayFrames = 6;
constexpr size_t HeaderBytes = 4096; // what the opener reads of a .wav for its header

static MachineState Before;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutState(StartState(100));
    TapeRate = 11025;
    uint32_t rate = 0;
    const bool wave = ReadWaveHeader(data, size < HeaderBytes ? size : HeaderBytes, rate);

    TakeState(Before);
    const bool opened = LoadFileBytes("tape.wav", data, size);
    FUZZ_CHECK(opened == wave);
    FUZZ_CHECK(SameState(Before));
    if (!opened) {
        FUZZ_CHECK(!CurrentTape && !SampledTapeIsPlaying());
        FUZZ_CHECK(LoadFileBytes("tape.raw", data, size)); // any bytes play as .raw
    }
    FUZZ_CHECK(TapeRate == 11025 || TapeRate == 22050 || TapeRate == 44100);
    FUZZ_CHECK(uint64_t(BytesPerFrame) * TStatesPerSample <= MachineFrameTStates);
    FUZZ_CHECK(TapeLength == size);
    for (int frame = 0; frame < PlayFrames; ++frame) FuzzFrame();
    // Playing stops once a frame block would start past the end.
    FUZZ_CHECK(TapeBlock <= 2 + PlayFrames);
    if (SampledTapeIsPlaying()) FUZZ_CHECK(uint64_t(BytesPerFrame) * (TapeBlock - 1) <= size);
    CloseTape();
    return 0;
}
