// Loading and saving by file name: the kind of a file is chosen once, from its name, and the file
// is opened once and handed to the reader of that kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

enum class MediaKind : uint8_t {
    Unknown, // any other extension, or none: refused with nothing changed
    Sna,     // ".sna"/".SNA" snapshot
    Z80,     // ".z80"/".Z80" snapshot
    Tap,     // ".tap"/".TAP" tape image
    Tzx,     // ".tzx"/".TZX" pulse tape
    Csw,     // ".csw"/".CSW" pulse tape (a recording of pulse lengths)
    Pzx,     // ".pzx"/".PZX" pulse tape
    Wav,     // ".wav"/".WAV" recording with its header
    Raw,     // ".raw"/".RAW" recording, headerless
};

// The kind by the name's extension: the text from its last ".", in lower or upper case.
MediaKind MediaKindOf(const char* name);

// Opens the path once (OpenLoadableFile: only a regular file, never waiting on a FIFO) and reads
// it as its name's kind. A loaded snapshot ejects the tape and a refused one leaves it in; a tape
// (.tap, .tzx, .csw, .pzx) or recording (.wav, .raw) ejects the one before whether or not it
// goes in, a pulse tape stopped until the ROM's loader or Play starts it. An unknown kind is
// refused before the path is looked at. On success the caller reloads the ROM (LoadRom) to place
// or remove the loader trap; on failure LastLoadError (media/load_error.h) says why.
bool LoadFile(const char* path);
// The same, read as `kind` whatever the name.
bool LoadFileAs(const char* path, MediaKind kind);
// The same for bytes in memory under a file name: the bytes are copied into a stream of their
// own, from which a tape streams as from a file.
bool LoadFileBytes(const char* name, const uint8_t* data, size_t size);

// Saves a .z80 snapshot (version 3) when the name ends in ".z80"/".Z80", a .sna whatever the
// other extension; on success the tape is ejected.
bool SaveFile(const char* path);
