// Seed inputs for the fuzz targets, made from the test tapes, recordings and snapshots at build
// time:
//   make_seeds blocks FOLDER TAP...      flag, start, length and LOAD before the tape, once for
//                                        each of its blocks, starting at that block
//   make_seeds prefix FOLDER BYTE FILE...  the byte, then the file
//   make_seeds head FOLDER COUNT FILE...   the file's first COUNT bytes
//   make_seeds z80 FOLDER Z80...           a version 3 .z80 file as it is and rebuilt as
//                                          versions 2 and 1
//   make_seeds tapes FOLDER TAP...         the TAP image's first block as a .tzx of every kind
//                                        of block that carries pulses (into FOLDER/tzx), a .csw
//                                        of each version (FOLDER/csw) and a .pzx (FOLDER/pzx),
//                                        by the tests' own encoder
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/pulse_tapes.h"
#include "tests/z80_versions.h"

namespace fs = std::filesystem;

static std::vector<uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make_seeds: cannot read %s\n", path);
        std::exit(1);
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

static void WriteAll(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_seeds blocks|prefix|head|z80|tapes FOLDER [N] FILE...\n");
        return 2;
    }
    const std::string mode = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    int first = 3;
    unsigned long number = 0;
    if (mode == "prefix" || mode == "head") number = std::strtoul(argv[first++], nullptr, 0);
    for (int i = first; i < argc; ++i) {
        const std::vector<uint8_t> file = ReadAll(argv[i]);
        const std::string stem = fs::path(argv[i]).filename().string();
        if (mode == "prefix") {
            std::vector<uint8_t> seed{uint8_t(number)};
            seed.insert(seed.end(), file.begin(), file.end());
            WriteAll(folder / (stem + "-" + std::to_string(number)), seed);
        } else if (mode == "head") {
            const size_t count = file.size() < number ? file.size() : number;
            WriteAll(folder / stem, std::vector<uint8_t>(file.begin(), file.begin() + count));
        } else if (mode == "z80") {
            WriteAll(folder / stem, file);
            WriteAll(folder / (stem + "-v2"), Version2(file));
            WriteAll(folder / (stem + "-v1"), Version1(file));
        } else if (mode == "blocks") {
            // A header block (flag 0) is loaded as the ROM loads it, 17 bytes into the
            // workspace; any other block as many bytes as it holds at 0x8000.
            size_t at = 0;
            for (int block = 0; at + 3 <= file.size(); ++block) {
                const size_t length = size_t(file[at] | file[at + 1] << 8);
                const uint8_t flag = file[at + 2];
                const size_t data = length >= 2 ? length - 2 : 0;
                const uint16_t start = flag == 0 ? 0x5C80 : 0x8000;
                std::vector<uint8_t> seed{flag,          uint8_t(start),     uint8_t(start >> 8),
                                          uint8_t(data), uint8_t(data >> 8), 1};
                seed.insert(seed.end(), file.begin() + long(at), file.end());
                WriteAll(folder / (stem + "-" + std::to_string(block)), seed);
                at += 2 + length;
            }
        } else if (mode == "tapes") {
            using namespace pulse_tapes;
            const std::vector<Bytes> blocks = TapBlocks(file);
            if (blocks.empty()) continue;
            const Bytes first = blocks[0];
            for (const char* kind : {"tzx", "csw", "pzx"}) fs::create_directories(folder / kind);
            auto tzx = [&](const char* name, const Bytes& block) {
                WriteAll(folder / "tzx" / (stem + name), Concat({TzxHeader(), block}));
            };
            const Bytes payload = Payload(first);
            tzx(".turbo", TurboAtRomTimings(payload, 0));
            tzx(".pieces", PiecesAtRomTimings(payload, 10));
            tzx(".direct", DirectAtRomTimings(payload, 800, 0));
            tzx(".rle", CswBlock(payload, 11025, false, 0));
            tzx(".zrle", CswBlock(payload, 11025, true, 0));
            tzx(".generalized", GeneralizedBlock(payload, 0));
            WriteAll(folder / "csw" / (stem + ".1"), CswFile1(first, 11025));
            WriteAll(folder / "csw" / (stem + ".2"), CswFile2(first, 11025));
            WriteAll(folder / "pzx" / stem, PzxFile(first));
        } else {
            std::fprintf(stderr, "make_seeds: unknown mode %s\n", mode.c_str());
            return 2;
        }
    }
    return 0;
}
