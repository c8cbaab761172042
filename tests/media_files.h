// Files for the snapshot and tape tests: a scratch folder removed afterwards, whole-file reads
// and writes, and TAP blocks built the way the ROM saves them.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/sampled_tape.h"
#include "media/tape.h"
#include "tests/cpu_harness.h"

using Bytes = std::vector<uint8_t>;

struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendal-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// A clean machine, an empty recorder and the tape rate at its start value, before and after.
struct MediaFixture : ::testing::Test {
    ScratchDir dir;
    void SetUp() override { Empty(); }
    void TearDown() override { Empty(); }
    static void Empty() {
        CloseTape();
        CleanMachine();
        TapeRate = 11025;
        SetTapeRate();
        std::memset(TapeFrameBuffer, 0, sizeof TapeFrameBuffer);
    }
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One TAP block: length word, flag, data, XOR checksum (or a deliberately wrong one).
inline Bytes TapBlock(uint8_t flag, const Bytes& data, int checksumDelta = 0) {
    const size_t n = data.size() + 2;
    Bytes b{uint8_t(n), uint8_t(n >> 8), flag};
    uint8_t check = flag;
    for (uint8_t v : data) {
        b.push_back(v);
        check ^= v;
    }
    b.push_back(uint8_t(check + checksumDelta));
    return b;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Distinct bytes for a length n, different per seed.
inline Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + seed + (i >> 8));
    return b;
}

// A .wav file: RIFF header, format chunk, then a data chunk holding `samples` (left out when
// `withData` is false).
inline Bytes WaveFile(const Bytes& samples, uint32_t rate = 11025, uint16_t bits = 8,
                      uint16_t channels = 1, uint16_t format = 1, bool withData = true) {
    auto le = [](Bytes& b, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    const uint32_t align = uint32_t(channels * bits / 8);
    Bytes b{'R', 'I', 'F', 'F'};
    le(b, uint32_t(36 + samples.size()), 4);
    for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
    le(b, 16, 4), le(b, format, 2), le(b, channels, 2), le(b, rate, 4), le(b, rate * align, 4);
    le(b, align, 2), le(b, bits, 2);
    if (!withData) return b;
    for (char c : std::string("data")) b.push_back(uint8_t(c));
    le(b, uint32_t(samples.size()), 4);
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}
