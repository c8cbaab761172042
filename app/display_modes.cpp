#include "app/display_modes.h"

#include <cstring>

#include "app/speed_display.h"
#include "platform/display_surface.h"

int FrameWidth = 320, FrameHeight = 240;
bool VidMemWarning = false;

namespace {

SurfaceFormat Surface;
bool SurfaceReady = false;
int PendingDepth = 0; // a depth reported by the desktop that the surface does not have yet

// Where the read-out's top right corner sits in each mode.
struct SpeedPlace {
    int x, y;
};
constexpr SpeedPlace WindowSpeedPlace{318, 220}, FullscreenSpeedPlace{636, 460};

FrameWriter WriterForMode() {
    if (ScreenMode() == ScreenFullscreen)
        return PictureWriter(8, FullscreenTvOn() ? PictureSize::Scanline : PictureSize::Double);
    return PictureWriter(Surface.depth, PictureSize::Single); // the window scales it when shown
}

void ClearSurfacePixels() {
    int32_t pitch = 0;
    uint8_t* pixels = SurfacePixels(pitch);
    if (pixels) std::memset(pixels, 0, size_t(pitch) * size_t(Surface.height));
}

} // namespace

bool DepthHasWriters(int depth) {
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

void ReleaseDisplay() {
    SurfaceRelease();
    SurfaceReady = false;
}

bool SwitchDisplayMode() {
    const bool fullscreen = ScreenMode() == ScreenFullscreen;
    FrameWidth = fullscreen ? 640 : 320;
    FrameHeight = fullscreen ? 480 : 240;
    ReleaseDisplay();
    if (!SurfaceSetUp(fullscreen, FrameWidth, FrameHeight, WindowModeScale(ScreenMode()), Surface))
        return false;
    SurfaceReady = true;
    if (!fullscreen && !SurfaceInVideoMemory()) VidMemWarning = true;
    PendingDepth = 0;
    ClearSurfacePixels();
    ProbePaletteIndices();
    InvalidateScreen();
    return true;
}

void ProbePaletteIndices() {
    SetPixelFormat(PixelFormat{Surface.depth, SurfacePaletteBase, Surface.redMask,
                               Surface.greenMask, Surface.blueMask});
}

void DisplayDepthChanged(int depth) {
    if (ScreenMode() != ScreenFullscreen && depth != Surface.depth) PendingDepth = depth;
}

void ClearSpeedBar() {
    int32_t pitch = 0;
    uint8_t* pixels = SurfaceReady && Surface.depth == 8 ? SurfacePixels(pitch) : nullptr;
    if (pixels && Surface.height >= 480) std::memset(pixels + 460 * pitch, 0, size_t(pitch) * 20);
}

void DrawFrame() {
    if (!SurfaceReady) return;
    // A writer only ever runs on the format it was chosen for: a new depth rebuilds first.
    if (PendingDepth && !SwitchDisplayMode()) return;
    int32_t pitch = 0;
    uint8_t* pixels = SurfacePixels(pitch);
    if (!pixels) return;
    if (FrameWriter writer = WriterForMode()) writer(pixels, pitch);
    const SpeedPlace place =
        ScreenMode() == ScreenFullscreen ? FullscreenSpeedPlace : WindowSpeedPlace;
    DrawSpeedDisplay(pixels, pitch, Surface.width, Surface.height, place.x, place.y,
                     ScreenMode() == ScreenFullscreen, Surface.depth);
}

void RenderFrame() {
    if (!SurfaceReady) return;
    DrawFrame();
    SurfacePresent();
}
