// The instruction sets the dispatch calls out to. Each works on Machine (PC, the time and R
// included) and runs after the opcode fetch has advanced PC, counted R and charged its
// MainCycles entry.
#pragma once
#include <cstdint>

void ExecuteED();                    // ED xx (also after a DD or FD prefix)
extern const char* const EdMap[256]; // its mnemonics, written out at the head of ed_set.cpp
// After a DD or FD prefix: follows a chain of prefixes (the last one decides) and runs the
// instruction it ends with, so that nothing can come between a prefix and its instruction. The
// frame loop has the same inline (FollowPrefixes); this serves a prefix left pending.
void ExecutePrefixed(uint8_t prefix);

// One opcode at a time, for callers outside the frame loop: a DD or FD here only sets
// Machine.indexPrefix, and ExecuteIX/ExecuteIY clear it before their opcode.
void ExecuteMain(uint8_t opcode); // unprefixed opcodes
void ExecuteIX(uint8_t opcode);   // the opcode after DD
void ExecuteIY(uint8_t opcode);   // the opcode after FD
