#include "media/load_file.h"

#include <cstring>

#include "media/load_error.h"
#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"
#include "media/tzx_player.h"
#include "media/z80_snapshot.h"
#include "peripherals/ay_chip.h"
#include "peripherals/ay_registers.h"

// The extension is the text from the last "." on, compared case-sensitively with two forms.
static bool HasExtension(const char* path, const char* upper, const char* lower) {
    const char* dot = std::strrchr(path, '.');
    return dot && (std::strcmp(dot, upper) == 0 || std::strcmp(dot, lower) == 0);
}

bool LoadFile(const char* path) {
    LastLoadError = LoadError::UnknownExtension;
    auto is = [path](const char* a, const char* b) { return HasExtension(path, a, b); };
    const bool sna = is(".SNA", ".sna");
    if (sna || is(".Z80", ".z80")) {
        if (!(sna ? LoadSnapshot(path) : LoadZ80Snapshot(path))) return false; // the tape stays in
        AyLoadRegisters(AyRegisters.reg); // the sound chip plays on from the snapshot's registers
        CloseTape();
        return true;
    }
    if (is(".TAP", ".tap")) return OpenTapeImage(path);
    if (is(".TZX", ".tzx")) return OpenPulseTape(path, PulseFormat::Tzx);
    if (is(".CSW", ".csw")) return OpenPulseTape(path, PulseFormat::Csw);
    if (is(".PZX", ".pzx")) return OpenPulseTape(path, PulseFormat::Pzx);
    if (is(".WAV", ".wav")) return OpenSampledTape(path, true);
    if (is(".RAW", ".raw")) return OpenSampledTape(path, false);
    return false;
}

bool SaveFile(const char* path) {
    // A .sna under a .z80 name would be refused by the .z80 reader, so the name decides.
    const bool z80 = HasExtension(path, ".Z80", ".z80");
    if (!(z80 ? SaveZ80Snapshot(path) : SaveSnapshot(path))) return false;
    CloseTape();
    return true;
}
