// Pulse tapes in the recorder: a .tzx, .csw or .pzx tape played into the EAR input as pulses
// timed in T-states; where the ROM's loader asks for a block while a .tzx's standard-speed block
// is next, that block is read at once through the loader trap as from a TAP image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

enum class PulseFormat : uint8_t { Tzx, Csw, Pzx };

// Makes the file the current tape (taken over as InsertTape takes it, media/tape.h), stopped at
// its start. The ROM's loader starts it (through the trap), as Play does.
bool OpenPulseTape(std::FILE* file, PulseFormat format);
// The same from bytes in memory (copied), for a tape already inserted as TzxTape or for tests.
bool LoadPulseTapeBytes(const uint8_t* data, size_t size, PulseFormat format);
// Forgets the tape and gives the EAR input back to the port.
void ForgetTzx();

// Play and Stop from this T-state of the current frame.
void PlayTzx();
void StopTzx();
// Back to the start; playing or not is kept.
void RewindTzx();
// How far the tape has been played, 0 to 1000 of its length in bytes.
int TzxPositionPermille();
// Once per frame, after FrameEnd: the next frame's edges and sound samples.
void TzxFrameStep();
// The loader trap for a pulse tape (see TapeTrap in core/io_bus.h): TrapLoaded or TrapFailed
// when the next .tzx block that carries data is a standard-speed one, else TrapDeclined, so
// that the ROM's own loader reads the pulses. Starts the tape if it was stopped.
uint8_t TzxTrap(uint8_t flag, uint16_t start, uint16_t length);

// Why the tape last stopped by itself at a block it cannot play, e.g. "block 7 (0x18, CSW
// recording) cannot be played"; TzxStopCount counts such stops so that a front end can tell of
// each.
extern const char* TzxStopReason;
extern uint32_t TzxStopCount;
// The index of the block being played (the number of blocks at the end of the tape).
uint32_t TzxBlockIndex();
