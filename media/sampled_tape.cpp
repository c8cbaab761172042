#include "media/sampled_tape.h"

#include <climits>
#include <cstring>

#include "media/load_error.h"
#include "media/tape.h"

uint32_t TapeRate = 11025;
uint32_t TapeBlock = 2;
uint32_t BytesPerFrame = 221;

// Extra samples read beyond a frame's share, for the last instruction running past its end.
constexpr uint32_t OvershootSamples = 32;

static uint32_t Le16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
static uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

// Walks the chunks of a RIFF/WAVE file of `size` bytes up to its data chunk, whatever lies
// before it and however long, through `read(offset, bytes, count)`, which is false when the
// bytes cannot be had. True for a format chunk of 8-bit mono PCM before a data chunk that is not
// empty; `rate` is then the format's samples a second.
template <class Read> static bool WalkWaveChunks(uint64_t size, Read read, uint32_t& rate) {
    uint8_t head[12];
    if (size < 12 || !read(0, head, 12) || std::memcmp(head, "RIFF", 4) ||
        std::memcmp(head + 8, "WAVE", 4))
        return false;
    bool playable = false; // a format chunk for 8-bit mono PCM has been seen
    uint64_t at = 12;
    while (at + 8 <= size) {
        uint8_t chunk[8];
        if (!read(at, chunk, 8)) return false;
        const uint32_t length = Le32(chunk + 4);
        if (!std::memcmp(chunk, "data", 4)) return playable && length > 0;
        if (!std::memcmp(chunk, "fmt ", 4)) {
            if (length < 16 || at + 8 + 16 > size) return false;
            uint8_t fmt[26]; // the plain form's 16 bytes, the extensible form's GUID start
            const bool extensible = length >= 40 && at + 8 + sizeof fmt <= size;
            if (!read(at + 8, fmt, extensible ? sizeof fmt : 16)) return false;
            uint32_t format = Le16(fmt);
            // The extensible form names its real format in the first word of a GUID.
            if (format == 0xFFFE && extensible) format = Le16(fmt + 24);
            playable = format == 1 && Le16(fmt + 2) == 1 && Le16(fmt + 14) == 8;
            rate = Le32(fmt + 4);
        }
        at += 8 + uint64_t(length) + (length & 1); // chunks are padded to an even length
    }
    return false; // no sound data within the file
}

bool ReadWaveHeader(const uint8_t* data, size_t size, uint32_t& rate) {
    if (!data) return false;
    auto read = [data](uint64_t offset, uint8_t* bytes, size_t count) {
        std::memcpy(bytes, data + offset, count); // the walk stays within `size`
        return true;
    };
    return WalkWaveChunks(size, read, rate);
}

bool OpenSampledTape(std::FILE* file, bool waveHeader) {
    if (!InsertTape(file, SampledTape)) return false;
    if (waveHeader) {
        auto read = [](uint64_t offset, uint8_t* bytes, size_t count) {
            return offset <= uint64_t(LONG_MAX) &&
                   std::fseek(CurrentTape, long(offset), SEEK_SET) == 0 &&
                   std::fread(bytes, 1, count, CurrentTape) == count;
        };
        uint32_t rate = 0;
        if (!WalkWaveChunks(TapeLength, read, rate)) {
            CloseTape();
            LastLoadError = LoadError::NotPlayable;
            return false;
        }
        if (rate == 11025 || rate == 22050 || rate == 44100) TapeRate = rate;
        std::rewind(CurrentTape);
    }
    TapeBlock = 2;
    TapePlaying = 1;
    SetTapeRate();
    return true;
}

// Fixed pairs: BytesPerFrame x TStatesPerSample = 69836 T-states at every rate on the 48K and
// 70720 on the 128K, and 50 frames take 11050, 22100 or 44200 samples a second.
void SetTapeRate() {
    const uint32_t t = SoundSampleTStates();
    switch (TapeRate) {
    case 11025: BytesPerFrame = 221, TStatesPerSample = 4 * t, SoundShift = 2; break;
    case 22050: BytesPerFrame = 442, TStatesPerSample = 2 * t, SoundShift = 1; break;
    default: BytesPerFrame = 884, TStatesPerSample = t, SoundShift = 0; break;
    }
}

bool SampledTapeIsPlaying() { return CurrentTape && TapeKind == SampledTape && TapePlaying; }

void SampledTapeFrameStep() {
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
