// .tzx blocks built byte by byte for the tests, after the format's published layout.
#pragma once
#include <initializer_list>
#include <vector>

#include "media_files.h"

inline void PutLe(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

inline Bytes TzxHeader(uint8_t major = 1, uint8_t minor = 20) {
    return {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, major, minor};
}

inline Bytes StandardBlock(const Bytes& tapBlock, uint16_t pauseMs = 1000) {
    Bytes b{0x10};
    PutLe(b, pauseMs, 2);
    b.insert(b.end(), tapBlock.begin(), tapBlock.end()); // its length word, flag, data, checksum
    return b;
}

struct TurboTiming {
    uint16_t pilot, sync1, sync2, zero, one, pilotPulses;
};

inline Bytes TurboBlock(const TurboTiming& t, const Bytes& data, uint8_t lastBits = 8,
                        uint16_t pauseMs = 0) {
    Bytes b{0x11};
    for (uint16_t v : {t.pilot, t.sync1, t.sync2, t.zero, t.one, t.pilotPulses}) PutLe(b, v, 2);
    b.push_back(lastBits);
    PutLe(b, pauseMs, 2);
    PutLe(b, uint32_t(data.size()), 3);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

inline Bytes ToneBlock(uint16_t length, uint16_t pulses) {
    Bytes b{0x12};
    PutLe(b, length, 2), PutLe(b, pulses, 2);
    return b;
}

inline Bytes PulseBlock(std::initializer_list<uint16_t> lengths) {
    Bytes b{0x13, uint8_t(lengths.size())};
    for (uint16_t v : lengths) PutLe(b, v, 2);
    return b;
}

inline Bytes PureDataBlock(uint16_t zero, uint16_t one, const Bytes& data, uint16_t pauseMs = 0) {
    Bytes b{0x14};
    PutLe(b, zero, 2), PutLe(b, one, 2);
    b.push_back(8);
    PutLe(b, pauseMs, 2);
    PutLe(b, uint32_t(data.size()), 3);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// Levels one per sample, packed from the top bit down.
inline Bytes DirectBlock(uint16_t tstatesPerSample, const std::vector<uint8_t>& levels,
                         uint16_t pauseMs = 0) {
    Bytes packed((levels.size() + 7) / 8);
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i]) packed[i / 8] |= uint8_t(0x80 >> (i % 8));
    const uint8_t lastBits = levels.size() % 8 ? uint8_t(levels.size() % 8) : 8;
    Bytes b{0x15};
    PutLe(b, tstatesPerSample, 2), PutLe(b, pauseMs, 2);
    b.push_back(lastBits);
    PutLe(b, uint32_t(packed.size()), 3);
    b.insert(b.end(), packed.begin(), packed.end());
    return b;
}

inline Bytes PauseBlock(uint16_t ms) {
    Bytes b{0x20};
    PutLe(b, ms, 2);
    return b;
}
inline Bytes LoopStartBlock(uint16_t times) {
    Bytes b{0x24};
    PutLe(b, times, 2);
    return b;
}
inline Bytes LoopEndBlock() { return {0x25}; }
inline Bytes TextBlock(const std::string& text) {
    Bytes b{0x30, uint8_t(text.size())};
    b.insert(b.end(), text.begin(), text.end());
    return b;
}
