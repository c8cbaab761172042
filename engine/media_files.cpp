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

MediaLoaded LoadMedia(const char* path, bool autoLoad) {
    CancelAutoLoad(); // whatever was being typed was meant for the machine before this file
    LastLoadError = LoadError::None;
    MediaLoaded loaded{LoadFile(path), false, false, std::string()};
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
