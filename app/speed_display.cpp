#include "app/speed_display.h"

#include <cstdio>
#include <cstring>

#include "app/display_modes.h"
#include "platform/text_mask.h"

uint32_t SpeedHistory[SpeedHistorySize];
int32_t SpeedHistoryIndex;

void RecordSpeed(uint32_t percent) {
    SpeedHistory[SpeedHistoryIndex] = percent;
    SpeedHistoryIndex = (SpeedHistoryIndex + 1) % SpeedHistorySize;
}

void ClearSpeedHistory() {
    std::memset(SpeedHistory, 0, sizeof SpeedHistory);
    SpeedHistoryIndex = 0;
}

int32_t AverageSpeed() {
    int32_t sum = 0;
    for (uint32_t p : SpeedHistory) sum += int32_t(p);
    return sum / SpeedHistorySize;
}

namespace {

constexpr int White = 15, Black = 0; // Spectrum colour numbers: bright white is 255, 255, 255

// The mask of the last text drawn: the font engine runs only when the figure changes.
char LastText[16];
TextMaskRecord LastMask;
bool LastMaskOk;

// A pixel's size in bytes at a surface's depth.
int BytesPerPixel(int depth) {
    switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    default: return 4;
    }
}

// Little-endian pixel stores, as the writers make them.
void PutPixel(uint8_t* p, int bytes, uint32_t value) {
    for (int i = 0; i < bytes; ++i) p[i] = uint8_t(value >> (8 * i));
}

} // namespace

void DrawSpeedDisplay(uint8_t* pixels, int32_t pitch, int width, int height, int x, int y,
                      bool opaque, int depth) {
    if (!SpeedDisplayOn() || !pixels) return;
    char text[16];
    std::snprintf(text, sizeof text, "  %d%%", int(AverageSpeed()));
    if (std::strcmp(text, LastText) != 0) {
        std::memcpy(LastText, text, sizeof text);
        LastMaskOk = RenderSpeedText(text, LastMask);
    }
    if (!LastMaskOk) return;
    const int bytes = BytesPerPixel(depth);
    const uint32_t ink = ColourPixel(White), paper = ColourPixel(Black);
    const int left = x - LastMask.width;
    for (int row = 0; row < LastMask.height; ++row) {
        const int py = y + row;
        if (py < 0 || py >= height) continue;
        for (int col = 0; col < LastMask.width; ++col) {
            const int px = left + col;
            if (px < 0 || px >= width) continue;
            if (LastMask.pixels[row][col])
                PutPixel(pixels + py * pitch + px * bytes, bytes, ink);
            else if (opaque)
                PutPixel(pixels + py * pitch + px * bytes, bytes, paper);
        }
    }
}
