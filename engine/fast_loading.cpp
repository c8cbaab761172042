#include "engine/fast_loading.h"

#include <cstdint>

#include "media/tape.h"
#include "peripherals/ports.h"
#include "peripherals/tape_input.h"

namespace {

// The ROM's edge loop reads the port about every 60 T-states, over a thousand times a frame;
// the ROM's keyboard scan reads it 8 times a frame and a game's rarely more than a few dozen.
constexpr uint32_t LoaderReadsPerFrame = 500;
// Once it has found the leader, the ROM's loader waits a second without reading (LD-WAIT, 1045 x
// 256 turns of a 13 T-state loop, 50 frames) before it reads on: the program still loads.
constexpr uint32_t QuietFramesWhileLoading = 55;

uint32_t QuietFrames = QuietFramesWhileLoading; // frames since the last that read as a loader

} // namespace

bool TapeBeingLoaded(bool enabled) {
    if (!enabled || !TapePlaysInRealTime() || !TapePlaying) {
        QuietFrames = QuietFramesWhileLoading;
        return false;
    }
    if (UlaReads >= LoaderReadsPerFrame)
        QuietFrames = 0;
    else if (QuietFrames < QuietFramesWhileLoading)
        ++QuietFrames;
    return QuietFrames < QuietFramesWhileLoading;
}
