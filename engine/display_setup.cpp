// The front end's surface as the renderer sees it: the writers and the colour map.
#include "display/colour_map.h"
#include "display/display_state.h"
#include "display/screen_shadow.h"
#include "display/writer_table.h"
#include "engine/engine.h"

static_assert(ScreenWindow == ModeWindow && ScreenDoubleWindow == ModeDoubleWindow &&
                  ScreenFullscreen == ModeFullscreen && ScreenTripleWindow == ModeTripleWindow &&
                  ScreenQuadWindow == ModeQuadWindow,
              "the front ends' screen modes are the renderer's");

FrameWriter PictureWriter(int depth, PictureSize size) {
    switch (size) {
    case PictureSize::Single: return WriterFor(depth, WriterSize::Single);
    case PictureSize::Double: return WriterFor(depth, WriterSize::Double);
    case PictureSize::Scanline: return WriterFor(depth, WriterSize::Scanline);
    }
    return nullptr;
}

void SetPixelFormat(const PixelFormat& format) {
    ColourMap.depth = uint8_t(format.depth);
    if (format.depth == 8)
        for (int i = 0; i < 16; ++i) ColourMap.paletteIndex[i] = uint8_t(format.paletteBase + i);
    else
        SetColourMasks(ColourMap, format.redMask, format.greenMask, format.blueMask);
    BuildColourMap();
    InvalidateScreen();
}

uint32_t ColourPixel(int colour) {
    if (ColourMap.depth == 8) return ColourMap.paletteIndex[colour];
    if (ColourMap.depth == 24) return Pixel24(ColourMap, colour);
    return ColourMap.packedColour[colour];
}
