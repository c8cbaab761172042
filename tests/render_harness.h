// Shared set-up for the renderer tests: the nine writers with their formats, a poisoned pixel
// buffer wider than a row, and an independent account of what each output pixel should show.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/display_state.h"
#include "display/render_tables.h"
#include "display/screen_shadow.h"
#include "display/writer_table.h"
#include "display/writers.h"
#include "peripherals/ports.h"

struct WriterCase {
    const char* name;
    FrameWriter write;
    int depth; // 8, 16 (5-6-5), 24 or 32 (8-8-8)
    int bytes; // per output pixel
    int scale; // 1 or 2
    bool scanlines;
    // Corner repainted every frame in a window with the speed read-out on (output pixels).
    int stripX, stripWidth, stripRow, stripRows;
};

inline const WriterCase AllWriters[] = {
    {"Write8", WriterFor(8, WriterSize::Single), 8, 1, 1, false, 152, 168, 216, 24},
    {"Write16", WriterFor(16, WriterSize::Single), 16, 2, 1, false, 152, 168, 216, 24},
    {"Write24", WriterFor(24, WriterSize::Single), 24, 3, 1, false, 152, 168, 216, 24},
    {"Write32", WriterFor(32, WriterSize::Single), 32, 4, 1, false, 152, 168, 216, 24},
    {"Write8Double", WriterFor(8, WriterSize::Double), 8, 1, 2, false, 472, 168, 460, 20},
    {"Write16Double", WriterFor(16, WriterSize::Double), 16, 2, 2, false, 472, 168, 432, 48},
    {"Write24Double", WriterFor(24, WriterSize::Double), 24, 3, 2, false, 472, 168, 432, 48},
    {"Write32Double", WriterFor(32, WriterSize::Double), 32, 4, 2, false, 472, 168, 432, 48},
    {"Write8Scanline", WriterFor(8, WriterSize::Scanline), 8, 1, 2, true, 0, 0, 0, 0},
};

constexpr uint8_t Poison = 0x5A; // no byte pattern of any test colour is made of it alone

// The colours as the hardware table gives them, kept apart from the program's own copy.
inline const uint8_t TestRgb[16][3] = {
    {0, 0, 0},     {0, 0, 180},     {180, 0, 0},   {180, 0, 180},   {0, 180, 0}, {0, 180, 180},
    {180, 180, 0}, {180, 180, 180}, {0, 0, 0},     {0, 0, 255},     {255, 0, 0}, {255, 0, 255},
    {0, 255, 0},   {0, 255, 255},   {255, 255, 0}, {255, 255, 255},
};

inline uint8_t TestPaletteIndex(int c) { return uint8_t(0x20 + 3 * c); }

// The bytes of one output pixel, in address order.
struct PixelValue {
    uint8_t bytes[4];
    int size;
};

// What a writer of this depth should store for colour c.
inline PixelValue PixelBytes(const WriterCase& w, int c) {
    const uint8_t* rgb = TestRgb[c];
    switch (w.depth) {
    case 8: return {{TestPaletteIndex(c)}, 1};
    case 16: { // 5-6-5: the top bits of each channel
        uint16_t v = uint16_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
        return {{uint8_t(v), uint8_t(v >> 8)}, 2};
    }
    case 24: return {{rgb[2], rgb[1], rgb[0]}, 3};
    default: return {{rgb[2], rgb[1], rgb[0], 0}, 4};
    }
}

// The TV look's black rows alternate colour 0's palette entry and entry 0.
inline PixelValue ScanlineBlack(int x) { return {{uint8_t(x & 1 ? 0 : TestPaletteIndex(0))}, 1}; }

// Display state as the desktop program leaves it in a window, colour map for the writer's depth.
inline void SetUpWriter(const WriterCase& w) {
    BuildRenderTables();
    DisplayMode = w.scanlines ? ModeFullscreen : (w.scale == 2 ? ModeDoubleWindow : ModeWindow);
    FullscreenTv = w.scanlines;
    SpeedDisplay = !w.scanlines; // the TV look's speed bar is tested on its own
    ColourMap = {};
    ColourMap.depth = uint8_t(w.depth);
    for (int c = 0; c < 16; ++c) ColourMap.paletteIndex[c] = TestPaletteIndex(c);
    if (w.depth == 16) SetColourMasks(ColourMap, 0xF800, 0x07E0, 0x001F);
    if (w.depth >= 24) SetColourMasks(ColourMap, 0xFF0000, 0x00FF00, 0x0000FF);
    BuildColourMap();
    InvalidateScreen();
}

