#include "engine/open_media.h"

#include "media/load_file.h"
#include "media/rom.h"

bool OpenMedia(const char* path) {
    if (!LoadFile(path)) return false;
    LoadRom();
    return true;
}
