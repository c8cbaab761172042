// The picture's way to the screen: one frame surface that the renderer writes into directly,
// shown in the main window (windowed, 1:1) or over the whole screen (scaled, palettised).
#pragma once
#include <cstdint>

struct SurfaceFormat {
    int width, height;
    uint8_t depth;                         // bits per pixel: 8, 15, 16, 24 or 32
    uint32_t redMask, greenMask, blueMask; // direct-colour depths; 0 for 8-bit
};

// The desktop's bits per pixel, as the screen reports it.
int DesktopDepth();
// Every 8-bit surface shows the 16 Spectrum colours at palette entries 10 to 25.
constexpr int SurfacePaletteBase = 10;

// Creates the frame surface and fits the window to it: a resizable captioned window whose
// picture area starts at width x height times `windowScale`, at the desktop's format, the
// picture shown at the largest whole-number scale that fits with black bars around; or the whole
// screen showing a 640 x 480 8-bit surface. Fills `format`. False when no surface can be made
// for the desktop's format.
bool SurfaceSetUp(bool fullscreen, int width, int height, int windowScale, SurfaceFormat& format);
void SurfaceRelease();
// Whether the surface reaches the screen through the graphics card (false: the processor
// composes and copies every frame, which is slower).
bool SurfaceInVideoMemory();
// Pixel pointer and pitch (bytes from one row to the next) of the whole surface, or null
// when there is none.
uint8_t* SurfacePixels(int32_t& pitch);
// Shows the surface's contents on the screen: at the display's next refresh, at most once a
// refresh (the latest contents then).
void SurfacePresent();
// The display can take a new picture: the last one shown is at least a refresh period old and
// none is waiting to be shown. Frames that come faster need not be drawn at all.
bool SurfaceWantsFrame();
// Waits for the end of the display's next vertical blank, or for the next refresh interval
// where the display cannot tell.
void WaitForRetrace();
