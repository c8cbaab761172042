// A file into the machine, as the front ends' Open does it.
#pragma once

// Loads a snapshot, tape or recording by its extension (LoadFile), then puts the ROM back in so
// that the loader trap is placed for a tape image and removed otherwise. False, with the machine
// and the tape as they were and LastLoadError saying why, when the file cannot be loaded.
bool OpenMedia(const char* path);
