#include "media/load_file.h"

#include <cstring>

#include "media/load_error.h"
#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"
#include "media/tzx_player.h"

bool LoadFile(const char* path) {
    LastLoadError = LoadError::UnknownExtension;
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
    if (is(".TZX", ".tzx")) return OpenTzxTape(path);
    if (is(".WAV", ".wav")) return OpenSampledTape(path, true);
    if (is(".RAW", ".raw")) return OpenSampledTape(path, false);
    return false;
}

bool SaveFile(const char* path) {
    if (!SaveSnapshot(path)) return false;
    CloseTape();
    return true;
}
