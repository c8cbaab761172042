#include "media/load_error.h"

#include <filesystem>
#include <system_error>

LoadError LastLoadError = LoadError::None;

const char* LoadErrorText(LoadError error) {
    switch (error) {
    case LoadError::None: return "no error";
    case LoadError::NotFound: return "file not found";
    case LoadError::NotRegularFile: return "not a regular file";
    case LoadError::Unreadable: return "the file cannot be read";
    case LoadError::UnknownExtension:
        return "unknown extension (.sna, .z80, .tap, .tzx, .csw, .pzx, .wav or .raw)";
    case LoadError::TooShort: return "too short for a 49179-byte snapshot";
    case LoadError::NotPlayable: return "not a recording that can be played (8-bit mono PCM)";
    case LoadError::Damaged: return "damaged or cut short";
    case LoadError::OtherMachine: return "made for another machine, not the 48K Spectrum";
    case LoadError::NotTzx: return "not a TZX tape of version 1";
    case LoadError::NotCsw: return "not a CSW recording of version 1 or 2";
    case LoadError::NotPzx: return "not a PZX tape of version 1";
    case LoadError::TooLarge: return "too large for a tape or snapshot";
    }
    return "unknown error";
}

bool IsLoadableFile(const char* path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_regular_file(status)) return true;
    LastLoadError =
        std::filesystem::exists(status) ? LoadError::NotRegularFile : LoadError::NotFound;
    return false;
}
