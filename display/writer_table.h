// The nine writers by the depth of the target and the size of the picture.
#pragma once
#include <cstdint>

using FrameWriter = void (*)(uint8_t* pixels, int32_t pitch);

enum class WriterSize : uint8_t {
    Single,   // 320 x 240
    Double,   // 640 x 480
    Scanline, // 640 x 480, every second row black (the TV look)
};

// The writer for 8, 15, 16, 24 or 32 bits per pixel; null for any other depth and for a
// scanline picture at a depth other than 8.
FrameWriter WriterFor(int depth, WriterSize size);
