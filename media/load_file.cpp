#include "media/load_file.h"

#include <cstring>

#include "media/load_error.h"
#include "media/sampled_tape.h"
#include "media/snapshot.h"
#include "media/tape.h"
#include "media/tzx_player.h"
#include "media/z80_snapshot.h"

namespace {

struct KindByExtension {
    const char* lower;
    const char* upper;
    MediaKind kind;
};

// The names the readers take, compared case-sensitively with two forms.
constexpr KindByExtension Kinds[] = {
    {".sna", ".SNA", MediaKind::Sna}, //
    {".z80", ".Z80", MediaKind::Z80}, //
    {".tap", ".TAP", MediaKind::Tap}, //
    {".tzx", ".TZX", MediaKind::Tzx}, //
    {".csw", ".CSW", MediaKind::Csw}, //
    {".pzx", ".PZX", MediaKind::Pzx}, //
    {".wav", ".WAV", MediaKind::Wav}, //
    {".raw", ".RAW", MediaKind::Raw}, //
};

bool IsSnapshot(MediaKind kind) { return kind == MediaKind::Sna || kind == MediaKind::Z80; }

// Reads the open file as its kind and takes it over: a tape keeps it, anything else closes it.
bool ReadOpenFile(std::FILE* file, MediaKind kind) {
    if (IsSnapshot(kind)) {
        const bool loaded = kind == MediaKind::Sna ? LoadSnapshot(file) : LoadZ80Snapshot(file);
        std::fclose(file);
        if (!loaded) return false; // the tape stays in
        CloseTape();
        return true;
    }
    switch (kind) {
    case MediaKind::Tap: return OpenTapeImage(file);
    case MediaKind::Tzx: return OpenPulseTape(file, PulseFormat::Tzx);
    case MediaKind::Csw: return OpenPulseTape(file, PulseFormat::Csw);
    case MediaKind::Pzx: return OpenPulseTape(file, PulseFormat::Pzx);
    case MediaKind::Wav: return OpenSampledTape(file, true);
    case MediaKind::Raw: return OpenSampledTape(file, false);
    default: std::fclose(file); return false;
    }
}

// The one load: the kind checked, the tape ejected before a tape goes in (so that a tape
// refused, even unopened, leaves the recorder empty), the file opened once and read.
template <class Open> bool LoadAs(MediaKind kind, Open open) {
    if (kind == MediaKind::Unknown) {
        LastLoadError = LoadError::UnknownExtension;
        return false;
    }
    if (!IsSnapshot(kind)) CloseTape();
    std::FILE* file = open();
    return file && ReadOpenFile(file, kind);
}

// A stream reading a copy of the bytes, freed when it is closed; nullptr (LastLoadError
// Unreadable) when there is no memory for it.
std::FILE* OpenBytes(const uint8_t* data, size_t size) {
    // A buffer of the stream's own (fmemopen with none given), written and then read from its
    // start. One byte more than the bytes: a stream open for writing puts a null byte at its
    // end when flushed, over the last byte were there no room for it.
    if (!data) size = 0;
    std::FILE* file = fmemopen(nullptr, size + 1, "w+");
    if (file && (size == 0 || std::fwrite(data, 1, size, file) == size) &&
        std::fseek(file, 0, SEEK_SET) == 0)
        return file;
    if (file) std::fclose(file);
    LastLoadError = LoadError::Unreadable;
    return nullptr;
}

} // namespace

MediaKind MediaKindOf(const char* name) {
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot) return MediaKind::Unknown;
    for (const KindByExtension& k : Kinds)
        if (std::strcmp(dot, k.lower) == 0 || std::strcmp(dot, k.upper) == 0) return k.kind;
    return MediaKind::Unknown;
}

bool LoadFileAs(const char* path, MediaKind kind) {
    return LoadAs(kind, [path] { return OpenLoadableFile(path); });
}

bool LoadFile(const char* path) { return LoadFileAs(path, MediaKindOf(path)); }

bool LoadFileBytes(const char* name, const uint8_t* data, size_t size) {
    return LoadAs(MediaKindOf(name), [data, size] { return OpenBytes(data, size); });
}

bool SaveFile(const char* path) {
    // A .sna under a .z80 name would be refused by the .z80 reader, so the name decides.
    const bool z80 = MediaKindOf(path) == MediaKind::Z80;
    if (!(z80 ? SaveZ80Snapshot(path) : SaveSnapshot(path))) return false;
    CloseTape();
    return true;
}
