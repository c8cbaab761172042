// The tape in the machine's recorder: a TAP image read block by block through the loader trap,
// a sampled recording played into the EAR input (media/sampled_tape.h), or a pulse tape (.tzx,
// .csw, .pzx) played as pulses, a .tzx read through the trap where it can be
// (media/tzx_player.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/io_bus.h"

// What is in the recorder. At most one tape is open; it stays open until it is replaced,
// ejected, or a snapshot is loaded or saved.
constexpr uint8_t TapeImage = 0;   // TapeKind of a .tap image
constexpr uint8_t SampledTape = 1; // TapeKind of a .wav or .raw recording
constexpr uint8_t TzxTape = 2;     // TapeKind of a pulse tape: .tzx, .csw or .pzx
extern std::FILE* CurrentTape;     // nullptr when the recorder is empty
extern uint8_t TapeKind;           // TapeImage, SampledTape or TzxTape
extern uint32_t TapeLength;        // file length in bytes, taken when the tape was opened

// The tape openers take over a file opened for reading (a regular file, or bytes in memory):
// it stays open as the tape, or is closed when refused. Any tape open before is closed,
// whether or not the new one goes in.
// Makes the file the current TAP image. The caller reloads the ROM so that the loader trap is
// placed.
bool OpenTapeImage(std::FILE* file);
// Makes the file the current tape of the given kind (shared by the openers).
bool InsertTape(std::FILE* file, uint8_t kind);
// Empties the recorder (eject). Nothing happens when no tape is open.
void CloseTape();
// Back to the start of the tape; a recording restarts at its first frame block. Whether a
// recording plays is not changed.
void RewindTape();
// Play and Stop for a recording or a pulse tape; a TAP image is only ever read through the trap.
void PlayTape();
void StopTape();
// A tape that plays by itself (a recording or a pulse tape) rather than only through the trap.
bool TapePlaysInRealTime();
// How far the tape has been read, 0 to 1000 of its length (0 for an empty file or none open).
int TapePositionPermille();
// After the machine has changed: the tape's samples take the new frame's T-states.
void RetimeTape();
// Once per frame, after FrameEnd: a playing recording's or .tzx's signal for the next frame.
void TapeFrameStep();
// TapeTrap, the loader trap, is declared with the processor's other calls in core/io_bus.h.
// The trap over a TAP image in memory: reads the block whose length word is at `position` and
// leaves `position` just past it (at most `size`). Bytes past `size` read as 0xFF.
uint8_t TapeTrapBytes(const uint8_t* tape, size_t size, size_t& position, uint8_t flag,
                      uint16_t start, uint16_t length);
