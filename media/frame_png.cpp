#include "media/frame_png.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/render_tables.h"
#include "display/screen_shadow.h"
#include "display/writers.h"
#include "platform/file_replacement.h"

void RenderFrameBgr(uint8_t* bgr, int32_t pitch, bool doubleSize) {
    BuildRenderTables(); // constant; cheap, and screenshots may come before any display exists
    ColourMapRecord map{};
    map.depth = 24;
    SetColourMasks(map, 0xFF0000, 0x00FF00, 0x0000FF);
    BuildColourMapFor(map, 0);
    ScreenShadowRecord shadow{}; // private: the display's shadow is left alone
    InvalidateShadow(shadow);
    Write24With(bgr, pitch, doubleSize, map, shadow);
}

bool SaveFramePng(const char* path, bool doubleSize) {
    if (!path || !*path || !Machine.memory) return false;
    const int width = doubleSize ? 640 : 320, height = doubleSize ? 480 : 240;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    RenderFrameBgr(pixels.data(), width * 3, doubleSize);

    FileReplacement file;
    if (!BeginFileReplacement(path, file)) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.format = PNG_FORMAT_BGR;
    bool ok =
        png_image_write_to_stdio(&image, file.file, 0, pixels.data(), width * 3, nullptr) != 0;
    png_image_free(&image);
    return FinishFileReplacement(file, ok);
}
