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

namespace {

constexpr int FrameWidth = 320, FrameHeight = 240;

bool WritePng(const char* path, const std::vector<uint8_t>& pixels, int width, int height) {
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

} // namespace

bool SaveFramePng(const char* path, bool doubleSize) {
    if (!path || !*path || !Machine.memory) return false;
    const int width = doubleSize ? 640 : 320, height = doubleSize ? 480 : 240;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    RenderFrameBgr(pixels.data(), width * 3, doubleSize);
    return WritePng(path, pixels, width, height);
}

bool SaveFramePngScaled(const char* path, int scale) {
    if (!path || !*path || !Machine.memory || scale < 1 || scale > 4) return false;
    std::vector<uint8_t> frame(size_t(FrameWidth) * FrameHeight * 3);
    RenderFrameBgr(frame.data(), FrameWidth * 3, false);
    if (scale == 1) return WritePng(path, frame, FrameWidth, FrameHeight);
    const int width = FrameWidth * scale, height = FrameHeight * scale;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                pixels[(size_t(y) * width + x) * 3 + c] =
                    frame[(size_t(y / scale) * FrameWidth + x / scale) * 3 + c];
    return WritePng(path, pixels, width, height);
}
