// A small tape encoder for the tests: a TAP image's blocks written out as the ROM saves them
// (pilot, two sync pulses, two pulses a bit) in every kind of .tzx block that can carry them,
// as a CSW recording and as a .pzx tape, after the formats' published layouts.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tzx_files.h"

namespace pulse_tapes {

// The ROM's timings in T-states (3.5 MHz).
constexpr uint32_t Pilot = 2168, Sync1 = 667, Sync2 = 735, Zero = 855, One = 1710;
constexpr uint32_t TStatesPerSecond = 3500000;

// The TAP image's blocks, each with its length word.
inline std::vector<Bytes> TapBlocks(const Bytes& tap) {
    std::vector<Bytes> blocks;
    for (size_t at = 0; at + 2 <= tap.size();) {
        const size_t n = 2 + size_t(tap[at] | tap[at + 1] << 8);
        blocks.emplace_back(tap.begin() + long(at), tap.begin() + long(at + n));
        at += n;
    }
    return blocks;
}

// What a block holds on tape: its flag, data and checksum, without the length word.
inline Bytes Payload(const Bytes& tapBlock) { return Bytes(tapBlock.begin() + 2, tapBlock.end()); }

inline uint32_t PilotPulses(const Bytes& payload) { return payload[0] < 0x80 ? 8063 : 3223; }

// Every pulse of one block in T-states, as the ROM's SA-BYTES makes them.
inline std::vector<uint32_t> RomPulses(const Bytes& payload) {
    std::vector<uint32_t> p(PilotPulses(payload), Pilot);
    p.push_back(Sync1), p.push_back(Sync2);
    for (uint8_t byte : payload)
        for (int bit = 7; bit >= 0; --bit) p.insert(p.end(), 2, byte >> bit & 1 ? One : Zero);
    return p;
}

// T-states as whole samples at `rate`, rounded on the running total so that no time is lost.
struct SampleClock {
    uint32_t rate;
    uint64_t tstates = 0, samples = 0;
    uint32_t Samples(uint64_t length) {
        tstates += length;
        const uint64_t to = (tstates * rate + TStatesPerSecond / 2) / TStatesPerSecond;
        const uint32_t n = uint32_t(to - samples);
        samples = to;
        return n;
    }
};

// CSW run lengths: a byte per pulse, or 0 and the length in 32 bits.
inline void PutRun(Bytes& out, uint32_t samples) {
    if (samples > 0 && samples < 256) {
        out.push_back(uint8_t(samples));
        return;
    }
    out.push_back(0);
    PutLe(out, samples, 4);
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// ---- .tzx blocks --------------------------------------------------------------------------

inline Bytes TurboAtRomTimings(const Bytes& payload, uint16_t pauseMs) {
    return TurboBlock({Pilot, Sync1, Sync2, Zero, One, uint16_t(PilotPulses(payload))}, payload, 8,
                      pauseMs);
}

// A pure tone, the two sync pulses as a sequence, and the bits as pure data.
inline Bytes PiecesAtRomTimings(const Bytes& payload, uint16_t pauseMs) {
    return Concat({ToneBlock(Pilot, uint16_t(PilotPulses(payload))), PulseBlock({Sync1, Sync2}),
                   PureDataBlock(Zero, One, payload, pauseMs)});
}

// The levels sampled every `tstatesPerSample`, the first pulse high, and a millisecond after the
// last pulse's closing edge, as a recording holds it.
inline Bytes DirectAtRomTimings(const Bytes& payload, uint16_t tstatesPerSample, uint16_t pauseMs) {
    SampleClock clock{TStatesPerSecond / tstatesPerSample};
    std::vector<uint8_t> levels;
    uint8_t level = 0;
    for (uint32_t p : RomPulses(payload)) {
        level ^= 1;
        levels.insert(levels.end(), clock.Samples(p), level);
    }
    levels.insert(levels.end(), clock.Samples(TStatesPerSecond / 1000), level ^ 1);
    return DirectBlock(tstatesPerSample, levels, pauseMs);
}

inline Bytes CswRuns(const Bytes& payload, uint32_t rate) {
    SampleClock clock{rate};
    Bytes runs;
    for (uint32_t p : RomPulses(payload)) PutRun(runs, clock.Samples(p));
    return runs;
}

inline Bytes CswBlock(const Bytes& payload, uint32_t rate, bool zrle, uint16_t pauseMs) {
    const Bytes runs = CswRuns(payload, rate);
    const Bytes data = zrle ? Deflate(runs) : runs;
    Bytes b{0x18};
    PutLe(b, uint32_t(0x0A + data.size()), 4);
    PutLe(b, pauseMs, 2), PutLe(b, rate, 3);
    b.push_back(zrle ? 2 : 1);
    PutLe(b, uint32_t(RomPulses(payload).size()), 4);
    return Concat({b, data});
}

// Generalized data: pilot/sync symbols 0 (one pilot pulse) and 1 (the two sync pulses), data
// symbols 0 and 1 (two pulses each), one bit a symbol.
inline Bytes GeneralizedBlock(const Bytes& payload, uint16_t pauseMs) {
    Bytes body;
    PutLe(body, pauseMs, 2);
    PutLe(body, 2, 4); // two runs of pilot/sync symbols
    body.push_back(2), body.push_back(2);
    PutLe(body, uint32_t(payload.size() * 8), 4);
    body.push_back(2), body.push_back(2);
    for (auto pulses : {std::vector<uint32_t>{Pilot, 0}, {Sync1, Sync2}}) {
        body.push_back(0); // each symbol starts with an edge
        for (uint32_t p : pulses) PutLe(body, p, 2);
    }
    PutLe(body, 0, 1), PutLe(body, PilotPulses(payload), 2);
    PutLe(body, 1, 1), PutLe(body, 1, 2);
    for (uint32_t p : {Zero, One}) {
        body.push_back(0);
        PutLe(body, p, 2), PutLe(body, p, 2);
    }
    body.insert(body.end(), payload.begin(), payload.end()); // 8 symbols a byte, from the top
    Bytes b{0x19};
    PutLe(b, uint32_t(body.size()), 4);
    return Concat({b, body});
}

// A whole TAP image as a .tzx, each block made by `block(payload, pauseMs)`.
template <typename Encode>
Bytes TzxOf(const Bytes& tap, Encode block, uint16_t lastPauseMs = 1000) {
    const std::vector<Bytes> blocks = TapBlocks(tap);
    Bytes tzx = TzxHeader();
    for (size_t k = 0; k < blocks.size(); ++k)
        tzx = Concat({tzx, block(Payload(blocks[k]), k + 1 < blocks.size() ? 1000 : lastPauseMs)});
    return tzx;
}

// ---- .csw and .pzx files ------------------------------------------------------------------

// Every block's pulses, then a second of silence (one long pulse) after each.
inline Bytes CswRunsOfTap(const Bytes& tap, uint32_t rate) {
    SampleClock clock{rate};
    Bytes runs;
    for (const Bytes& block : TapBlocks(tap)) {
        for (uint32_t p : RomPulses(Payload(block))) PutRun(runs, clock.Samples(p));
        PutRun(runs, clock.Samples(TStatesPerSecond));
    }
    return runs;
}

inline Bytes CswSignature() {
    const std::string s = "Compressed Square Wave\x1A";
    return Bytes(s.begin(), s.end());
}

// Version 1.01: RLE only, a 16-bit rate.
inline Bytes CswFile1(const Bytes& tap, uint16_t rate) {
    Bytes b = CswSignature();
    b.push_back(1), b.push_back(1);
    PutLe(b, rate, 2);
    b.push_back(1); // RLE
    b.push_back(0); // the first pulse low
    PutLe(b, 0, 3); // reserved
    return Concat({b, CswRunsOfTap(tap, rate)});
}

// Version 2.0 with Z-RLE and a header extension.
inline Bytes CswFile2(const Bytes& tap, uint32_t rate) {
    const Bytes runs = CswRunsOfTap(tap, rate);
    Bytes b = CswSignature();
    b.push_back(2), b.push_back(0);
    PutLe(b, rate, 4);
    PutLe(b, 0, 4); // the pulse count, which readers need not trust
    b.push_back(2); // Z-RLE
    b.push_back(1); // the first pulse high
    b.push_back(3); // extension bytes
    for (char c : std::string("wendal tests    ")) b.push_back(uint8_t(c));
    b.push_back('x'), b.push_back('y'), b.push_back('z');
    return Concat({b, Deflate(runs)});
}

inline Bytes PzxBlock(const char* tag, const Bytes& body) {
    Bytes b(tag, tag + 4);
    PutLe(b, uint32_t(body.size()), 4);
    return Concat({b, body});
}

// The pilot as one repeated pulse and the sync pulses (PULS), the bits (DATA, closed by a tail
// pulse), a second's pause (PAUS); a browse point and an unknown block for the reader to pass.
inline Bytes PzxFile(const Bytes& tap) {
    Bytes tape = PzxBlock("PZXT", {1, 0, 'h', 'e', 'l', 'l', 'o', 0});
    for (const Bytes& block : TapBlocks(tap)) {
        const Bytes payload = Payload(block);
        const uint32_t pilots = PilotPulses(payload);
        Bytes puls;
        PutLe(puls, 0x8000 | pilots, 2), PutLe(puls, Pilot, 2);
        PutLe(puls, Sync1, 2), PutLe(puls, Sync2, 2);
        Bytes data;
        const uint8_t level = (pilots + 2) % 2; // PULS starts low and alternates
        PutLe(data, uint32_t(payload.size() * 8) | uint32_t(level) << 31, 4);
        PutLe(data, 945, 2); // tail
        data.push_back(2), data.push_back(2);
        PutLe(data, Zero, 2), PutLe(data, Zero, 2), PutLe(data, One, 2), PutLe(data, One, 2);
        data.insert(data.end(), payload.begin(), payload.end());
        Bytes pause;
        PutLe(pause, TStatesPerSecond, 4);
        tape = Concat({tape, PzxBlock("BRWS", {'b', 0}), PzxBlock("PULS", puls),
                       PzxBlock("DATA", data), PzxBlock("PAUS", pause), PzxBlock("XTRA", {1, 2})});
    }
    return tape;
}

} // namespace pulse_tapes
