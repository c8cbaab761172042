#include "media/load_error.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    case LoadError::OtherMachine: return "made for another machine, not the 48K, 128K or +2";
    case LoadError::MachineUnavailable:
        return "made for a machine whose ROMs this program was built without";
    case LoadError::NotTzx: return "not a TZX tape of version 1";
    case LoadError::NotCsw: return "not a CSW recording of version 1 or 2";
    case LoadError::NotPzx: return "not a PZX tape of version 1";
    case LoadError::TooLarge: return "too large for a tape or snapshot";
    }
    return "unknown error";
}

std::FILE* OpenLoadableFile(const char* path) {
#if defined(__unix__) || defined(__APPLE__)
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer; fstat then looks at
    // what was opened, not at what the name pointed to a moment before.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        LastLoadError = errno == ENOENT ? LoadError::NotFound : LoadError::Unreadable;
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        LastLoadError = LoadError::NotRegularFile;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (!f) {
        close(fd);
        LastLoadError = LoadError::Unreadable;
    }
    return f;
#else
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::is_regular_file(status)) {
        LastLoadError =
            std::filesystem::exists(status) ? LoadError::NotRegularFile : LoadError::NotFound;
        return nullptr;
    }
    std::FILE* f = std::fopen(path, "rb");
    if (!f) LastLoadError = LoadError::Unreadable;
    return f;
#endif
}
