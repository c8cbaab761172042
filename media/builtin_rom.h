// The 16 KB ROM image compiled into the program at build time.
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
