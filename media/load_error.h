// Why the last file load failed, for the message that follows "Error reading snapshot/tape
// file!". Every reader sets it when it refuses a file; a successful load leaves it alone.
#pragma once
#include <cstdio>

enum class LoadError {
    None,
    NotFound,           // nothing of that name
    NotRegularFile,     // a folder, FIFO, device or socket: reading it could block or never end
    Unreadable,         // it exists but could not be opened or read
    UnknownExtension,   // not .sna, .z80, .tap, .tzx, .csw, .pzx, .wav or .raw
    TooShort,           // a snapshot of fewer than 49179 bytes
    NotPlayable,        // a .wav that is not 8-bit mono PCM with sound data
    Damaged,            // a .z80 or pulse tape whose contents break its format or end too early
    OtherMachine,       // a snapshot of a machine other than the 48K, the 128K and the +2
    MachineUnavailable, // a snapshot of the 128K or the +2, built without their ROMs
    NotTzx,             // no "ZXTape!" signature, or a major version other than 1
    NotCsw,             // no "Compressed Square Wave" signature, or a version other than 1 or 2
    NotPzx,             // no PZXT header block of major version 1
    TooLarge,           // larger than any tape or snapshot the reader accepts
};

extern LoadError LastLoadError;

// A short lower-case phrase for a message, e.g. "file not found".
const char* LoadErrorText(LoadError error);
// Opens the file for reading only when it is a regular file, and without waiting: a FIFO with
// no writer would block the open itself, a folder never reads. Otherwise nullptr, with
// LastLoadError set to NotFound, NotRegularFile or Unreadable.
std::FILE* OpenLoadableFile(const char* path);
