// Reads back the text shown on the Spectrum screen by matching each 8x8 character cell of the
// bitmap against the character set of 48K BASIC's ROM in memory (0x3D00, characters 0x20-0x7F;
// ROM 1 on the 128K).
#pragma once
#include <string>

// One of the 24 character rows, 32 cells, as UTF-8. Inverse cells read as their character;
// 0x60 reads as "£", 0x7F as "©", a cell that matches no character as "░".
std::string ScreenRowText(int row);
// All 24 rows, trailing spaces removed, each ended by '\n'.
std::string ScreenText();
