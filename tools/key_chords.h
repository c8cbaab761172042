// Key chords as the runner types them: "J SS+P ENTER" is three chords, the keys of a chord
// joined by + and held together.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using KeyChords = std::vector<std::vector<uint8_t>>; // PC virtual keys, chord by chord

// Reads every chord; every key name is checked (peripherals/keyboard.h). On failure `error`
// holds one line saying why and `chords` is left partly filled.
bool ParseChords(const char* text, KeyChords& chords, std::string& error);
