// Files for the snapshot and tape tests: a scratch folder removed afterwards, whole-file reads
// and writes, and TAP blocks built the way the ROM saves them.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
