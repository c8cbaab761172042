#include "engine/fast_loading.h"

#include <cstdint>

#include "media/tape.h"
#include "peripherals/ports.h"
#include "peripherals/tape_input.h"

// The ROM's edge loop reads the port about every 60 T-states, over a thousand times a frame;
// the ROM's keyboard scan reads it 8 times a frame and a game's rarely more than a few dozen.
constexpr uint32_t LoaderReadsPerFrame = 500;

bool TapeBeingLoaded(bool enabled) {
    return enabled && TapePlaysInRealTime() && TapePlaying && UlaReads >= LoaderReadsPerFrame;
}
