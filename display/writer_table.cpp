#include "display/writer_table.h"

#include "display/writers.h"

// Rows 8, 15, 16, 24, 32 bits; columns single, double, scanline. 15-bit pixels are 16-bit ones
// with other masks.
static const FrameWriter Writers[5][3] = {
    {Write8, Write8Double, Write8Scanline}, {Write16, Write16Double, nullptr},
    {Write16, Write16Double, nullptr},      {Write24, Write24Double, nullptr},
    {Write32, Write32Double, nullptr},
};

FrameWriter WriterFor(int depth, WriterSize size) {
    int row = depth == 8    ? 0
              : depth == 15 ? 1
              : depth == 16 ? 2
              : depth == 24 ? 3
              : depth == 32 ? 4
                            : -1;
    if (row < 0) return nullptr;
    return Writers[row][int(size)];
}