// Memory allocated and cleared, border log all `border`, flash timer at its start.
inline void CleanScreen(uint8_t border = 0) {
    AllocateMemory();
    std::memset(Machine.memory, 0, 65536);
    std::memset(BorderLog.bands, border, sizeof BorderLog.bands);
    BorderLog.colour = border;
    BorderLog.nextBand = 0;
    BeeperLog.count = 0;
    FlashPhase = 0;
    FlashCounter = 0;
}

// Deterministic screen content: every bitmap byte and attribute value turns up.
inline void FillScreenPattern(uint32_t seed) {
    for (int i = 0; i < 6912; ++i) {
        seed = seed * 1103515245u + 12345u;
        Machine.memory[0x4000 + i] = uint8_t(seed >> 16);
    }
}

struct Canvas {
    int width, height, bytes, scale;
    int32_t pitch;
    std::vector<uint8_t> data;
    explicit Canvas(const WriterCase& w)
        : width(320 * w.scale), height(240 * w.scale), bytes(w.bytes), scale(w.scale),
          pitch(width * w.bytes + 36), data(size_t(pitch) * height, Poison) {}
    uint8_t* Pixels() { return data.data(); }
    uint8_t* At(int x, int y) { return data.data() + y * pitch + x * bytes; }
    void PoisonAll() { std::fill(data.begin(), data.end(), Poison); }
    bool Untouched(int x, int y) {
        for (int i = 0; i < bytes; ++i)
            if (At(x, y)[i] != Poison) return false;
        return true;
    }
    bool Shows(int x, int y, const PixelValue& value) {
        return std::memcmp(At(x, y), value.bytes, size_t(value.size)) == 0;
    }
    // Every byte between the end of a row and the next row is still poison.
    bool RowEndsUntouched() {
        for (int y = 0; y < height; ++y)
            for (int i = width * bytes; i < pitch; ++i)
                if (data[size_t(y) * pitch + i] != Poison) return false;
        return true;
    }
};

// Colour number shown at pixel (x, y) of a canvas, -1 when none of the 16; bright black reads
// as black.
inline int ColourAt(const WriterCase& w, Canvas& canvas, int x, int y) {
    for (int c = 0; c < 16; ++c)
        if (canvas.Shows(x, y, PixelBytes(w, c))) return c == 8 ? 0 : c;
    return -1;
}

// Screen line y of the bitmap: three thirds of 64 lines, each of eight character rows whose
// pixel lines lie 256 bytes apart.
inline uint16_t LineAddress(int y) {
    int third = y / 64, charRow = (y / 8) % 8, pixelLine = y % 8;
    return uint16_t(0x4000 + third * 2048 + pixelLine * 256 + charRow * 32);
}

// What output pixel (x, y) should show: a colour number, or -1 for the TV look's black row.
inline int ExpectedColour(const WriterCase& w, int x, int y) {
    if (w.scanlines && (y & 1)) return -1;
    int fx = x / w.scale, fy = y / w.scale;
    if (fy < 24 || fy >= 216 || fx < 32 || fx >= 288) return BorderLog.bands[fy] & 7;
    int sx = fx - 32, sy = fy - 24;
    uint8_t bits = Machine.memory[LineAddress(sy) + sx / 8];
    uint8_t attr = Machine.memory[0x5800 + (sy / 8) * 32 + sx / 8];
    bool set = bits & (0x80 >> (sx % 8));
    if ((attr & 0x80) && FlashPhase) set = !set;
    int bright = (attr & 0x40) ? 8 : 0;
    return set ? (attr & 7) + bright : ((attr >> 3) & 7) + bright;
}

inline PixelValue ExpectedPixel(const WriterCase& w, int x, int y) {
    int c = ExpectedColour(w, x, y);
    return c >= 0 ? PixelBytes(w, c) : ScanlineBlack(x);
}

// Compares the whole canvas with the expected picture; returns the first mismatch as text.
inline std::string FirstMismatch(const WriterCase& w, Canvas& canvas) {
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            int c = ExpectedColour(w, x, y);
            if (!canvas.Shows(x, y, ExpectedPixel(w, x, y)))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                       ") expected colour " + std::to_string(c);
        }
    return "";
}

inline void PrintTo(const WriterCase& w, std::ostream* out) { *out << w.name; }

inline std::string WriterName(const testing::TestParamInfo<WriterCase>& info) {
    return info.param.name;
}
