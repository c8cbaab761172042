// The speaker: each frame's BeeperLog turned into 20 ms of 44100 Hz sound on the wave output,
// with a playing tape recording and, on a machine that has it, the sound chip mixed in.
#pragma once
#include <cstdint>

extern uint8_t SoundOn;      // the main loop feeds the sound output after each frame
extern uint8_t SpeakerLevel; // 0 or 1, the level of the last event played; carries over frames
extern uint32_t SoundFramesDropped; // frames whose sound found every block still playing

// Opens the wave output with "Sound Buffers" blocks, that setting first kept within 1 to 50, in
// stereo when "AY Stereo" asks for it (kept within 0 to 2). Closes an output that is still open
// first.
bool OpenSound();
// Discards queued sound and closes the output; nothing happens when it is not open.
void CloseSound();
// Queues this frame's 882 frames of sound in the lowest-numbered free block; drops them when
// every block is still playing. Call after FrameEnd and before BeeperLog.count is reset.
void PlayFrameSound();
// A frame whose sound is not played: the chip takes its register writes all the same.
void SkipFrameSound();
