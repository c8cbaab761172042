// Plays every block at once (unless held) and records the stream into a WAV file.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_replacement.h"
#include "platform/headless/headless.h"
#include "platform/wave_output.h"

constexpr uint32_t WavHeaderBytes = 44;
constexpr uint32_t MaxDataBytes = 0xFFFFFFFFu - (WavHeaderBytes - 8); // RIFF size is 32-bit

static std::string RecordPath;
static FileReplacement Recording; // open while recording
static uint32_t DataBytes = 0;
static bool RecordingOk = true;
static bool IsOpen = false;
static bool Hold = false;
static bool Done[WaveSlots];
static uint32_t BlocksQueued = 0;
static int Channels = 1;
static int16_t LastBlock[WaveBlockFrames * WaveMaxChannels];
static uint8_t BlockBytes[WaveBlockFrames * WaveMaxChannels * 2]; // a block as the file holds it

static void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
static void Put32(uint8_t* p, uint32_t v) { Put16(p, v), Put16(p + 2, v >> 16); }

static uint32_t BlockByteCount() { return uint32_t(WaveBlockFrames * Channels * 2); }

// The 44-byte header of a PCM file: 44100 Hz, 16-bit signed, the output's channels.
static bool WriteHeader(std::FILE* f, uint32_t dataBytes) {
    const uint32_t frameBytes = uint32_t(2 * Channels);
    uint8_t h[WavHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, dataBytes + WavHeaderBytes - 8);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16); // format chunk size
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, uint32_t(Channels));
    Put32(h + 24, WaveRate);              // frames per second
    Put32(h + 28, WaveRate * frameBytes); // bytes per second
    Put16(h + 32, frameBytes);            // bytes a frame
    Put16(h + 34, 16);                    // bits per sample
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, dataBytes);
    return std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

static void DropRecording() {
    FinishFileReplacement(Recording, false);
    RecordingOk = false;
}

bool WaveOpen(int channels) {
    if (IsOpen) WaveClose();
    Channels = channels == 2 ? 2 : 1;
    RecordingOk = true;
    DataBytes = 0;
    if (!RecordPath.empty()) {
        if (!BeginFileReplacement(RecordPath.c_str(), Recording)) {
            RecordingOk = false;
            return false;
        }
        if (!WriteHeader(Recording.file, 0)) {
            DropRecording();
            return false;
        }
    }
    for (bool& d : Done) d = true;
    BlocksQueued = 0;
    IsOpen = true;
    return true;
}

void WaveQueue(int slot, const int16_t* block) {
    if (!IsOpen || slot < 0 || slot >= WaveSlots) return;
    const int samples = WaveBlockFrames * Channels;
    std::memcpy(LastBlock, block, size_t(samples) * sizeof *block);
    ++BlocksQueued;
    Done[slot] = !Hold;
    if (!Recording.file) return;
    for (int i = 0; i < samples; ++i)
        Put16(BlockBytes + 2 * i, uint16_t(block[i])); // little-endian
    const uint32_t bytes = BlockByteCount();
    if (DataBytes > MaxDataBytes - bytes ||
        std::fwrite(BlockBytes, 1, bytes, Recording.file) != size_t(bytes)) {
        DropRecording();
        return;
    }
    DataBytes += bytes;
}

bool WaveSlotDone(int slot) { return slot < 0 || slot >= WaveSlots || Done[slot]; }

void WaveReset() {
    for (bool& d : Done) d = true;
}

void WaveClose() {
    if (!IsOpen) return;
    WaveReset();
    IsOpen = false;
    if (!Recording.file) return;
    if (!FinishFileReplacement(Recording, WriteHeader(Recording.file, DataBytes)))
        RecordingOk = false;
}

void HeadlessWaveRecordTo(const char* path) { RecordPath = path ? path : ""; }
void HeadlessWaveDiscard() {
    if (Recording.file) FinishFileReplacement(Recording, false);
}
bool HeadlessWaveRecordingOk() { return RecordingOk; }
void HeadlessWaveHold(bool hold) { Hold = hold; }
void HeadlessWaveFinishAll() { WaveReset(); }
uint32_t HeadlessWaveBlocksQueued() { return BlocksQueued; }
const int16_t* HeadlessWaveLastBlock() { return LastBlock; }
int HeadlessWaveChannels() { return Channels; }
