#include "display/frame_png.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/render_tables.h"
#include "display/screen_shadow.h"
#include "display/writers.h"

void RenderFrameBgr(uint8_t* bgr, int32_t pitch, bool doubleSize) {
    BuildRenderTables(); // constant; cheap, and screenshots may come before any display exists
    ColourMapRecord map{};
    map.depth = 24;
    SetColourMasks(map, 0xFF0000, 0x00FF00, 0x0000FF);
    BuildColourMapFor(map, 0);
    ScreenShadowRecord shadow; // private: the display's shadow is left alone
    InvalidateShadow(shadow);
    Write24With(bgr, pitch, doubleSize, map, shadow);
}

// Opens a file next to `path` that did not exist before, trying a few names.
static FILE* CreateTemporary(const std::string& path, std::string& name) {
    for (int n = 0; n < 100; ++n) {
        name = path + ".tmp" + std::to_string(n);
        if (FILE* f = std::fopen(name.c_str(), "wbx")) return f;
    }
    return nullptr;
}

bool SaveFramePng(const char* path, bool doubleSize) {
    if (!path || !*path || !Machine.memory) return false;
    const int width = doubleSize ? 640 : 320, height = doubleSize ? 480 : 240;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    RenderFrameBgr(pixels.data(), width * 3, doubleSize);

    std::string temporary;
    FILE* file = CreateTemporary(path, temporary);
    if (!file) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.format = PNG_FORMAT_BGR;
    bool ok = png_image_write_to_stdio(&image, file, 0, pixels.data(), width * 3, nullptr) != 0;
    png_image_free(&image);
    ok = std::fflush(file) == 0 && ok;
    ok = !std::ferror(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    std::error_code error;
    if (ok) std::filesystem::rename(temporary, path, error);
    if (!ok || error) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
