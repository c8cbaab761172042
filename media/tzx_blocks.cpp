#include "media/tzx_blocks.h"

#include <cstring>

#include "media/load_error.h"

namespace {

// How long each block is: a fixed part, then a variable part whose length is a field of the
// fixed part (`lengthBytes` bytes at `lengthAt`, counted in units of `unit` bytes).
struct TzxLayout {
    uint8_t id;
    uint8_t fixed;
    uint8_t lengthAt;
    uint8_t lengthBytes; // 0: no variable part
    uint8_t unit;
    const char* name;
};

// clang-format off
constexpr TzxLayout Layouts[] = {
    //  id    fixed  at  bytes unit  name
    {0x10,     4,    2,   2,   1,  "standard data"},
    {0x11,  0x12, 0x0F,   3,   1,  "turbo data"},
    {0x12,     4,    0,   0,   0,  "pure tone"},
    {0x13,     1,    0,   1,   2,  "pulse sequence"},
    {0x14,  0x0A,    7,   3,   1,  "pure data"},
    {0x15,     8,    5,   3,   1,  "direct recording"},
    {0x16,     4,    0,   4,   1,  "C64 ROM data"},
    {0x17,     4,    0,   4,   1,  "C64 turbo data"},
    {0x18,     4,    0,   4,   1,  "CSW recording"},
    {0x19,     4,    0,   4,   1,  "generalized data"},
    {0x20,     2,    0,   0,   0,  "pause"},
    {0x21,     1,    0,   1,   1,  "group start"},
    {0x22,     0,    0,   0,   0,  "group end"},
    {0x23,     2,    0,   0,   0,  "jump"},
    {0x24,     2,    0,   0,   0,  "loop start"},
    {0x25,     0,    0,   0,   0,  "loop end"},
    {0x26,     2,    0,   2,   2,  "call sequence"},
    {0x27,     0,    0,   0,   0,  "return"},
    {0x28,     2,    0,   2,   1,  "select"},
    {0x2A,     4,    0,   4,   1,  "stop the tape if 48K"},
    {0x2B,     4,    0,   4,   1,  "set signal level"},
    {0x30,     1,    0,   1,   1,  "text description"},
    {0x31,     2,    1,   1,   1,  "message"},
    {0x32,     2,    0,   2,   1,  "archive info"},
    {0x33,     1,    0,   1,   3,  "hardware type"},
    {0x34,     8,    0,   0,   0,  "emulation info"},
    {0x35,  0x14, 0x10,   4,   1,  "custom info"},
    {0x40,     4,    1,   3,   1,  "snapshot"},
    {0x5A,     9,    0,   0,   0,  "glue"},
};
// clang-format on

// Blocks of later versions of the format begin with their length, so that they can be passed.
constexpr TzxLayout Unknown{0, 4, 0, 4, 1, "unknown"};

const TzxLayout& LayoutOf(uint8_t id) {
    for (const TzxLayout& l : Layouts)
        if (l.id == id) return l;
    return Unknown;
}

// Bytes after the ID, from the fixed part, which must be there.
uint64_t BodyLength(const TzxLayout& layout, const uint8_t* body) {
    uint64_t field = 0;
    for (int k = layout.lengthBytes - 1; k >= 0; --k)
        field = field << 8 | body[layout.lengthAt + size_t(k)];
    return layout.fixed + field * layout.unit;
}

uint32_t BitsFor(uint32_t alphabet) {
    uint32_t bits = 0;
    while ((1u << bits) < alphabet) ++bits;
    return bits;
}

// A block's own fields that must hold for it to be read at all; `body` has `length` bytes.
bool BodyIsWhole(uint8_t id, const uint8_t* body, uint64_t length) {
    switch (id) {
    case TzxSetLevel: return length >= 5; // the level byte
    case TzxCswRecording:
        // Pause, rate, compression (1 RLE, 2 Z-RLE), pulse count, then the data.
        return length >= 4 + 0x0A && TzxTriple(body + 6) != 0 && (body[9] == 1 || body[9] == 2);
    case TzxGeneralized:
        return length >= 4 + 0x0E && TzxGeneralizedTables(body + 4).end <= length - 4;
    default: return true;
    }
}

} // namespace

TzxGeneralizedLayout TzxGeneralizedTables(const uint8_t* body) {
    TzxGeneralizedLayout g{};
    g.pilotSymbols = TzxDword(body + 2), g.pilotMax = body[6];
    g.pilotAlphabet = body[7] ? body[7] : 256;
    g.dataSymbols = TzxDword(body + 8), g.dataMax = body[12];
    g.dataAlphabet = body[13] ? body[13] : 256;
    g.bitsPerSymbol = BitsFor(g.dataAlphabet);
    uint64_t at = 0x0E;
    g.pilotTable = uint32_t(at);
    if (g.pilotSymbols) at += uint64_t(g.pilotAlphabet) * (1 + 2 * g.pilotMax);
    g.pilotStream = uint32_t(at < UINT32_MAX ? at : UINT32_MAX);
    if (g.pilotSymbols) at += uint64_t(g.pilotSymbols) * 3;
    g.dataTable = uint32_t(at < UINT32_MAX ? at : UINT32_MAX);
    if (g.dataSymbols) at += uint64_t(g.dataAlphabet) * (1 + 2 * g.dataMax);
    g.dataStream = uint32_t(at < UINT32_MAX ? at : UINT32_MAX);
    if (g.dataSymbols) at += (uint64_t(g.dataSymbols) * g.bitsPerSymbol + 7) / 8;
    g.end = at;
    return g;
}

const char* TzxBlockName(uint8_t id) { return LayoutOf(id).name; }

uint32_t TzxBlockSize(const uint8_t* data, uint32_t at) {
    return uint32_t(1 + BodyLength(LayoutOf(data[at]), data + at + 1));
}

uint32_t TzxBlockOffset(const TzxIndex& index, const uint8_t* data, size_t size, uint32_t n) {
    if (n >= index.count) return uint32_t(size);
    uint32_t at = index.marks[n / TzxMarkEvery];
    for (uint32_t k = n % TzxMarkEvery; k; --k) at += TzxBlockSize(data, at);
    return at;
}

bool ReadTzxBlocks(const uint8_t* data, size_t size, TzxIndex& index) {
    index = TzxIndex();
    if (!data || size < TzxHeaderSize || std::memcmp(data, "ZXTape!\x1A", 8) || data[8] != 1) {
        LastLoadError = LoadError::NotTzx;
        return false;
    }
    if (size > TzxLargest) {
        LastLoadError = LoadError::TooLarge;
        return false;
    }
    size_t at = TzxHeaderSize;
    while (at < size) {
        const uint8_t id = data[at];
        const uint8_t* body = data + at + 1;
        const size_t left = size - at - 1;
        const TzxLayout& layout = LayoutOf(id);
        if (left < layout.fixed) {
            index = TzxIndex();
            LastLoadError = LoadError::Damaged;
            return false;
        }
        const uint64_t length = BodyLength(layout, body);
        if (length > left || !BodyIsWhole(id, body, length)) {
            index = TzxIndex();
            LastLoadError = LoadError::Damaged;
            return false;
        }
        if (index.count % TzxMarkEvery == 0) index.marks.push_back(uint32_t(at));
        ++index.count;
        at += 1 + size_t(length);
    }
    index.marks.shrink_to_fit();
    return true;
}
