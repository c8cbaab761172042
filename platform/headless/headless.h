// Controls of the headless devices, for the batch runner and the tests: a keyboard pressed by
// calls, a sound output that records into a WAV file, a controller that is there only when set.
#pragma once
#include <cstdint>

#include "platform/game_controller.h"

// ---- Keyboard: nothing is down until pressed here --------------------------------------------
void HeadlessKeyDown(uint8_t vk, bool down);
void HeadlessReleaseAllKeys();

// ---- Wave output ------------------------------------------------------------------------------
// The file that the next WaveOpen records into (44100 Hz signed 16-bit WAV of the output's
// channels); empty or null
// records nothing. The file is written under a temporary name and put in place by WaveClose, so
// a failed recording never replaces an existing file.
void HeadlessWaveRecordTo(const char* path);
// Abandons the recording in progress: its temporary file is deleted and an existing file of
// that name is left as it was, whatever WaveClose does afterwards.
void HeadlessWaveDiscard();
// True unless the last recording failed (its file could not be created, written or completed).
bool HeadlessWaveRecordingOk();
// While held, queued blocks stay playing until released; otherwise they finish at once.
void HeadlessWaveHold(bool hold);
void HeadlessWaveFinishAll();
// Blocks queued since the output was opened, a copy of the last one (882 frames), and the
// channels the output was opened with.
uint32_t HeadlessWaveBlocksQueued();
const int16_t* HeadlessWaveLastBlock();
int HeadlessWaveChannels();

// ---- Game controller: absent until set -------------------------------------------------------
void HeadlessControllerSet(const ControllerRangeRecord& range,
                           const ControllerPositionRecord& position);
// Keeps the controller present but makes it fail to answer reads (unplugged mid-run).
void HeadlessControllerSilence(bool silent);
void HeadlessControllerRemove();
