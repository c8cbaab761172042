// Text rasterised by the platform's font engine into a one-byte-per-pixel mask.
#pragma once
#include <cstdint>

constexpr int TextMaskWidth = 160, TextMaskHeight = 40;

struct TextMaskRecord {
    int width, height; // the text's cell: its advance and the font's height
    uint8_t pixels[TextMaskHeight][TextMaskWidth]; // 1 where the glyphs cover, else 0
};

// The speed read-out's face: a bold italic sans serif 22 pixels high, not antialiased. The
// mask is cut at TextMaskWidth x TextMaskHeight. False when no font is available.
bool RenderSpeedText(const char* text, TextMaskRecord& mask);
