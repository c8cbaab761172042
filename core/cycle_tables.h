// T-state and parity tables of the processor.
#pragma once
#include <array>
#include <cstdint>

extern const uint8_t
    MainCycles[256];                // unprefixed opcodes; conditional forms hold the not-taken time
extern const uint8_t CbCycles[256]; // CB xx, including the CB byte
extern const uint8_t EdCycles[256]; // ED xx, including the ED byte, one block iteration

// Entry v is the P/V flag (0x04) when v has an even number of one bits, else 0.
constexpr std::array<uint8_t, 256> BuildParityTable() {
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int ones = 0;
        for (int bit = 0; bit < 8; ++bit) ones += (v >> bit) & 1;
        table[v] = (ones % 2 == 0) ? 0x04 : 0x00;
    }
    return table;
}
inline constexpr std::array<uint8_t, 256> ParityTable = BuildParityTable();
