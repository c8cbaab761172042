// Loading and saving by file name: the reader is chosen by the extension.
#pragma once

// ".sna"/".SNA" or ".z80"/".Z80" snapshot, ".tap"/".TAP" tape image, ".tzx"/".TZX",
// ".csw"/".CSW" or ".pzx"/".PZX" pulse tape (stopped until the ROM's loader or Play starts it),
// ".wav"/".WAV"/".raw"/".RAW" recording; any
// other extension (or none) is refused with nothing changed. A loaded snapshot ejects the tape.
// On success the caller reloads the ROM (LoadRom) to place or remove the loader trap; on
// failure LastLoadError (media/load_error.h) says why.
bool LoadFile(const char* path);
// Saves a .z80 snapshot (version 3) when the name ends in ".z80"/".Z80", a .sna whatever the
// other extension; on success the tape is ejected.
bool SaveFile(const char* path);
