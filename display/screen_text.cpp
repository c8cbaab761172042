#include "display/screen_text.h"

#include <cstdint>

#include "core/machine.h"
#include "peripherals/machine_model.h"

constexpr uint16_t CharacterSet = 0x3D00; // 96 characters of 8 bytes, from 0x20

// Offset in the screen of pixel line `line` (0-7) of the cell at character row `row`, column
// `col`: the bitmap is split in thirds of 64 lines, and within a third lines step by 256 bytes.
static uint16_t CellLineOffset(int row, int col, int line) {
    return uint16_t(((row & 0x18) << 8) | (line << 8) | ((row & 7) << 5) | col);
}

static bool CellMatches(int row, int col, int code, uint8_t invert) {
    const uint8_t* screen = ScreenMemory();
    const uint8_t* glyphs = BasicRom() + CharacterSet + (code - 0x20) * 8;
    for (int line = 0; line < 8; ++line) {
        if (uint8_t(screen[CellLineOffset(row, col, line)] ^ invert) != glyphs[line]) return false;
    }
    return true;
}

static std::string CharacterText(int code) {
    if (code == 0x60) return "£";
    if (code == 0x7F) return "©";
    return std::string(1, char(code));
}

std::string ScreenRowText(int row) {
    std::string text;
    for (int col = 0; col < 32; ++col) {
        int found = -1;
        for (int code = 0x20; code < 0x80 && found < 0; ++code)
            if (CellMatches(row, col, code, 0x00) || CellMatches(row, col, code, 0xFF))
                found = code;
        text += found < 0 ? "░" : CharacterText(found);
    }
    return text;
}

std::string ScreenText() {
    std::string text;
    for (int row = 0; row < 24; ++row) {
        std::string line = ScreenRowText(row);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + '\n';
    }
    return text;
}
