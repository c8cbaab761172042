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
    {0x20,     2,    0,   0,   0,  "pause"},
    {0x21,     1,    0,   1,   1,  "group start"},
    {0x22,     0,    0,   0,   0,  "group end"},
    {0x24,     2,    0,   0,   0,  "loop start"},
    {0x25,     0,    0,   0,   0,  "loop end"},
    {0x2A,     4,    0,   4,   1,  "stop the tape if 48K"},
    {0x2B,     5,    0,   4,   1,  "set signal level"}, // the length counts the level byte
    {0x30,     1,    0,   1,   1,  "text description"},
    {0x31,     2,    1,   1,   1,  "message"},
    {0x32,     2,    0,   2,   1,  "archive info"},
    {0x33,     1,    0,   1,   3,  "hardware type"},
    {0x35,  0x14, 0x10,   4,   1,  "custom info"},
    {0x5A,     9,    0,   0,   0,  "glue"},
};
// clang-format on

// Blocks of the format that are not played here, named for the message that stops the tape.
struct TzxName {
    uint8_t id;
    const char* name;
};
constexpr TzxName OtherNames[] = {
    {0x16, "C64 ROM data"},     {0x17, "C64 turbo data"}, {0x18, "CSW recording"},
    {0x19, "generalized data"}, {0x23, "jump"},           {0x26, "call sequence"},
    {0x27, "return"},           {0x28, "select"},         {0x34, "emulation info"},
    {0x40, "snapshot"},
};

const TzxLayout* LayoutOf(uint8_t id) {
    for (const TzxLayout& l : Layouts)
        if (l.id == id) return &l;
    return nullptr;
}

} // namespace

const char* TzxBlockName(uint8_t id) {
    if (const TzxLayout* l = LayoutOf(id)) return l->name;
    for (const TzxName& n : OtherNames)
        if (n.id == id) return n.name;
    return "unknown";
}

bool ReadTzxBlocks(const uint8_t* data, size_t size, std::vector<TzxBlock>& blocks) {
    blocks.clear();
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
        const size_t body = at + 1;
        const size_t left = size - body;
        const TzxLayout* layout = LayoutOf(id);
        if (!layout) {
            blocks.push_back({uint32_t(body), 0, id, false});
            return true;
        }
        if (left < layout->fixed) {
            LastLoadError = LoadError::Damaged;
            return false;
        }
        uint64_t length = layout->fixed;
        if (layout->lengthBytes) {
            uint64_t field = 0;
            for (int k = layout->lengthBytes - 1; k >= 0; --k)
                field = field << 8 | data[body + layout->lengthAt + size_t(k)];
            // 0x2B's fixed part includes the level byte that its length already counts.
            const uint64_t base = id == TzxSetLevel ? layout->fixed - 1 : layout->fixed;
            if (id == TzxSetLevel && field < 1) field = left; // no level byte: damaged below
            length = base + field * layout->unit;
        }
        if (length > left) {
            LastLoadError = LoadError::Damaged;
            return false;
        }
        blocks.push_back({uint32_t(body), uint32_t(length), id, true});
        at = body + size_t(length);
    }
    return true;
}
