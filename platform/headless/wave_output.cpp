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
static uint8_t LastBlock[WaveBlockBytes];

static void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
static void Put32(uint8_t* p, uint32_t v) { Put16(p, v), Put16(p + 2, v >> 16); }

// The 44-byte header of a PCM file: 44100 Hz, 1 channel, 8 bits.
static bool WriteHeader(std::FILE* f, uint32_t dataBytes) {
    uint8_t h[WavHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, dataBytes + WavHeaderBytes - 8);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);       // format chunk size
    Put16(h + 20, 1);        // PCM
    Put16(h + 22, 1);        // channels
    Put32(h + 24, WaveRate); // samples per second
    Put32(h + 28, WaveRate); // bytes per second
    Put16(h + 32, 1);        // block alignment
    Put16(h + 34, 8);        // bits per sample
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, dataBytes);
    return std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

static void DropRecording() {
    FinishFileReplacement(Recording, false);
    RecordingOk = false;
}

bool WaveOpen() {
    if (IsOpen) WaveClose();
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

void WaveQueue(int slot, const uint8_t* block) {
    if (!IsOpen || slot < 0 || slot >= WaveSlots) return;
    std::memcpy(LastBlock, block, WaveBlockBytes);
    ++BlocksQueued;
    Done[slot] = !Hold;
    if (!Recording.file) return;
    if (DataBytes > MaxDataBytes - WaveBlockBytes ||
        std::fwrite(block, 1, WaveBlockBytes, Recording.file) != size_t(WaveBlockBytes)) {
        DropRecording();
        return;
    }
    DataBytes += WaveBlockBytes;
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
const uint8_t* HeadlessWaveLastBlock() { return LastBlock; }
