// Files in and out by name: the one load sequence and the screen's two kinds of file.
#include <filesystem>

#include "engine/auto_load.h"
#include "engine/engine.h"
#include "media/frame_png.h"
#include "media/load_error.h"
#include "media/load_file.h"
#include "media/rom.h"
#include "media/tape.h"
#include "peripherals/machine_model.h"
#include "platform/file_replacement.h"

constexpr size_t ScreenMemoryBytes = 6912; // the bitmap and the attributes

static_assert(uint8_t(FileKind::Unknown) == uint8_t(MediaKind::Unknown) &&
                  uint8_t(FileKind::Sna) == uint8_t(MediaKind::Sna) &&
                  uint8_t(FileKind::Z80) == uint8_t(MediaKind::Z80) &&
                  uint8_t(FileKind::Tap) == uint8_t(MediaKind::Tap) &&
                  uint8_t(FileKind::Tzx) == uint8_t(MediaKind::Tzx) &&
                  uint8_t(FileKind::Csw) == uint8_t(MediaKind::Csw) &&
                  uint8_t(FileKind::Pzx) == uint8_t(MediaKind::Pzx) &&
                  uint8_t(FileKind::Wav) == uint8_t(MediaKind::Wav) &&
                  uint8_t(FileKind::Raw) == uint8_t(MediaKind::Raw),
              "the door's file kinds are the loader's");

FileKind FileKindOf(const char* name) { return FileKind(MediaKindOf(name)); }

// The one load sequence, whatever the file is read from.
template <class Read> static MediaLoaded LoadSequence(Read read, bool autoLoad) {
    CancelAutoLoad(); // whatever was being typed was meant for the machine before this file
    LastLoadError = LoadError::None;
    MediaLoaded loaded{read(), false, false, std::string()};
    if (!loaded.ok) {
        if (LastLoadError != LoadError::None) loaded.why = LoadErrorText(LastLoadError);
        return loaded;
    }
    LoadRom(); // the loader trap goes in for a tape image and out for anything else
    loaded.tape = CurrentTape != nullptr;
    loaded.snapshot = !loaded.tape;
    if (loaded.tape && autoLoad) StartAutoLoad();
    return loaded;
}

MediaLoaded LoadMedia(const char* path, bool autoLoad) {
    return LoadSequence([path] { return LoadFile(path); }, autoLoad);
}

MediaLoaded LoadMediaBytes(const char* name, const uint8_t* bytes, size_t size, bool autoLoad) {
    return LoadSequence([=] { return LoadFileBytes(name, bytes, size); }, autoLoad);
}

bool SaveScreenMemory(const char* path) {
    return ReplaceFileWith(path, ScreenMemory(), ScreenMemoryBytes);
}

bool SaveScreenPicture(const char* path, int scale) { return SaveFramePngScaled(path, scale); }

bool SaveScreen(const char* path, int scale) {
    const std::string ext = std::filesystem::path(path).extension().string();
    if (ext == ".scr" || ext == ".SCR") return SaveScreenMemory(path);
    return SaveScreenPicture(path, scale);
}

const char* FileProblem() { return FileReplacementProblem; }
