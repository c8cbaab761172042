#include "media/load_file.h"

#include <cstring>

#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"

bool LoadFile(const char* path) {
    const char* dot = std::strrchr(path, '.');
    if (!dot) return false;
    auto is = [dot](const char* a, const char* b) {
        return std::strcmp(dot, a) == 0 || std::strcmp(dot, b) == 0;
    };
    if (is(".SNA", ".sna")) {
        if (!LoadSnapshot(path)) return false; // the tape stays in
        CloseTape();
        return true;
    }
    if (is(".TAP", ".tap")) return OpenTapeImage(path);
    if (is(".WAV", ".wav") || is(".RAW", ".raw")) return OpenSampledTape(path);
    return false;
}

bool SaveFile(const char* path) {
    if (!SaveSnapshot(path)) return false;
    CloseTape();
    return true;
}
