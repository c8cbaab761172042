#include "display/writers.h"

#include <cstddef>
#include <cstring>

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/display_state.h"
#include "display/render_tables.h"
#include "display/screen_shadow.h"
#include "peripherals/machine_model.h"
#include "peripherals/ports.h"
#include "platform/text_mask.h"

namespace {

// Single-size frame geometry, in pixels and rows.
constexpr int FrameWidth = 320;
constexpr int MarginWidth = 32; // border beside the screen
constexpr int TopRows = 24;     // border bands above the screen
constexpr int BottomBand = 216; // first band below the screen
constexpr int Bands = 240;
constexpr int SpeedBarBand = 230; // fullscreen: bands from here belong to the speed read-out

// Offsets in the screen's 6912 bytes (at 0x4000 on the 48K).
constexpr uint16_t BitmapStart = 0x0000;
constexpr uint16_t AttrStart = 0x1800;
constexpr uint8_t FlashBit = 0x80;

inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void Store24(uint8_t* p, uint32_t bgr) {
    p[0] = uint8_t(bgr), p[1] = uint8_t(bgr >> 8), p[2] = uint8_t(bgr >> 16);
}
// Bits of `mask` from a, the others from b.
inline uint32_t Select(uint32_t mask, uint32_t a, uint32_t b) { return (mask & a) | (~mask & b); }

inline unsigned InkOf(unsigned a) { return (a & 7) | ((a >> 3) & 8); }
inline unsigned PaperOf(unsigned a) { return ((a >> 3) & 7) | ((a >> 3) & 8); }

// What a writer repaints besides the changed parts: the bands it owns and the corner strip
// under the speed read-out, in output pixels and rows.
struct Layout {
    int bandLimit; // bands 0 to bandLimit - 1 are compared and painted
    int stripX, stripWidth, stripRow, stripRows;
};

// The strip reaches left of the read-out's right edge (x 318 or 638) by the widest text it can
// draw, a whole number of 8 pixels so that every format fills it in whole words: a figure with
// more digits than the last leaves nothing behind.
constexpr int SingleStripX = (FrameWidth - 2 - TextMaskWidth) / 8 * 8;     // 152
constexpr int DoubleStripX = (2 * FrameWidth - 2 - TextMaskWidth) / 8 * 8; // 472

constexpr Layout SingleLayout() {
    return {Bands, SingleStripX, FrameWidth - SingleStripX, 216, 24};
}
constexpr Layout DoubleLayout() {
    return {Bands, DoubleStripX, 2 * FrameWidth - DoubleStripX, 432, 48};
}

// Pixel formats whose runs are 32-bit words of a repeated value.
template <int Bytes> struct WordRuns {
    static constexpr int bytesPerPixel = Bytes;
    static void Fill(uint8_t* p, int pixels, uint32_t pattern) {
        for (int n = pixels * Bytes / 4; n > 0; --n, p += 4) Store32(p, pattern);
    }
};

struct ByteRuns24 {
    static constexpr int bytesPerPixel = 3;
    static void Fill(uint8_t* p, int pixels, uint32_t bgr) {
        for (; pixels > 0; --pixels, p += 3) Store24(p, bgr);
    }
};

// Each format gives the border pattern of a colour, the pattern of the second row of a pair
// (the TV look blacks it), and Draw: the eight pixels of one bitmap byte under its attribute.

struct Format8 : WordRuns<1> {
    static constexpr int scale = 1;
    const ColourMapRecord& map;
    uint32_t Pattern(int c) const { return RenderTables.Fill8[map.paletteIndex[c]]; }
    uint32_t SecondRow(uint32_t p) const { return p; }
    void Draw(uint8_t* p, ptrdiff_t, unsigned b, unsigned a) const {
        uint32_t set = map.attrPatterns[a][0], clear = map.attrPatterns[a][1];
        Store32(p, Select(RenderTables.NibbleMask8[b >> 4], set, clear));
        Store32(p + 4, Select(RenderTables.NibbleMask8[b & 15], set, clear));
    }
};

template <bool Scanlines> struct Format8Double : WordRuns<1> {
    static constexpr int scale = 2;
    const ColourMapRecord& map;
    // The TV look's black: colour 0's palette entry and entry 0 in turn, both black in the
    // fullscreen palette.
    uint32_t black = map.paletteIndex[0] | uint32_t(map.paletteIndex[0]) << 16;
    uint32_t Pattern(int c) const { return RenderTables.Fill8[map.paletteIndex[c]]; }
    uint32_t SecondRow(uint32_t p) const { return Scanlines ? black : p; }
    void Draw(uint8_t* p, ptrdiff_t pitch, unsigned b, unsigned a) const {
        uint32_t set = map.attrPatterns[a][0], clear = map.attrPatterns[a][1];
        for (int k = 0; k < 4; ++k) {
            uint32_t w = Select(RenderTables.PairMask16[(b >> (6 - 2 * k)) & 3], set, clear);
            Store32(p + 4 * k, w);
            Store32(p + pitch + 4 * k, Scanlines ? black : w);
        }
    }
};

// The direct-colour writers exchange ink and paper themselves while FlashPhase is 1.
struct DirectColour {
    const ColourMapRecord& map;
    uint8_t flashPhase;
    // Colour numbers of the set and the clear bits, packed as set | clear << 8.
    unsigned Colours(unsigned a) const {
        unsigned ink = InkOf(a), paper = PaperOf(a);
        return (a & FlashBit) && flashPhase ? paper | ink << 8 : ink | paper << 8;
    }
    uint32_t Pattern(int c) const { return map.packedColour[c]; }
    uint32_t SecondRow(uint32_t p) const { return p; }
};

struct Format16 : DirectColour, WordRuns<2> {
    static constexpr int scale = 1;
    void Draw(uint8_t* p, ptrdiff_t, unsigned b, unsigned a) const {
        const unsigned colours = Colours(a);
        const uint32_t setValue = map.packedColour[colours & 15];
        const uint32_t clearValue = map.packedColour[colours >> 8];
        for (int k = 0; k < 4; ++k)
            Store32(p + 4 * k,
                    Select(RenderTables.PairMask16[(b >> (6 - 2 * k)) & 3], setValue, clearValue));
    }
};

// One 32-bit word per Spectrum pixel and row at 16-bit double size (two pixels) and at 32-bit
// single size, two words at 32-bit double size.
template <int Bytes, int Scale> struct FormatWordPerPixel : DirectColour, WordRuns<Bytes> {
    static constexpr int scale = Scale;
    static constexpr int words = Bytes * Scale / 4; // per Spectrum pixel and output row
    void Draw(uint8_t* p, ptrdiff_t pitch, unsigned b, unsigned a) const {
        const unsigned colours = Colours(a), set = colours & 15, clear = colours >> 8;
        const uint32_t* masks = RenderTables.ByteMask32[b];
        const uint32_t setValue = map.packedColour[set], clearValue = map.packedColour[clear];
        for (int k = 0; k < 8; ++k) {
            uint32_t w = Select(masks[k], clearValue, setValue);
            for (int row = 0; row < Scale; ++row)
                for (int i = 0; i < words; ++i) Store32(p + row * pitch + 4 * (words * k + i), w);
        }
    }
};

// Three bytes per pixel, blue, green, red; colours chosen through the same masks.
template <int Scale> struct Format24 : DirectColour, ByteRuns24 {
    static constexpr int scale = Scale;
    uint32_t bgr[16];
    Format24(const ColourMapRecord& m, uint8_t phase) : DirectColour{m, phase} {
        for (int c = 0; c < 16; ++c) bgr[c] = Pixel24(map, c);
    }
    uint32_t Pattern(int c) const { return bgr[c]; }
    void Draw(uint8_t* p, ptrdiff_t pitch, unsigned b, unsigned a) const {
        const unsigned colours = Colours(a), set = colours & 15, clear = colours >> 8;
        const uint32_t* masks = RenderTables.ByteMask32[b];
        const uint32_t setValue = bgr[set], clearValue = bgr[clear];
        for (int k = 0; k < 8; ++k) {
            uint32_t c = Select(masks[k], clearValue, setValue);
            for (int row = 0; row < Scale; ++row)
                for (int i = 0; i < Scale; ++i) Store24(p + row * pitch + 3 * (Scale * k + i), c);
        }
    }
};

// No change and no FLASH among the 32 attributes of a character row.
inline bool AttrRowSettled(const uint8_t* attrs, const uint8_t* shadow) {
    uint64_t flash = 0, differ = 0;
    for (int i = 0; i < 32; i += 8) {
        uint64_t a, s;
        std::memcpy(&a, attrs + i, 8);
        std::memcpy(&s, shadow + i, 8);
        flash |= a, differ |= a ^ s;
    }
    return !(flash & 0x8080808080808080ull) && !differ;
}

// The units of one screen line that changed, or whose cell flashes. Kept out of line so that
// the compiler has its registers for the stores.
template <class Format>
[[gnu::noinline]] void RedrawLine(const Format& format, uint8_t* out, ptrdiff_t pitch,
                                  const uint8_t* bitmap, uint8_t* bitmapShadow,
                                  const uint8_t* attrs, uint8_t* attrShadow, bool lastLine) {
    constexpr int unitBytes = 8 * Format::scale * Format::bytesPerPixel;
    for (int n = 0; n < 32; ++n, out += unitBytes) {
        unsigned b = bitmap[n], a = attrs[n];
        if (b == bitmapShadow[n] && a == attrShadow[n] && !(a & FlashBit)) continue;
        bitmapShadow[n] = uint8_t(b);
        // The attribute is settled with the cell's last line, so a changed attribute redraws
        // all eight lines first.
        if (lastLine) attrShadow[n] = uint8_t(a);
        format.Draw(out, pitch, b, a);
    }
}

template <class Format>
void WriteFrame(const Format& format, uint8_t* pixels, ptrdiff_t pitch, const Layout& layout,
                ScreenShadowRecord& shadow) {
    constexpr int S = Format::scale, B = Format::bytesPerPixel;
    const uint8_t* bands = BorderLog.bands;
    const uint8_t* memory = ScreenMemory();

    // Border: bands whose colour changed, on both rows of a pair at double size.
    if (std::memcmp(bands, shadow.borderShadow, size_t(layout.bandLimit)) != 0) {
        for (int band = 0; band < layout.bandLimit; ++band) {
            uint8_t colour = bands[band];
            if (colour == shadow.borderShadow[band]) continue;
            shadow.borderShadow[band] = colour;
            uint32_t pattern = format.Pattern(colour & 7);
            for (int i = 0; i < S; ++i) {
                uint8_t* row = pixels + (band * S + i) * pitch;
                uint32_t rowPattern = i == 1 ? format.SecondRow(pattern) : pattern;
                if (band < TopRows || band >= BottomBand) {
                    format.Fill(row, FrameWidth * S, rowPattern);
                } else {
                    format.Fill(row, MarginWidth * S, rowPattern);
                    format.Fill(row + (FrameWidth - MarginWidth) * S * B, MarginWidth * S,
                                rowPattern);
                }
            }
        }
    }

    // Screen, in display order: line y of the interleaved bitmap lands on row 24 + y.
    for (int cellRow = 0; cellRow < 24; ++cellRow) {
        const uint8_t* attrs = memory + AttrStart + cellRow * 32;
        uint8_t* attrShadow = shadow.attrShadow + cellRow * 32;
        bool attrsSettled = AttrRowSettled(attrs, attrShadow);
        for (int line = 0; line < 8; ++line) {
            int y = cellRow * 8 + line;
            int offset = ((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2);
            const uint8_t* bitmap = memory + BitmapStart + offset;
            uint8_t* bitmapShadow = shadow.bitmapShadow + offset;
            if (attrsSettled && std::memcmp(bitmap, bitmapShadow, 32) == 0) continue;
            uint8_t* out = pixels + (TopRows + y) * S * pitch + MarginWidth * S * B;
            RedrawLine(format, out, pitch, bitmap, bitmapShadow, attrs, attrShadow, line == 7);
        }
    }

    // The corner under the speed read-out, from the log and not the shadow: the previous
    // frame's text is painted over every frame.
    for (int row = layout.stripRow; row < layout.stripRow + layout.stripRows; ++row)
        format.Fill(pixels + row * pitch + layout.stripX * B, layout.stripWidth,
                    format.Pattern(bands[row / S] & 7));
}

// The 8-bit double-size writers in fullscreen with the speed read-out on leave the bottom
// bands to its black bar; in a window Write8Double repaints the strip under the text.
Layout Double8Layout(bool windowStrip) {
    if (DisplayMode == ModeFullscreen) return {SpeedDisplay ? SpeedBarBand : Bands, 0, 0, 0, 0};
    if (windowStrip && SpeedDisplay)
        return {Bands, DoubleStripX, 2 * FrameWidth - DoubleStripX, 460, 20};
    return {Bands, 0, 0, 0, 0};
}

} // namespace

void Write8(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format8{{}, ColourMap}, pixels, pitch, SingleLayout(), ScreenShadow);
}
void Write16(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format16{{ColourMap, FlashPhase}, {}}, pixels, pitch, SingleLayout(), ScreenShadow);
}
void Write24(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format24<1>(ColourMap, FlashPhase), pixels, pitch, SingleLayout(), ScreenShadow);
}
void Write32(uint8_t* pixels, int32_t pitch) {
    WriteFrame(FormatWordPerPixel<4, 1>{{ColourMap, FlashPhase}, {}}, pixels, pitch, SingleLayout(),
               ScreenShadow);
}
void Write8Double(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format8Double<false>{{}, ColourMap}, pixels, pitch, Double8Layout(true),
               ScreenShadow);
}
void Write16Double(uint8_t* pixels, int32_t pitch) {
    WriteFrame(FormatWordPerPixel<2, 2>{{ColourMap, FlashPhase}, {}}, pixels, pitch, DoubleLayout(),
               ScreenShadow);
}
void Write24Double(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format24<2>(ColourMap, FlashPhase), pixels, pitch, DoubleLayout(), ScreenShadow);
}
void Write32Double(uint8_t* pixels, int32_t pitch) {
    WriteFrame(FormatWordPerPixel<4, 2>{{ColourMap, FlashPhase}, {}}, pixels, pitch, DoubleLayout(),
               ScreenShadow);
}
void Write8Scanline(uint8_t* pixels, int32_t pitch) {
    WriteFrame(Format8Double<true>{{}, ColourMap}, pixels, pitch, Double8Layout(false),
               ScreenShadow);
}

void Write24With(uint8_t* pixels, int32_t pitch, bool doubleSize, const ColourMapRecord& map,
                 ScreenShadowRecord& shadow) {
    constexpr Layout noStrip = {Bands, 0, 0, 0, 0};
    if (doubleSize)
        WriteFrame(Format24<2>(map, FlashPhase), pixels, pitch, noStrip, shadow);
    else
        WriteFrame(Format24<1>(map, FlashPhase), pixels, pitch, noStrip, shadow);
}
