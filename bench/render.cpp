// Cost of one frame for each writer: with nothing changed, and drawn in full after
// InvalidateScreen. Screen content is a fixed pseudo-random picture without FLASH.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/machine.h"
#include "display/colour_map.h"
#include "display/display_state.h"
#include "display/render_tables.h"
#include "display/screen_shadow.h"
#include "display/writer_table.h"
#include "engine/power_on.h"
#include "peripherals/ports.h"

namespace {

struct Writer {
    const char* name;
    FrameWriter write;
    int depth, bytes, scale;
};

const Writer Writers[] = {
    {"Write8", WriterFor(8, WriterSize::Single), 8, 1, 1},
    {"Write16", WriterFor(16, WriterSize::Single), 16, 2, 1},
    {"Write24", WriterFor(24, WriterSize::Single), 24, 3, 1},
    {"Write32", WriterFor(32, WriterSize::Single), 32, 4, 1},
    {"Write8Double", WriterFor(8, WriterSize::Double), 8, 1, 2},
    {"Write16Double", WriterFor(16, WriterSize::Double), 16, 2, 2},
    {"Write24Double", WriterFor(24, WriterSize::Double), 24, 3, 2},
    {"Write32Double", WriterFor(32, WriterSize::Double), 32, 4, 2},
    {"Write8Scanline", WriterFor(8, WriterSize::Scanline), 8, 1, 2},
};

void SetUp(const Writer& w) {
    PowerOnMachine();
    uint32_t seed = 1;
    for (int i = 0; i < 6912; ++i) {
        seed = seed * 1103515245u + 12345u;
        Machine.memory[0x4000 + i] = uint8_t(seed >> 16);
    }
    for (int i = 0; i < 768; ++i) Machine.memory[0x5800 + i] &= 0x7F;
    for (int b = 0; b < 240; ++b) BorderLog.bands[b] = uint8_t(b % 8);
    DisplayMode = w.scale == 2 ? ModeDoubleWindow : ModeWindow;
    SpeedDisplay = true;
    ColourMap = {};
    ColourMap.depth = uint8_t(w.depth);
    for (int c = 0; c < 16; ++c) ColourMap.paletteIndex[c] = uint8_t(c + 10);
    if (w.depth == 16) SetColourMasks(ColourMap, 0xF800, 0x07E0, 0x001F);
    if (w.depth >= 24) SetColourMasks(ColourMap, 0xFF0000, 0x00FF00, 0x0000FF);
    BuildColourMap();
    InvalidateScreen();
}

void Unchanged(benchmark::State& state, const Writer& w) {
    SetUp(w);
    int32_t pitch = 320 * w.scale * w.bytes;
    std::vector<uint8_t> pixels(size_t(pitch) * 240 * w.scale);
    w.write(pixels.data(), pitch);
    for (auto _ : state) {
        w.write(pixels.data(), pitch);
        benchmark::ClobberMemory();
    }
}

void FullRedraw(benchmark::State& state, const Writer& w) {
    SetUp(w);
    int32_t pitch = 320 * w.scale * w.bytes;
    std::vector<uint8_t> pixels(size_t(pitch) * 240 * w.scale);
    for (auto _ : state) {
        InvalidateScreen();
        w.write(pixels.data(), pitch);
        benchmark::ClobberMemory();
    }
}

int Register() {
    for (const Writer& w : Writers) {
        benchmark::RegisterBenchmark((std::string("Unchanged/") + w.name).c_str(), Unchanged, w)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("FullRedraw/") + w.name).c_str(), FullRedraw, w)
            ->Unit(benchmark::kMicrosecond);
    }
    return 0;
}

const int registered = Register();

} // namespace

BENCHMARK_MAIN();
