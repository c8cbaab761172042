#include "app/picture_place.h"

#include <algorithm>

SurfacePlacement PlacePicture(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {0, 0, 1};
    const int scale = std::max(1, std::min(areaWidth / pictureWidth, areaHeight / pictureHeight));
    return {(areaWidth - pictureWidth * scale) / 2, (areaHeight - pictureHeight * scale) / 2,
            scale};
}
