// The EAR input from the tape. A sampled recording puts one frame's samples here once per frame
// (media/sampled_tape.h); a pulse tape (.tzx, media/tzx_player.h) puts the T-states at which the
// level flips. Port 0xFE reads the level; the sound mixes TapeFrameBuffer.
#pragma once
#include <cstdint>

#include "core/machine.h"

constexpr uint32_t TapeFrameBufferSize = 1024; // one frame's samples and the overshoot slack
// T-states past the frame's end that its last instruction may still read at.
constexpr uint32_t TapeEdgeSlack = 64;
// Edges lie at distinct T-states before TapeEdgeHorizon(), so this many always fit.
constexpr uint32_t TapeEdgeCapacity = FrameTStates128 + TapeEdgeSlack; // the longer frame's
// The T-state up to which a frame's edges are made: its end and the slack.
inline uint32_t TapeEdgeHorizon() { return MachineFrameTStates + TapeEdgeSlack; }

// T-states of one 44100 Hz sound sample of the tape's signal: a whole number that keeps a
// frame's 882 within the frame (69678 of the 48K's 69888 T-states, 70560 of the 128K's 70908).
inline uint32_t SoundSampleTStates() { return MachineFrameTStates == FrameTStates ? 79 : 80; }

extern uint8_t TapePlaying;       // a tape is open and advances every frame; 0 with none
extern uint32_t TStatesPerSample; // T-states one sample lasts within a frame
extern uint32_t SoundShift;       // 44100 Hz sound sample index >> SoundShift = tape sample
extern uint8_t TapeFrameBuffer[TapeFrameBufferSize]; // the samples in use this frame

// A pulse tape's frame: the level at T-state 0 and the ascending T-states at which it flips.
extern uint8_t TapeFromEdges; // 1 while a pulse tape is in: the level comes from the edges
extern uint8_t TapeEdgeStartLevel;
extern uint32_t TapeEdgeCount;
extern uint32_t TapeEdges[TapeEdgeCapacity];

// The EAR level (0 or 1) of the tape at a T-state of the current frame.
uint8_t TapeEarLevel(uint32_t tstates);
// Called whenever the edges change, so that the next read starts its search from T-state 0.
void RestartEdgeSearch();
// Fills TapeFrameBuffer from the edges, one sample per TStatesPerSample, for the sound.
void SampleEdgesForSound();
