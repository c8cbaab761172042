// Where the window's picture goes in its picture area.
#pragma once
#include "platform/desktop/desktop_surface.h"

// The picture (pictureWidth x pictureHeight) at the largest whole-number scale that fits the
// area, at least 1, centred: what is left over is black bars. All in device pixels, so that on a
// high-density screen the picture's pixels stay whole device pixels and sharp.
SurfacePlacement PlacePicture(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);
