// Versions 1 and 2 of a .z80 file rebuilt from a version 3 one, for the tests and the fuzz
// seeds: the writers we have (ours and snapconv) write version 3 only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline size_t Word(const Bytes& f, size_t at) { return f[at] | f[at + 1] << 8; }
// Where each memory block of a version 2 or 3 file starts.
inline std::vector<size_t> Blocks(const Bytes& f) {
    std::vector<size_t> at;
    for (size_t p = 32 + Word(f, 30); p + 3 <= f.size();) {
        at.push_back(p);
        p += 3 + (Word(f, p) == 0xFFFF ? 16384 : Word(f, p));
    }
    return at;
}
// Version 2: the 23 bytes version 3's extra header starts with are version 2's (PC, hardware,
// 128K and sound fields); the blocks agree as long as none is stored raw.
inline Bytes Version2(const Bytes& v3) {
    Bytes f(v3.begin(), v3.begin() + 32 + 23);
    f[30] = 23;
    f.insert(f.end(), v3.begin() + 32 + 54, v3.end());
    return f;
}
// Version 1: PC in the main header and the pages in address order, raw, or compressed as one
// stream with the end marker. Compressed pages join so unless one ends in a lone 0xED and the
// next starts with 0xED.
inline Bytes Version1(const Bytes& v3) {
    Bytes f(v3.begin(), v3.begin() + 30);
    f[6] = v3[32], f[7] = v3[33];
    bool compressed = false;
    for (uint8_t page : {8, 4, 5})
        for (size_t at : Blocks(v3))
            if (v3[at + 2] == page) {
                compressed = Word(v3, at) != 0xFFFF;
                const size_t n = compressed ? Word(v3, at) : 16384;
                f.insert(f.end(), v3.begin() + long(at) + 3, v3.begin() + long(at + 3 + n));
            }
    f[12] = uint8_t((f[12] & ~0x20) | (compressed ? 0x20 : 0));
    if (compressed) f.insert(f.end(), {0x00, 0xED, 0xED, 0x00});
    return f;
}
