// The instruction sets FrameLoop dispatches to. Each runs after FrameLoop has fetched the
// opcode, advanced PC, counted R and charged its MainCycles entry.
#pragma once
#include <cstdint>

void ExecuteMain(uint8_t opcode);  // unprefixed opcodes
void ExecuteCB();                  // CB xx
void ExecuteED();                  // ED xx (also after a DD or FD prefix)
void ExecuteIX(uint8_t opcode);    // the opcode after DD
void ExecuteIY(uint8_t opcode);    // the opcode after FD
void ExecuteIndexedCB(uint16_t x); // DD CB d op / FD CB d op, x the index register's value
