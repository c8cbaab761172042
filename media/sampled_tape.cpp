#include "media/sampled_tape.h"

#include <climits>

#include "media/tape.h"

uint32_t TapeRate = 11025;
uint32_t TapeBlock = 2;
uint32_t BytesPerFrame = 221;

// Extra samples read beyond a frame's share, for the last instruction running past its end.
constexpr uint32_t OvershootSamples = 32;

bool OpenSampledTape(const char* path) {
    if (!InsertTape(path, SampledTape)) return false;
    TapeBlock = 2;
    TapePlaying = 1;
    SetTapeRate();
    return true;
}

// Fixed pairs: BytesPerFrame x TStatesPerSample = 69836 T-states at every rate, and 50 frames
// take 11050, 22100 or 44200 samples a second.
void SetTapeRate() {
    switch (TapeRate) {
    case 11025: BytesPerFrame = 221, TStatesPerSample = 316, SoundShift = 2; break;
    case 22050: BytesPerFrame = 442, TStatesPerSample = 158, SoundShift = 1; break;
    default: BytesPerFrame = 884, TStatesPerSample = 79, SoundShift = 0; break;
    }
}

bool SampledTapeIsPlaying() { return CurrentTape && TapeKind == SampledTape && TapePlaying; }

void TapeFrameStep() {
    if (!SampledTapeIsPlaying()) return;
    const uint64_t position = uint64_t(BytesPerFrame) * TapeBlock;
    if (TapeLength < position || position > uint64_t(LONG_MAX)) {
        TapePlaying = 0; // the recording has ended; the buffer keeps its last samples
        return;
    }
    // Near the end fewer bytes arrive; the rest of the buffer keeps the previous frame's.
    if (std::fseek(CurrentTape, long(position), SEEK_SET) == 0)
        std::fread(TapeFrameBuffer, 1, BytesPerFrame + OvershootSamples, CurrentTape);
    ++TapeBlock;
}
