// The ROM images compiled into the program at build time.
#pragma once
#include <cstdint>

enum class RomKind {
    Standard48, // the 48K ROM from Debian's spectrum-roms package
    OpenSource, // the open-source replacement from opense-basic
    Custom,     // any other 16384-byte file named when configuring
};

extern const uint8_t BuiltinRom[16384];
extern const RomKind BuiltinRomKind;
extern const char BuiltinRomSource[]; // the file the image was taken from

// The 128K's and the +2's ROM 0 (the 128K editor) and ROM 1 (48K BASIC). When the images were
// missing at build time the bytes are zeros and the Missing text says which file and why; it is
// empty when they are here.
extern const uint8_t Builtin128Roms[2][16384];
extern const char Builtin128RomsMissing[];
extern const uint8_t BuiltinPlus2Roms[2][16384];
extern const char BuiltinPlus2RomsMissing[];
